// Reading Targa files: every variant against reference decoders, pixel forms, colour tables,
// technical information, the image ID, refused files and cancelling.
#include "file_io.h"
#include "io_test_files.h"
#include "keldll.h"
#include "reference_image.h"

#include <gtest/gtest.h>

using namespace io_test;

namespace {

std::string written(const kt::TempDir& dir, const std::vector<uint8_t>& bytes, const char* name = "t.tga")
{
    const std::string path = dir.file(name);
    EXPECT_TRUE(kt::writeFile(path, bytes));
    return path;
}

void expectLikeReference(HGLOBAL dib, const std::string& referencePath)
{
    kt::RgbImage want, got;
    ASSERT_TRUE(kt::readNetpbm(referencePath, &want)) << referencePath;
    ASSERT_TRUE(kt::dibToRgb(dib, &got));
    EXPECT_EQ(kt::firstDifference(want, got), "");
}

} // namespace

// Each variant ImageMagick and netpbm write, against tgatoppm (which agrees with ImageMagick).
TEST(TargaRead, EveryVariantDecodesLikeTheReferenceDecoders)
{
    struct Case {
        const char* name;
        const char* format;
        int bits;
    } cases[] = {
        {"im_rgb24", "TGA-2", 24},   {"im_rgb24_rle", "TGA-10", 24}, {"im_rgba32", "TGA-2", 24},
        {"im_rgba32_rle", "TGA-10", 24}, {"im_cmap", "TGA-1", 8},   {"im_cmap_rle", "TGA-9", 8},
        {"im_grey", "TGA-3", 8},     {"im_topleft", "TGA-2", 24},    {"nb_rgb", "TGA-2", 24},
        {"nb_rgb_rle", "TGA-10", 24}, {"nb_cmap", "TGA-1", 8},      {"nb_cmap_rle", "TGA-9", 8},
        {"nb_mono_raw", "TGA-3", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = kt::fixture(std::string("io\\") + c.name + ".tga");
        ASSERT_FALSE(path.empty()) << "fixture missing";
        Decoded d = openTga(path);
        ASSERT_TRUE(d.dib);
        EXPECT_EQ(d.format, c.format);
        EXPECT_EQ(headerOf(d.dib.get()).biBitCount, c.bits);
        EXPECT_EQ(d.palette.get() != nullptr, c.bits == 24) << "24-bit images get a display palette";
        expectLikeReference(d.dib.get(), kt::fixture(std::string("io\\") + c.name + ".ref.ppm"));
    }
}

// The sample set: 16-, 24- and 32-bit RGB, colour maps of 16-bit entries, run-length coding.
TEST(TargaRead, SampleFilesDecodeLikeTheirReferences)
{
    const char* names[] = {"truevision_utc16", "truevision_utc24", "truevision_utc32", "truevision_ucm8",
                           "truevision_ccm8", "truevision_ctc24", "gimp_32bit_alpha_rle_bottomleft"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const std::string path = kt::testData(std::string("tga/") + name + ".tga");
        if (path.empty())
            GTEST_SKIP() << "shared sample set not present";
        Decoded d = openTga(path);
        ASSERT_TRUE(d.dib);
        expectLikeReference(d.dib.get(), kt::testData(std::string("tga/ref/") + name + ".tga.ref.pam"));
    }
    // Run-length coded grey (type 11) is not among the types read.
    const std::string grey = kt::testData("tga/truevision_cbw8.tga");
    kel::File f = kel::File::openRead(grey.c_str());
    char format[16] = "";
    EXPECT_EQ(ReadTGABitmapInfo(f.get(), format, nullptr), nullptr);
    EXPECT_FALSE(openTga(grey).dib);
}

// Pixel units: 5-5-5 words reach full white, the alpha byte is dropped, rows run bottom-up
// unless the descriptor says otherwise, and run packets carry on into the next row.
TEST(TargaRead, PixelForms)
{
    struct Case {
        const char* what;
        Tga h;
        std::vector<uint8_t> data;
        std::vector<std::vector<int>> want; // top row first, 0xRRGGBB
    } cases[] = {
        {"16-bit words", [] { Tga h; h.bits = 16; h.width = 4; return h; }(),
         {0xFF, 0x7F, 0x00, 0x80, 0x1F, 0x00, 0x00, 0x7C},
         {{0xFFFFFF, 0x000000, 0x0000FF, 0xFF0000}}},
        {"15-bit words, bit 15 ignored", [] { Tga h; h.bits = 15; h.width = 2; return h; }(),
         {0xE0, 0x83, 0x10, 0x42}, {{0x00FF00, 0x848484}}},
        {"24 bits keep every bit", [] { Tga h; h.width = 2; return h; }(),
         {0xFF, 0xFF, 0xFF, 0x03, 0x02, 0x01}, {{0xFFFFFF, 0x010203}}},
        {"32 bits drop alpha", [] { Tga h; h.bits = 32; h.width = 1; return h; }(), {0x30, 0x20, 0x10, 0x99},
         {{0x102030}}},
        {"bottom row first", [] { Tga h; h.width = 1; h.height = 2; return h; }(), {1, 1, 1, 2, 2, 2},
         {{0x020202}, {0x010101}}},
        {"top row first (descriptor 0x20)", [] { Tga h; h.width = 1; h.height = 2; h.descriptor = 0x28; return h; }(),
         {1, 1, 1, 2, 2, 2}, {{0x010101}, {0x020202}}},
        {"a run packet spans two rows", [] { Tga h; h.type = 10; h.width = 2; h.height = 2; return h; }(),
         {0x00, 9, 9, 9, 0x82, 5, 6, 7}, {{0x070605, 0x070605}, {0x090909, 0x070605}}},
        {"a raw packet spans two rows", [] { Tga h; h.type = 10; h.width = 1; h.height = 2; return h; }(),
         {0x01, 1, 2, 3, 4, 5, 6}, {{0x060504}, {0x030201}}},
        {"a run past the image ends with it", [] { Tga h; h.type = 10; h.width = 2; h.height = 1; return h; }(),
         {0xFF, 8, 8, 8}, {{0x080808, 0x080808}}},
        {"a file that ends early leaves black", [] { Tga h; h.type = 10; h.width = 3; h.height = 1; return h; }(),
         {0x00, 8, 8, 8, 0x85}, {{0x080808, 0, 0}}},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Decoded d = openTga(written(dir, c.h.bytes(c.data)));
        ASSERT_TRUE(d.dib);
        kt::RgbImage got;
        ASSERT_TRUE(kt::dibToRgb(d.dib.get(), &got));
        std::vector<std::vector<int>> rows;
        for (int y = 0; y < got.height; ++y) {
            rows.emplace_back();
            for (int x = 0; x < got.width; ++x)
                rows.back().push_back(int(got.at(x, y)));
        }
        EXPECT_EQ(rows, c.want);
    }
}

// Colour tables: the map (entries of 16, 24 or 32 bits, from its first index), black and white
// only when the file gives no colours, grey ramps from black to white, at most 256 entries.
TEST(TargaRead, ColourTables)
{
    auto mapped = [](int bits, int entryBits, int first, std::vector<uint8_t> map, int length) {
        Tga h;
        h.type = 1;
        h.bits = uint8_t(bits);
        h.mapType = 1;
        h.mapEntryBits = uint8_t(entryBits);
        h.mapFirst = uint16_t(first);
        h.mapLength = uint16_t(length);
        map.push_back(0); // one pixel
        return h.bytes(map);
    };
    Tga grey4;
    grey4.type = 3;
    grey4.bits = 4;
    Tga grey1 = grey4;
    grey1.bits = 1;
    Tga bilevel;
    bilevel.type = 1;
    bilevel.bits = 1;
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        std::vector<uint32_t> want;
    } cases[] = {
        {"two 24-bit entries stay as they are", mapped(8, 24, 0, {0, 0, 255, 255, 0, 0}, 2), {0xFF0000, 0x0000FF}},
        {"32-bit entries", mapped(8, 32, 0, {1, 2, 3, 4}, 1), {0x030201}},
        {"16-bit entries", mapped(8, 16, 0, {0x1F, 0x7C}, 1), {0xFF00FF}},
        {"the map starts at its first index", mapped(4, 24, 2, {1, 2, 3}, 1), {0, 0, 0x030201}},
        {"no map for a 1-bit image: black and white", bilevel.bytes({0}), {0x000000, 0xFFFFFF}},
        {"4-bit grey ramp", grey4.bytes({0}),
         {0x000000, 0x111111, 0x222222, 0x333333, 0x444444, 0x555555, 0x666666, 0x777777, 0x888888, 0x999999,
          0xAAAAAA, 0xBBBBBB, 0xCCCCCC, 0xDDDDDD, 0xEEEEEE, 0xFFFFFF}},
        {"1-bit grey", grey1.bytes({0}), {0x000000, 0xFFFFFF}},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Decoded d = openTga(written(dir, c.file));
        ASSERT_TRUE(d.dib);
        EXPECT_EQ(colourTable(d.dib.get()), c.want);
    }

    // 300 map entries for an 8-bit image: 256 of them; colours important counts the map's entries.
    std::vector<uint8_t> map(300 * 3, 7);
    Decoded big = openTga(written(dir, mapped(8, 24, 0, map, 300)));
    ASSERT_TRUE(big.dib);
    EXPECT_EQ(headerOf(big.dib.get()).biClrUsed, 256u);
    EXPECT_EQ(headerOf(big.dib.get()).biClrImportant, 256u);
}

// Pixels whose index the map does not hold show its first colour.
TEST(TargaRead, IndicesPastTheMapBecomeEntryZero)
{
    Tga h;
    h.type = 9;
    h.bits = 8;
    h.mapType = 1;
    h.mapEntryBits = 24;
    h.mapLength = 2;
    h.width = 4;
    kt::TempDir dir;
    Decoded d = openTga(written(dir, h.bytes({10, 20, 30, 40, 50, 60, 0x03, 0, 1, 2, 255})));
    ASSERT_TRUE(d.dib);
    EXPECT_EQ(kt::indexRows(d.dib.get()), (std::vector<std::vector<int>>{{0, 1, 0, 0}}));
}

TEST(TargaRead, TechnicalInformationDescribesTheHeader)
{
    Tga h;
    h.type = 9;
    h.bits = 8;
    h.idLength = 5;
    h.mapType = 1;
    h.mapEntryBits = 24;
    h.mapLength = 2;
    h.x = 12;
    h.y = -3;
    h.descriptor = 0x20;
    kt::TempDir dir;
    Decoded d = openTga(written(dir, h.bytes({'h', 'e', 'l', 'l', 'o', 1, 2, 3, 4, 5, 6, 0x80, 1})));
    ASSERT_TRUE(d.dib);
    EXPECT_EQ(d.tech, "TARGA type 9 - RLE encoded,color-mapped\r\nColor map  present\r\n"
                      "Color map contains 2 colors\r\nColor map entry size = 24\r\nBits per pixel = 8\r\n"
                      "Image origin: 12, -3\r\nImage ID: hello\r\nOrigin upper left\r\n");
    EXPECT_EQ(d.imageId, "hello");
    EXPECT_EQ(d.format, "TGA-9");

    Tga plain;
    Decoded p = openTga(written(dir, plain.bytes({1, 2, 3})));
    ASSERT_TRUE(p.dib);
    EXPECT_EQ(p.tech, "TARGA type 2 - Uncompressed RGB\r\nColor map not  present\r\nColor map entry size = 0\r\n"
                      "Bits per pixel = 24\r\nImage origin: 0, 0\r\nOrigin lower left\r\n");
}

// The image ID goes into a new block, or into the caller's as far as it holds.
TEST(TargaRead, ImageIdIntoTheCallersBlock)
{
    Tga h;
    h.idLength = 6;
    kt::TempDir dir;
    const std::string path = written(dir, h.bytes({'a', 'b', 'c', 'd', 'e', 'f', 1, 2, 3}));
    for (SIZE_T room : {SIZE_T(0), SIZE_T(4), SIZE_T(32)}) {
        SCOPED_TRACE(room);
        HGLOBAL id = room ? GlobalAlloc(GHND, room) : nullptr;
        kel::File f = kel::File::openRead(path.c_str());
        char format[16];
        kel::GlobalMem info(ReadTGABitmapInfo(f.get(), format, &id));
        ASSERT_TRUE(info);
        ASSERT_TRUE(id);
        EXPECT_STREQ(static_cast<const char*>(GlobalLock(id)), room == 4 ? "abc" : "abcdef");
        GlobalUnlock(id);
        GlobalFree(id);
        // The handle stands at the first pixel byte.
        uint8_t pixel[3] = {};
        DWORD got = 0;
        ASSERT_TRUE(ReadFile(f.get(), pixel, 3, &got, nullptr));
        EXPECT_EQ(std::vector<uint8_t>(pixel, pixel + 3), (std::vector<uint8_t>{1, 2, 3}));
    }
}

// Types, depths and sizes the codec does not read give null without a message; an interleaved
// file says why in the technical information.
TEST(TargaRead, RefusedFiles)
{
    auto with = [](auto change) {
        Tga h;
        h.width = 2;
        change(h);
        return h.bytes(std::vector<uint8_t>(64, 0));
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        bool infoReads; // the information entry still gives a record
    } cases[] = {
        {"type 11", with([](Tga& h) { h.type = 11; h.bits = 8; }), false},
        {"type 32", with([](Tga& h) { h.type = 32; }), false},
        {"type 33", with([](Tga& h) { h.type = 33; }), false},
        {"type 0", with([](Tga& h) { h.type = 0; }), false},
        {"7 bits", with([](Tga& h) { h.bits = 7; }), false},
        {"16-bit indices", with([](Tga& h) { h.type = 1; h.bits = 16; }), false},
        {"no width", with([](Tga& h) { h.width = 0; }), false},
        {"a map of 8-bit entries", with([](Tga& h) { h.mapType = 1; h.mapLength = 2; h.mapEntryBits = 8; }), false},
        {"65535 x 65535 from 82 bytes", with([](Tga& h) { h.width = h.height = 0xFFFF; h.type = 10; }), false},
        {"a header cut short", std::vector<uint8_t>(17, 0), false},
        {"interleaved", with([](Tga& h) { h.descriptor = 0x40; }), true},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = written(dir, c.file);
        kt::DialogAnswerer answerer;
        {
            kel::File f = kel::File::openRead(path.c_str());
            char format[16];
            kel::GlobalMem info(ReadTGABitmapInfo(f.get(), format, nullptr));
            EXPECT_EQ(bool(info), c.infoReads);
        }
        Decoded d = openTga(path);
        EXPECT_FALSE(d.dib);
        EXPECT_TRUE(answerer.shown().empty()) << answerer.shown()[0].text;
        if (std::string(c.what) == "interleaved") {
            EXPECT_NE(d.tech.find("Interleave option not supported \r\n"), std::string::npos) << d.tech;
        }
    }
}

// A 24-bit image gets an optimal palette: in its colour table and in the caller's variable, whose
// old palette is deleted; the pixels stay as they were.
TEST(TargaRead, TrueColourImagesGetADisplayPalette)
{
    Tga h;
    h.width = 3;
    kt::TempDir dir;
    const std::string path = written(dir, h.bytes({0, 0, 255, 0, 255, 0, 0, 0, 255}));
    HPALETTE old = CreateHalftonePalette(nullptr);
    HPALETTE palette = old;
    char format[16];
    HGLOBAL tech = nullptr;
    kel::GlobalMem dib(OpenTGA(path.c_str(), kt::testApp().appInstance, format, &tech, nullptr, &palette));
    GlobalFree(tech);
    ASSERT_TRUE(dib);
    EXPECT_NE(palette, old);
    EXPECT_EQ(GetObjectType(old), 0u) << "the old palette is deleted";
    EXPECT_EQ(ColorsInPalette(palette), 2);
    EXPECT_EQ(headerOf(dib.get()).biClrUsed, 2u);
    EXPECT_EQ(kt::indexRows(dib.get()), (std::vector<std::vector<int>>{{0xFF0000, 0x00FF00, 0xFF0000}}));
    DeleteObject(palette);
}

TEST(TargaRead, CancellingGivesNull)
{
    Tga h;
    h.width = 4;
    h.height = 4;
    kt::TempDir dir;
    const std::string path = written(dir, h.bytes(std::vector<uint8_t>(48, 9)));
    WORD flag = 0;
    DisplayStatusBox(nullptr, &flag, 0);
    flag = 0;
    EXPECT_FALSE(openTga(path).dib);
    DestroyStatus();
    EXPECT_TRUE(openTga(path).dib);
}
