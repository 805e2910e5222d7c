// Reading PNG files: every colour type, depth and interlace of other tools against their
// reference decodes, the information record, text chunks, and damaged files.
#include "codec_results.h"
#include "dib_builder.h"
#include "file_io.h"
#include "keldll.h"
#include "kelpng.h"
#include "png_test_files.h"
#include "reference_image.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct Opened {
    kel::GlobalMem dib, info;
    HGLOBAL tech = nullptr, title = nullptr, description = nullptr;
    ~Opened()
    {
        for (HGLOBAL h : {tech, title, description})
            if (h)
                GlobalFree(h);
    }
};

void open(const std::string& path, Opened* o)
{
    char format[16] = "";
    {
        kel::File f = kel::File::openRead(path.c_str());
        o->info.reset(ReadPNGBitmapInfo(f.get(), 0, format, &o->tech, 0, 0));
    }
    HGLOBAL info = o->info.get();
    o->dib.reset(OpenPNG(0, path.c_str(), kt::testApp().appInstance, 0, &info, &o->tech, 0, 0, 0, 0, 0, 0, &o->title,
                         &o->description, 0, 0, 0));
    EXPECT_EQ(info, o->info.get()) << "the record variable is left as it was";
    if (o->info) {
        EXPECT_STREQ(format, "PNG");
    }
}

std::string written(const kt::TempDir& dir, const std::vector<uint8_t>& bytes)
{
    const std::string path = dir.file("t.png");
    EXPECT_TRUE(kt::writeFile(path, bytes));
    return path;
}

void expectPixels(HGLOBAL dib, const std::string& refPath)
{
    kt::RgbImage want, got;
    ASSERT_TRUE(kt::readNetpbm(refPath, &want)) << refPath;
    ASSERT_TRUE(kt::dibToRgb(dib, &got));
    EXPECT_EQ(kt::firstDifference(want, got), "");
}

int bitsOf(HGLOBAL dib) { return DIBBitcount(kel::GlobalLocked<uint8_t>(dib).get()); }

} // namespace

// 16-bit samples by their high byte (the references are read the same way), alpha dropped.
TEST(PngRead, EveryColourTypeDepthAndInterlaceDecodesLikeTheReferenceDecoder)
{
    struct Case {
        const char* name;
        int bits;
    } cases[] = {{"nb_grey1", 1},    {"nb_grey2", 4},     {"nb_grey4", 4},   {"nb_grey8", 8},    {"im_grey16", 8},
                 {"im_greyalpha", 8}, {"nb_pal1", 1},     {"nb_pal2", 4},    {"nb_pal4", 4},     {"nb_pal8", 8},
                 {"nb_pal4_il", 4},  {"im_rgb8", 24},     {"im_rgb16", 24},  {"im_rgba8", 24},   {"nb_rgb8_il", 24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Opened o;
        open(kt::fixture(std::string("png\\") + c.name + ".png"), &o);
        ASSERT_TRUE(o.dib);
        EXPECT_EQ(bitsOf(o.dib.get()), c.bits);
        expectPixels(o.dib.get(), kt::fixture(std::string("png\\") + c.name + ".ref.pam"));
        if (c.bits == 24) {
            // An optimal palette for palette displays.
            kel::GlobalLocked<BITMAPINFOHEADER> bi(o.dib.get());
            EXPECT_GT(bi->biClrUsed, 0u);
            EXPECT_LE(bi->biClrUsed, 256u);
        }
    }
}

TEST(PngRead, SampleSuiteDecodesLikeItsReferences)
{
    const char* names[] = {"basi0g01", "basi0g04", "basi0g16", "basi2c08", "basi2c16", "basi3p02",
                           "basi3p08", "basi4a08", "basi6a08", "basi6a16", "tbrn2c08", "tbwn0g16"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const std::string path = kt::testData(std::string("png/") + name + ".png");
        if (path.empty())
            GTEST_SKIP() << "shared sample set not present";
        Opened o;
        open(path, &o);
        ASSERT_TRUE(o.dib);
        expectPixels(o.dib.get(), kt::testData(std::string("png/ref/") + name + ".png.ref.pam"));
    }
}

TEST(PngRead, InformationRecordOfGreyAndPaletteImages)
{
    {
        SCOPED_TRACE("grey, 2 bits: a ramp of 4 in a 4-bit image");
        Opened o;
        open(kt::fixture("png\\nb_grey2.png"), &o);
        kel::GlobalLocked<uint8_t> p(o.info.get());
        ASSERT_TRUE(p);
        const auto* bi = reinterpret_cast<const BITMAPINFOHEADER*>(p.get());
        EXPECT_EQ(bi->biBitCount, 4);
        EXPECT_EQ(bi->biClrUsed, 4u);
        EXPECT_EQ(bi->biSizeImage, 20u * 23);
        const uint8_t want[] = {0, 0, 0, 1, 85, 85, 85, 1, 170, 170, 170, 1, 255, 255, 255, 1};
        EXPECT_EQ(std::memcmp(p.get() + 40, want, sizeof want), 0);
    }
    {
        SCOPED_TRACE("palette: as many colours as PLTE has");
        const std::vector<png_test::Chunk> c = png_test::chunks(kt::readFile(kt::fixture("png\\nb_pal8.png")));
        size_t plte = 0;
        for (const png_test::Chunk& k : c)
            if (k.type == "PLTE")
                plte = k.data.size() / 3;
        Opened o;
        open(kt::fixture("png\\nb_pal8.png"), &o);
        kel::GlobalLocked<BITMAPINFOHEADER> bi(o.info.get());
        ASSERT_TRUE(bi);
        EXPECT_EQ(bi->biClrUsed, plte);
        EXPECT_EQ(bi->biClrImportant, plte);
    }
}

TEST(PngRead, LeadingDataBeforeTheSignatureIsSkipped)
{
    kt::TempDir dir;
    std::vector<uint8_t> bytes(300, 0x89);
    const std::vector<uint8_t> file = kt::readFile(kt::fixture("png\\nb_pal4.png"));
    bytes.insert(bytes.end(), file.begin(), file.end());
    Opened o;
    open(written(dir, bytes), &o);
    ASSERT_TRUE(o.dib);
    expectPixels(o.dib.get(), kt::fixture("png\\nb_pal4.ref.pam"));
}

TEST(PngRead, TextAndTimeChunks)
{
    kt::TempDir dir;
    std::vector<png_test::Chunk> c = png_test::chunks(kt::readFile(kt::fixture("png\\nb_grey8.png")));
    std::vector<png_test::Chunk> list = {c[0], png_test::text("Title", "A lake"),
                                         png_test::text("Description", "Morning, from the east shore"),
                                         png_test::text("Author", "K."),
                                         png_test::Chunk{"tIME", {0x07, 0xCF, 12, 31, 23, 59, 58}}};
    for (size_t i = 1; i < c.size(); ++i)
        if (c[i].type == "IDAT" || c[i].type == "IEND")
            list.push_back(c[i]);
    Opened o;
    o.title = GlobalAlloc(GHND, 4); // replaced, not appended to
    open(written(dir, png_test::file(list)), &o);
    ASSERT_TRUE(o.dib);
    EXPECT_STREQ(static_cast<char*>(kel::GlobalLocked<char>(o.title).get()), "A lake");
    EXPECT_STREQ(static_cast<char*>(kel::GlobalLocked<char>(o.description).get()), "Morning, from the east shore");
    EXPECT_EQ(kt::techText(o.tech),
              "ColorType = 0, BitDepth = 8, Compression Type = 0,\r\n Filter Type = 0, Interlace Type =0\r\n"
              "Text data - Title: A lake\r\nText data - Description: Morning, from the east shore\r\n"
              "Text data - Author: K.\r\nLast-Modification time: 12/31/1999 23:59:58\r\n");
    expectPixels(o.dib.get(), kt::fixture("png\\nb_grey8.ref.pam"));
}

TEST(PngRead, DamagedFiles)
{
    kt::TempDir dir;
    const std::vector<png_test::Chunk> pal = png_test::chunks(kt::readFile(kt::fixture("png\\nb_pal8.png")));
    std::vector<png_test::Chunk> noPalette;
    for (const png_test::Chunk& k : pal)
        if (k.type != "PLTE")
            noPalette.push_back(k);
    {
        SCOPED_TRACE("a palette image without PLTE");
        Opened o;
        open(written(dir, png_test::file(noPalette)), &o);
        EXPECT_FALSE(o.info);
        EXPECT_FALSE(o.dib);
        EXPECT_EQ(kt::techText(o.tech), "Missing Palette\r\n");
    }
    {
        SCOPED_TRACE("a wrong CRC on IHDR");
        Opened o;
        open(written(dir, png_test::file(pal, 0)), &o);
        EXPECT_FALSE(o.info);
        EXPECT_FALSE(o.dib);
    }
    {
        SCOPED_TRACE("a wrong CRC on a text chunk before the data");
        std::vector<png_test::Chunk> list = {pal[0], png_test::text("Title", "x")};
        list.insert(list.end(), pal.begin() + 1, pal.end());
        Opened o;
        open(written(dir, png_test::file(list, 1)), &o);
        EXPECT_FALSE(o.info);
        EXPECT_FALSE(o.dib);
    }
    {
        SCOPED_TRACE("absurd headers");
        for (auto [width, height, depth, type] : {std::tuple{0u, 5u, 8, 0}, std::tuple{5u, 0u, 8, 0},
                                                  std::tuple{5u, 5u, 3, 0}, std::tuple{5u, 5u, 16, 3},
                                                  std::tuple{5u, 5u, 4, 2}, std::tuple{5u, 5u, 8, 7},
                                                  std::tuple{100000u, 100000u, 8, 2}}) {
            std::vector<png_test::Chunk> list = pal;
            kel::putU32BE(list[0].data.data(), width);
            kel::putU32BE(list[0].data.data() + 4, height);
            list[0].data[8] = uint8_t(depth);
            list[0].data[9] = uint8_t(type);
            Opened o;
            open(written(dir, png_test::file(list)), &o);
            EXPECT_FALSE(o.info) << width << "x" << height << " depth " << depth << " type " << type;
        }
    }
}

// Compressed data cut short: the message, and the rows that were there.
TEST(PngRead, DataCutShortShowsTheErrorAndKeepsWhatWasRead)
{
    kt::TempDir dir;
    std::vector<png_test::Chunk> list = png_test::chunks(kt::readFile(kt::fixture("png\\nb_grey8.png")));
    for (png_test::Chunk& k : list)
        if (k.type == "IDAT")
            k.data.resize(k.data.size() / 2);
    kt::DialogAnswerer answer;
    Opened o;
    open(written(dir, png_test::file(list)), &o);
    ASSERT_TRUE(o.dib);
    ASSERT_EQ(answer.shown().size(), 1u);
    EXPECT_EQ(answer.shown()[0].text, "Error decompressing file");
    kt::RgbImage want, got;
    ASSERT_TRUE(kt::readNetpbm(kt::fixture("png\\nb_grey8.ref.pam"), &want));
    ASSERT_TRUE(kt::dibToRgb(o.dib.get(), &got));
    EXPECT_EQ(got.at(0, 0), want.at(0, 0)) << "the first row was in the data";
}
