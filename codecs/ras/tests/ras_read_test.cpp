// Reading Sun raster files: every depth against the tools' own decodes, refused files, the
// colour table rules, row padding, technical information, memory failures and cancelling.
#include "bytes.h"
#include "codec_results.h"
#include "file_io.h"
#include "import_patch.h"
#include "keldll.h"
#include "kelras.h"
#include "reference_image.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct Decoded {
    kel::GlobalMem dib;
    std::string format;
    std::string tech;
    kel::GdiObject<HPALETTE> palette;
};

Decoded open(const std::string& path)
{
    Decoded d;
    char format[32] = "";
    HGLOBAL tech = nullptr;
    HPALETTE palette = nullptr;
    d.dib.reset(OpenRAS(path.c_str(), kt::testApp().appInstance, format, nullptr, &tech, &palette, 0));
    d.format = format;
    d.tech = kt::techText(tech);
    d.palette.reset(palette);
    if (tech)
        GlobalFree(tech);
    return d;
}

// A Sun raster file: the header (big-endian), an optional colour map and the data.
std::vector<uint8_t> rasFile(uint32_t width, uint32_t height, uint32_t depth, uint32_t type,
                             const std::vector<uint8_t>& map, const std::vector<uint8_t>& data,
                             uint32_t magic = 0x59A66A95)
{
    std::vector<uint8_t> b(32);
    const uint32_t fields[8] = {magic, width, height, depth, uint32_t(data.size()), type, map.empty() ? 0u : 1u,
                                uint32_t(map.size())};
    for (int i = 0; i < 8; ++i)
        kel::putU32BE(&b[4 * i], fields[i]);
    b.insert(b.end(), map.begin(), map.end());
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

} // namespace

// Every depth the codec reads, made by netpbm and ImageMagick, against the tool's own decode.
TEST(RasRead, FilesOfTheToolsDecodeAsTheToolsReadThem)
{
    constexpr int kMapLength = -1; // as many colours as the file's colour map holds
    struct Case {
        const char* name;
        int bits, colours;
    } cases[] = {
        {"nb_1bit", 1, 2},    {"nb_8bit", 8, kMapLength}, {"nb_grey", 8, 256},
        {"im_8bit", 8, kMapLength}, {"nb_24bit", 24, 256}, {"nb_24bit_w3", 24, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = kt::fixture(std::string("ras\\") + c.name + ".ras");
        ASSERT_FALSE(path.empty()) << "fixture missing";
        // Whether a tool pads its colour map to 256 entries is the tool's business: the image
        // holds as many colours as the file's map.
        const int colours = c.colours == kMapLength ? int(kel::getU32BE(kt::readFile(path).data() + 28) / 3) : c.colours;
        Decoded d = open(path);
        ASSERT_TRUE(d.dib);
        EXPECT_EQ(d.format, "RAS");
        const BITMAPINFOHEADER bi = kt::headerOf(d.dib.get());
        EXPECT_EQ(bi.biBitCount, c.bits);
        EXPECT_EQ(int(bi.biClrUsed), colours);
        EXPECT_EQ(int(bi.biClrImportant), colours);
        EXPECT_EQ(bool(d.palette), c.bits == 24) << "a palette is made for 24-bit images only";
        kt::RgbImage want, got;
        ASSERT_TRUE(kt::readNetpbm(kt::fixture(std::string("ras\\") + c.name + ".ref.ppm"), &want));
        ASSERT_TRUE(kt::dibToRgb(d.dib.get(), &got));
        EXPECT_EQ(kt::firstDifference(want, got), "");
    }
}

// What is not a standard Sun raster file gives no record and one line of technical information.
TEST(RasRead, RefusedFilesSayWhyInTheTechnicalInformation)
{
    kt::TempDir dir;
    std::vector<uint8_t> littleEndian = rasFile(2, 2, 8, 1, {}, std::vector<uint8_t>(4, 0));
    std::reverse(littleEndian.begin(), littleEndian.begin() + 4);
    ASSERT_TRUE(kt::writeFile(dir.file("le.ras"), littleEndian));
    struct Case {
        std::string path;
        const char* tech;
    } cases[] = {
        {dir.file("le.ras"), "Invalid magic value \r\n"},
        {kt::fixture("ras\\nb_rle.ras"), "Not a standard encoded SUN raster file, 2 \r\n"},
        {kt::fixture("ras\\im_24bit.ras"), "Not a standard encoded SUN raster file, 3 \r\n"},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    // A real-world run-length encoded file of the shared sample set.
    const std::string sample = kt::testData("ras/pillow_1bit_rle.ras");
    if (!sample.empty())
        all.push_back({sample, "Not a standard encoded SUN raster file, 2 \r\n"});
    for (const Case& c : all) {
        SCOPED_TRACE(c.path);
        kel::File f = kel::File::openRead(c.path.c_str());
        ASSERT_TRUE(f);
        HGLOBAL tech = nullptr;
        char format[8] = "";
        EXPECT_EQ(ReadRASBitmapInfo(f.get(), format, &tech, 1), nullptr);
        EXPECT_EQ(kt::techText(tech), c.tech);
        EXPECT_STREQ(format, "");
        GlobalFree(tech);
        Decoded d = open(c.path);
        EXPECT_FALSE(d.dib);
        EXPECT_EQ(d.tech, c.tech);
    }
}

// Without a colour map an 8-bit image shows in grey; a map replaces the ramp entry by entry and
// sets the colour count; a 1-bit image without map is white on 0 and black on 1.
TEST(RasRead, ColourTables)
{
    kt::TempDir dir;
    struct Case {
        const char* what;
        uint32_t depth;
        std::vector<uint8_t> map, data;
        int colours;
        std::vector<uint32_t> table; // first entries, 0xRRGGBBrr
        std::vector<std::vector<int>> pixels;
    } cases[] = {
        {"8 bits, no map", 8, {}, {0, 1, 0x80, 0xFF}, 256,
         {0x00000001, 0x01010101, 0x02020201}, {{0, 1}, {0x80, 0xFF}}},
        {"8 bits, 3-entry map", 8, {10, 11, 12, 20, 21, 22, 30, 31, 32}, {0, 1, 2, 2}, 3,
         {0x0A141E01, 0x0B151F01, 0x0C162001}, {{0, 1}, {2, 2}}},
        {"1 bit, no map", 1, {}, {0x80, 0, 0x40, 0}, 2, {0xFFFFFF01, 0x00000001}, {{1, 0}, {0, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("t.ras");
        ASSERT_TRUE(kt::writeFile(path, rasFile(2, 2, c.depth, 1, c.map, c.data)));
        Decoded d = open(path);
        ASSERT_TRUE(d.dib);
        EXPECT_EQ(int(kt::headerOf(d.dib.get()).biClrUsed), c.colours);
        EXPECT_EQ(kt::colourTable(d.dib.get(), int(c.table.size())), c.table);
        EXPECT_EQ(kt::indexRows(d.dib.get()), c.pixels);
        EXPECT_EQ(d.tech, std::string("Map type = ") + (c.map.empty() ? "0" : "1") + "\r\n");
    }
}

// A 24-bit image of width 3 has rows of 9 bytes and one padding byte; pixels are blue, green,
// red in the file as in the DIB. The image keeps 24 bits and its table holds the optimal
// palette: here its three colours (to the quantizer's 4-bit cells), then black.
TEST(RasRead, TwentyFourBitRowsArePaddedToEvenLengths)
{
    const std::vector<uint8_t> data = {
        0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0xEE, // red, green, blue, padding
        0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xEE, // blue, red, green, padding
    };
    kt::TempDir dir;
    const std::string path = dir.file("w3.ras");
    ASSERT_TRUE(kt::writeFile(path, rasFile(3, 2, 24, 1, {}, data)));
    Decoded d = open(path);
    ASSERT_TRUE(d.dib);
    EXPECT_EQ(kt::indexRows(d.dib.get()),
              (std::vector<std::vector<int>>{{0xFF0000, 0x00FF00, 0x0000FF}, {0x0000FF, 0xFF0000, 0x00FF00}}));
    const BITMAPINFOHEADER bi = kt::headerOf(d.dib.get());
    EXPECT_EQ(bi.biBitCount, 24);
    EXPECT_EQ(bi.biClrUsed, 256u);
    std::vector<uint32_t> table = kt::colourTable(d.dib.get(), 4);
    std::sort(table.begin(), table.begin() + 3);
    EXPECT_EQ(table, (std::vector<uint32_t>{0x0000F000, 0x00F00000, 0xF0000000, 0}));
    ASSERT_TRUE(d.palette);
    EXPECT_EQ(ColorsInPalette(d.palette.get()), 256);
}

// Headers no image can come of: no record, no allocation of their size.
TEST(RasRead, AbsurdHeadersAreRefused)
{
    struct Case {
        const char* what;
        uint32_t width, height, depth;
        size_t dataBytes;
    } cases[] = {
        {"no width", 0, 4, 8, 64},
        {"no height", 4, 0, 8, 64},
        {"depth 4", 4, 4, 4, 64},
        {"depth 32", 4, 4, 32, 64},
        {"width beyond 31 bits", 0x80000000u, 1, 8, 64},
        {"a gigapixel image in a small file", 40000, 40000, 8, 4096},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("a.ras");
        ASSERT_TRUE(kt::writeFile(path, rasFile(c.width, c.height, c.depth, 1, {}, std::vector<uint8_t>(c.dataBytes, 7))));
        kel::File f = kel::File::openRead(path.c_str());
        EXPECT_EQ(ReadRASBitmapInfo(f.get(), nullptr, nullptr, 0), nullptr);
        f.close();
        EXPECT_FALSE(open(path).dib);
    }
}

// A file cut short keeps the rows it has; the missing ones are black.
TEST(RasRead, TruncatedDataLeavesTheMissingRowsBlack)
{
    kt::TempDir dir;
    const std::string path = dir.file("cut.ras");
    ASSERT_TRUE(kt::writeFile(path, rasFile(2, 3, 8, 1, {}, {5, 6, 7})));
    Decoded d = open(path);
    ASSERT_TRUE(d.dib);
    EXPECT_EQ(kt::indexRows(d.dib.get()), (std::vector<std::vector<int>>{{5, 6}, {7, 0}, {0, 0}}));
}

// Memory running out: the record shows "Create bit map failed" (only with warnings on); the
// image appends the application's text 1017 to the technical information.
TEST(RasRead, OutOfMemoryIsReportedWhereThePartSays)
{
    struct Fail {
        static HGLOBAL WINAPI alloc(UINT, SIZE_T) { return nullptr; }
        static HGLOBAL WINAPI realloc(HGLOBAL, SIZE_T, UINT) { return nullptr; }
    };
    HMODULE ras = GetModuleHandleA("KELRAS32.dll");
    const std::string path = kt::fixture("ras\\nb_8bit.ras");
    {
        kt::ImportPatch patch(ras, "GlobalAlloc", kt::functionPointer(Fail::alloc));
        ASSERT_TRUE(patch.patched());
        kt::DialogAnswerer answerer;
        kel::File f = kel::File::openRead(path.c_str());
        EXPECT_EQ(ReadRASBitmapInfo(f.get(), nullptr, nullptr, 1), nullptr);
        ASSERT_EQ(answerer.shown().size(), 1u);
        EXPECT_EQ(answerer.shown()[0].text, "Create bit map failed");
        EXPECT_EQ(ReadRASBitmapInfo(f.get(), nullptr, nullptr, 0), nullptr);
        EXPECT_EQ(answerer.shown().size(), 1u) << "no message with warnings off";
    }
    kt::ImportPatch patch(ras, "GlobalReAlloc", kt::functionPointer(Fail::realloc));
    ASSERT_TRUE(patch.patched());
    Decoded d = open(path);
    EXPECT_FALSE(d.dib);
    EXPECT_EQ(d.tech, "Map type = 1\r\nInsufficient memory available\r\n");
}

TEST(RasRead, WritingIsNotOfferedAndMissingFilesGiveNull)
{
    kt::TempDir dir;
    EXPECT_FALSE(open(dir.file("none.ras")).dib);
    kel::GlobalMem dib(GlobalAlloc(GHND, 64));
    EXPECT_EQ(WriteRAS(dir.file("out.ras").c_str(), dib.get(), 0), 0);
    EXPECT_EQ(GetFileAttributesA(dir.file("out.ras").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The user's cancel, seen through the progress call after a row, ends the read.
TEST(RasRead, CancelEndsTheRead)
{
    WORD flag = 0;
    DisplayStatusBox(nullptr, &flag, 0);
    flag = 0;
    Decoded d = open(kt::fixture("ras\\nb_24bit.ras"));
    DestroyStatus();
    EXPECT_FALSE(d.dib);
    EXPECT_FALSE(d.palette);
}
