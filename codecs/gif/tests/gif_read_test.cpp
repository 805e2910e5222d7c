// Reading GIF files: files of other tools against their reference decodes, the extensions and
// their technical information, play lists of multi-image files, overlays and odd placements.
#include "codec_results.h"
#include "dib_builder.h"
#include "file_io.h"
#include "gif_test_files.h"
#include "keldll.h"
#include "kelgif.h"
#include "play_list.h"
#include "reference_image.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

using gif_test::GifBytes;

namespace {

// One open as the application makes it: information call, palette of the record, then open.
struct Opened {
    kel::GlobalMem dib;
    HGLOBAL info = nullptr, tech = nullptr, playList = nullptr, title = nullptr, comment = nullptr;
    HPALETTE palette = nullptr;
    HBRUSH background = nullptr;
    HBITMAP firstFrame = nullptr;
    int transparent = 0;
    COLORREF colour = 0;
    std::string format;
    ~Opened()
    {
        for (HGLOBAL h : {info, tech, title, comment})
            if (h)
                GlobalFree(h);
        freePlayList(playList);
        for (HGDIOBJ o : {HGDIOBJ(palette), HGDIOBJ(background), HGDIOBJ(firstFrame)})
            if (o)
                DeleteObject(o);
    }
    std::string techText() const { return kt::techText(tech); }
    PlayListHeader listHeader() const
    {
        kel::GlobalLocked<PlayListHeader> p(playList);
        return *p.get();
    }
    PlayFrame frame(size_t i) const
    {
        kel::GlobalLocked<uint8_t> p(playList);
        return *playFrame(p.get(), i);
    }
};

void open(const std::string& path, Opened* o, WORD continueFlag = 1)
{
    char format[16] = "";
    {
        kel::File f = kel::File::openRead(path.c_str());
        o->info = ReadGIFBitmapInfo(f.get(), 1, format, &o->tech, &o->background, 0);
    }
    if (o->info)
        o->palette = CreateDIBPalette(o->info);
    o->dib.reset(OpenGIF(nullptr, path.c_str(), kt::testApp().appInstance, format, &o->info, &o->tech, &o->palette,
                         &o->playList, &o->background, 0, 0, &o->title, &o->comment, nullptr, &continueFlag,
                         &o->firstFrame, &o->transparent, &o->colour));
    o->format = format;
}

std::string written(const kt::TempDir& dir, const std::vector<uint8_t>& bytes)
{
    const std::string path = dir.file("t.gif");
    EXPECT_TRUE(kt::writeFile(path, bytes));
    return path;
}

// A device bitmap's pixels (the display is true-colour, so they are exact).
kt::RgbImage bitmapPixels(HBITMAP bitmap)
{
    BITMAP bm{};
    GetObjectA(bitmap, sizeof bm, &bm);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> px(size_t(bm.bmWidth) * size_t(bm.bmHeight));
    kel::WindowDC screen;
    GetDIBits(screen.get(), bitmap, 0, UINT(bm.bmHeight), px.data(), &bi, DIB_RGB_COLORS);
    kt::RgbImage out;
    out.width = bm.bmWidth;
    out.height = bm.bmHeight;
    for (uint32_t p : px)
        out.pixels.push_back(p & 0xFFFFFF);
    return out;
}

kt::RgbImage reference(const std::string& name)
{
    kt::RgbImage r;
    EXPECT_TRUE(kt::readNetpbm(kt::fixture("gif\\" + name), &r)) << name;
    return r;
}

kt::RgbImage pixels(HGLOBAL dib)
{
    kt::RgbImage r;
    EXPECT_TRUE(kt::dibToRgb(dib, &r));
    return r;
}

} // namespace

TEST(GifRead, FilesOfOtherToolsDecodeLikeTheReferenceDecoder)
{
    struct Case {
        const char* name;
        int bits;
    } cases[] = {{"im_c200", 8}, {"im_c200_il", 8}, {"im_c16", 4},     {"im_c2", 1},
                 {"im_flat", 4}, {"nb_c200", 8},    {"nb_c16_il", 4}, {"nb_bilevel", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Opened o;
        open(kt::fixture(std::string("gif\\") + c.name + ".gif"), &o);
        ASSERT_TRUE(o.dib);
        EXPECT_EQ(o.format.substr(0, 4), "GIF8");
        EXPECT_EQ(DIBBitcount(kel::GlobalLocked<uint8_t>(o.dib.get()).get()), c.bits);
        EXPECT_EQ(kt::firstDifference(reference(std::string(c.name) + ".ref.ppm"), pixels(o.dib.get())), "");
        EXPECT_EQ(o.playList, nullptr);
    }
}

TEST(GifRead, LeadingDataBeforeTheSignatureIsSkipped)
{
    kt::TempDir dir;
    std::vector<uint8_t> bytes(128, 'x');
    const std::vector<uint8_t> file = kt::readFile(kt::fixture("gif\\im_c200.gif"));
    bytes.insert(bytes.end(), file.begin(), file.end());
    Opened o;
    open(written(dir, bytes), &o);
    ASSERT_TRUE(o.dib);
    EXPECT_EQ(o.format, "GIF89a");
    EXPECT_EQ(kt::firstDifference(reference("im_c200.ref.ppm"), pixels(o.dib.get())), "");
}

TEST(GifRead, GraphicControlOfASingleImageSetsTheTransparencyAndMakesNoPlayList)
{
    kt::TempDir dir;
    GifBytes g;
    g.screen(3, 2, {0x000000, 0x102030, 0xFFFFFF}).control(1 | 1 << 2, 5, 1).image(0, 0, 3, 2, {0, 1, 2, 2, 1, 0}, {},
                                                                                   false, 2);
    Opened o;
    open(written(dir, g.trailer().b), &o);
    ASSERT_TRUE(o.dib);
    EXPECT_EQ(o.playList, nullptr);
    EXPECT_EQ(o.transparent, 1);
    EXPECT_EQ(o.colour, RGB(0x10, 0x20, 0x30));
    EXPECT_NE(o.techText().find("Graphics Rendering block read\r\n delay = 5, disposal=Keep\r\n input expected = NO, "
                                "transparent =Yes\r\n"),
              std::string::npos)
        << o.techText();
    EXPECT_EQ(kt::indexRows(o.dib.get()), (std::vector<std::vector<int>>{{0, 1, 2}, {2, 1, 0}}));
}

TEST(GifRead, TechnicalInformationOfAPlainFile)
{
    kt::TempDir dir;
    GifBytes g("GIF87a");
    g.screen(2, 2, {0x000000, 0xFFFFFF}).image(0, 0, 2, 2, {0, 1, 1, 0}, {}, false, 2);
    const std::string path = written(dir, g.trailer().b);
    HGLOBAL tech = nullptr;
    HPALETTE palette = nullptr;
    char format[16] = "";
    kel::GlobalMem dib(OpenGIF(nullptr, path.c_str(), kt::testApp().appInstance, format, nullptr, &tech, &palette,
                               nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(dib);
    EXPECT_STREQ(format, "GIF87a");
    EXPECT_EQ(kt::techText(tech), "Number of colors = 2\r\nGlobal Color Table: 2 colors\r\n"
                                      "Image data:left = 0, top = 0, width = 2, height = 2\r\n"
                                      "Image bitcount: 1, Bits per pixel: 2\r\nNon-interlaced file\r\n");
    GlobalFree(tech);
    DeleteObject(palette);
}

TEST(GifRead, TwoImagesMakeAPlayListOfTwoFramesAndTheFirstImageIsReturned)
{
    Opened o;
    open(kt::fixture("gif\\im_anim.gif"), &o);
    ASSERT_TRUE(o.dib);
    const kt::RgbImage first = reference("im_anim.1.ref.ppm"), second = reference("im_anim.2.ref.ppm");
    EXPECT_EQ(kt::firstDifference(first, pixels(o.dib.get())), "");
    ASSERT_NE(o.playList, nullptr);
    EXPECT_EQ(o.listHeader().count, 2);
    EXPECT_EQ(o.listHeader().current, -1);
    const PlayFrame f0 = o.frame(0), f1 = o.frame(1);
    EXPECT_EQ(f0.kind, kFrameImage);
    EXPECT_EQ(f0.delay, 0);
    EXPECT_EQ(f0.width, 37);
    EXPECT_EQ(f0.height, 23);
    EXPECT_EQ(kt::firstDifference(first, bitmapPixels(static_cast<HBITMAP>(f0.handle))), "");
    EXPECT_EQ(f1.kind, kFrameImage);
    EXPECT_EQ(f1.delay, 250);
    EXPECT_NE(f1.palette, nullptr);
    EXPECT_EQ(kt::firstDifference(second, bitmapPixels(static_cast<HBITMAP>(f1.handle))), "");
    ASSERT_NE(o.firstFrame, nullptr);
    EXPECT_EQ(kt::firstDifference(first, bitmapPixels(o.firstFrame)), "");
    EXPECT_EQ(DIBWidth(kel::GlobalLocked<uint8_t>(o.info).get()), 37u);
    EXPECT_NE(o.techText().find("Image Overlay #1\r\n"), std::string::npos);
}

// A text overlay starts the play list; the image after it is drawn on the composed screen.
TEST(GifRead, TextOverlayCommentAndOverlayImage)
{
    Opened o;
    open(kt::fixture("gif\\gb_overlay.gif"), &o);
    ASSERT_TRUE(o.dib);
    ASSERT_NE(o.playList, nullptr);
    ASSERT_EQ(o.listHeader().count, 3);
    const PlayFrame text = o.frame(1), image = o.frame(2);
    EXPECT_EQ(text.kind, kFrameText);
    EXPECT_EQ(text.width, 12);
    EXPECT_EQ(text.height, 8);
    EXPECT_EQ(text.cellWidth, 6);
    EXPECT_EQ(text.cellHeight, 8);
    EXPECT_EQ(text.foreground, 2);
    EXPECT_EQ(text.background, 3);
    // Two characters to a grid line: a space where a line boundary falls inside a word.
    EXPECT_EQ(gif_test::blockText(text.handle), "He ll o wo rl d");
    EXPECT_EQ(gif_test::blockText(o.title), "He ll o wo rl d");
    EXPECT_EQ(gif_test::blockText(o.comment), "made by gifbuild");
    EXPECT_EQ(image.kind, kFrameImage);
    EXPECT_EQ(image.left, 5);
    EXPECT_EQ(image.top, 3);
    const kt::RgbImage second = reference("gb_overlay.2.ref.ppm");
    EXPECT_EQ(kt::firstDifference(second, bitmapPixels(static_cast<HBITMAP>(image.handle))), "");
    kt::RgbImage composed = reference("gb_overlay.1.ref.ppm");
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            composed.pixels[size_t(3 + y) * 12 + 5 + x] = second.at(x, y);
    EXPECT_EQ(kt::firstDifference(composed, pixels(o.dib.get())), "");
    EXPECT_EQ(o.firstFrame, nullptr) << "a list started by text keeps no first frame";
    const std::string tech = o.techText();
    for (const char* line : {"Text Overlay: top=0, left=0, width=12, height=8\r\n char width=6, height=8\r\n",
                             "He ll o wo rl d\r\n", "Local Color Table: 2 colors\r\n",
                             "Added 2 entries; Palette size is now 6\r\n", "GIF89a Title data:He ll o wo rl d\r\n",
                             "GIF89a information block:\r\nmade by gifbuild\r\n"})
        EXPECT_NE(tech.find(line), std::string::npos) << line << " in " << tech;
}

TEST(GifRead, ImagesOutsideTheScreen)
{
    kt::TempDir dir;
    const std::vector<uint32_t> colours = kt::spreadColours(4);
    const std::vector<uint8_t> first(16, 1), big(30, 2);
    {
        SCOPED_TRACE("GIF89a: skipped");
        GifBytes g;
        g.screen(4, 4, colours).image(0, 0, 4, 4, first, {}, false, 2).image(2, 2, 6, 5, big, {}, false, 2);
        Opened o;
        open(written(dir, g.trailer().b), &o);
        ASSERT_TRUE(o.dib);
        EXPECT_EQ(kt::indexRows(o.dib.get()), std::vector<std::vector<int>>(4, std::vector<int>(4, 1)));
        EXPECT_NE(o.techText().find("Overlay extends outside of main image - not processed\r\n"), std::string::npos);
    }
    {
        SCOPED_TRACE("GIF87a: the image resizes the screen");
        GifBytes g("GIF87a");
        g.screen(4, 4, colours).image(1, 1, 6, 5, big, {}, false, 2);
        Opened o;
        open(written(dir, g.trailer().b), &o);
        ASSERT_TRUE(o.dib);
        EXPECT_EQ(kt::indexRows(o.dib.get()), std::vector<std::vector<int>>(5, std::vector<int>(6, 2)));
        EXPECT_NE(o.techText().find("Image dimensions differ from screen dimensions. Image resized. \r\n"),
                  std::string::npos);
        EXPECT_EQ(DIBWidth(kel::GlobalLocked<uint8_t>(o.info).get()), 6u);
    }
}

TEST(GifRead, InterlacedRowsComeInTheFourPasses)
{
    kt::TempDir dir;
    std::vector<uint8_t> values(10);
    for (int i = 0; i < 10; ++i)
        values[size_t(i)] = uint8_t(i);
    GifBytes g;
    g.screen(1, 10, kt::spreadColours(16)).image(0, 0, 1, 10, values, {}, true, 4);
    Opened o;
    open(written(dir, g.trailer().b), &o);
    ASSERT_TRUE(o.dib);
    // Row r holds the position at which it came in the data.
    const int order[] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
    std::vector<std::vector<int>> want(10);
    for (int i = 0; i < 10; ++i)
        want[size_t(order[i])] = {i};
    EXPECT_EQ(kt::indexRows(o.dib.get()), want);
    EXPECT_NE(o.techText().find("Interlaced file\r\n"), std::string::npos);
}

// A local table with more colours than the screen's depth can index widens the image to bytes,
// so that every colour keeps its own index.
TEST(GifRead, ColoursBeyondTheDepthWidenTheImage)
{
    kt::TempDir dir;
    const std::vector<uint32_t> local = {0xFF0000, 0x00FF00, 0x0000FF, 0x808080};
    GifBytes g;
    g.screen(4, 2, {0x000000, 0xFFFFFF}, 1).image(0, 1, 4, 1, {0, 1, 2, 3}, local, false, 2);
    Opened o;
    open(written(dir, g.trailer().b), &o);
    ASSERT_TRUE(o.dib);
    EXPECT_EQ(DIBBitcount(kel::GlobalLocked<uint8_t>(o.dib.get()).get()), 8);
    kt::RgbImage want;
    want.width = 4;
    want.height = 2;
    want.pixels = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x808080};
    EXPECT_EQ(kt::firstDifference(want, pixels(o.dib.get())), "");
}

TEST(GifRead, DamagedDataIsReportedAndThePartReadIsKept)
{
    kt::TempDir dir;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* line;
        std::vector<std::vector<int>> rows;
    } cases[3];
    {
        // Index 3 of a two-colour table: no such colour.
        GifBytes g;
        g.screen(2, 1, {0x000000, 0xFFFFFF}).image(0, 0, 2, 1, {1, 3}, {}, false, 2);
        cases[0] = {"an index beyond the colour map", g.trailer().b, "Non-interlaced file\r\n", {{1, 0}}};
    }
    {
        // One data byte: the clear code and the pixel 1, then the end of the file.
        GifBytes g;
        g.screen(4, 2, {0x000000, 0xFFFFFF});
        g.b.insert(g.b.end(), {0x2C, 0, 0, 0, 0, 4, 0, 2, 0, 0, 2, 1, 0x0C});
        cases[1] = {"data cut short", g.b, "Premature EOF\r\n", {{1, 0, 0, 0}, {0, 0, 0, 0}}};
    }
    {
        GifBytes g;
        g.screen(2, 1, {0x000000, 0xFFFFFF}).image(0, 0, 2, 1, {1, 1}, {}, false, 2);
        g.b.push_back(0x99);
        cases[2] = {"no trailer", g.b, "Invalid Trailer 99\r\n", {{1, 1}}};
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Opened o;
        open(written(dir, c.bytes), &o);
        ASSERT_TRUE(o.dib);
        EXPECT_NE(o.techText().find(c.line), std::string::npos) << o.techText();
        EXPECT_EQ(kt::indexRows(o.dib.get()), c.rows);
    }
}

TEST(GifRead, ACancelledReadGivesNothing)
{
    Opened o;
    open(kt::fixture("gif\\im_anim.gif"), &o, 0);
    EXPECT_FALSE(o.dib);
    EXPECT_EQ(o.playList, nullptr);
    EXPECT_EQ(o.firstFrame, nullptr);
}

TEST(GifRead, HeadersThatAreNoImage)
{
    kt::TempDir dir;
    GifBytes noImage;
    noImage.screen(4, 4, {0, 0xFFFFFF}).comment("only a comment");
    GifBytes empty;
    empty.screen(0, 4, {0, 0xFFFFFF}).image(0, 0, 0, 0, {});
    const std::vector<uint8_t> cases[] = {{'G', 'I', 'F'}, noImage.trailer().b, empty.trailer().b,
                                          std::vector<uint8_t>(2000, 'G')};
    for (const std::vector<uint8_t>& bytes : cases) {
        kel::File f = kel::File::openRead(written(dir, bytes).c_str());
        HGLOBAL tech = nullptr;
        char format[16];
        EXPECT_EQ(ReadGIFBitmapInfo(f.get(), 1, format, &tech, nullptr, 0), nullptr);
        if (tech)
            GlobalFree(tech);
    }
    kel::File f = kel::File::openRead(written(dir, noImage.b).c_str());
    HGLOBAL tech = nullptr;
    char format[16];
    EXPECT_EQ(ReadGIFBitmapInfo(f.get(), 1, format, &tech, nullptr, 0), nullptr);
    EXPECT_EQ(kt::techText(tech), "Image descriptor not found\r\n \r\n");
    GlobalFree(tech);
}
