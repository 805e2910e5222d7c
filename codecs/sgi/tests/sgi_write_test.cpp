// Writing SGI files: the scanline coding, round trips of every depth through the reader, the
// header fields, the table layout of run-length files, refused images and cancelling.
#include "dib_builder.h"
#include "file_io.h"
#include "keldll.h"
#include "reference_image.h"
#include "sgi_format.h"
#include "sgi_test_files.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace sgi_test;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes encode(const Bytes& line)
{
    Bytes out;
    sgi::encodeScanline(line.data(), line.size(), out);
    return out;
}

Bytes constant(size_t n, uint8_t v) { return Bytes(n, v); }

} // namespace

TEST(SgiScanline, EncodesRunsLiteralsAndPairs)
{
    struct Case {
        const char* what;
        Bytes line, packets;
    } cases[] = {
        {"a run, then singles and a pair", {5, 5, 5, 7, 8, 8, 9}, {0x03, 5, 0x84, 7, 8, 8, 9}},
        {"pairs before a run", {1, 1, 2, 2, 3, 3, 3}, {0x02, 1, 0x02, 2, 0x03, 3}},
        {"pairs then a single become a literal", {1, 1, 2, 2, 3}, {0x85, 1, 1, 2, 2, 3}},
        {"a literal then a run", {1, 2, 4, 4, 4, 4}, {0x82, 1, 2, 0x04, 4}},
        {"pairs at the end", {6, 6}, {0x02, 6}},
        {"one byte", {9}, {0x81, 9}},
        {"nothing", {}, {}},
        {"300 equal bytes: 127, 127, 46", constant(300, 7), {0x7F, 7, 0x7F, 7, 0x2E, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(encode(c.line), c.packets);
    }
    // Runs never cross a chunk of 127: 126 zeros and 3 ones give a literal at the boundary.
    Bytes line(129, 1);
    std::fill(line.begin(), line.begin() + 126, 0);
    EXPECT_EQ(encode(line), (Bytes{0x7E, 0, 0x81, 1, 0x02, 1}));
}

// Whatever the line, its packets expand back to it and never take more than two bytes a value.
TEST(SgiScanline, PacketsExpandBackToTheLine)
{
    std::vector<Bytes> lines;
    uint32_t seed = 12345;
    for (size_t n : {1, 2, 3, 126, 127, 128, 254, 255, 300, 1000}) {
        Bytes line(n);
        for (size_t i = 0; i < n; ++i) {
            seed = seed * 1103515245 + 12345;
            // Short stretches of repeats among changes.
            line[i] = i && (seed >> 16) % 3 ? line[i - 1] : uint8_t(seed >> 20);
        }
        lines.push_back(line);
    }
    for (const Bytes& line : lines) {
        SCOPED_TRACE(line.size());
        const Bytes packets = encode(line);
        EXPECT_LE(packets.size(), 2 * line.size());
        Bytes back(line.size(), 0xEE);
        EXPECT_EQ(sgi::expandScanline(packets.data(), packets.size(), back.data(), 1, back.size()), line.size());
        EXPECT_EQ(back, line);
    }
}

// Every depth written as colour, verbatim and run-length, reads back as the same colours; grey
// output holds (blue x 11 + green x 59 + red x 30) / 100 of each pixel's colour.
TEST(SgiWrite, RoundTripsThroughTheReader)
{
    struct Image {
        const char* what;
        int bits, colours;
    } images[] = {{"1 bit", 1, 2}, {"4 bits", 4, 16}, {"8 bits", 8, 256}, {"24 bits", 24, 0}};
    kt::TempDir dir;
    for (const Image& img : images) {
        kel::GlobalMem dib(kt::makeDib(131, 7, img.bits, kt::spreadColours(img.colours), kt::pattern(img.bits, img.colours)));
        kt::RgbImage original;
        ASSERT_TRUE(kt::dibToRgb(dib.get(), &original));
        for (int options : {0, 1, 2, 3}) {
            SCOPED_TRACE(testing::Message() << img.what << ", options " << options);
            const std::string path = dir.file("o.sgi");
            ASSERT_EQ(WriteRGB(path.c_str(), dib.get(), options), 1);
            Decoded d = open(path);
            ASSERT_TRUE(d.dib);
            kt::RgbImage got;
            ASSERT_TRUE(kt::dibToRgb(d.dib.get(), &got));
            kt::RgbImage want = original;
            if (options & 2)
                for (uint32_t& p : want.pixels) {
                    const uint32_t grey = ((p & 0xFF) * 11 + (p >> 8 & 0xFF) * 59 + (p >> 16) * 30) / 100;
                    p = grey << 16 | grey << 8 | grey;
                }
            EXPECT_EQ(kt::firstDifference(want, got), "");
            EXPECT_EQ(kt::headerOf(d.dib.get()).biBitCount, options & 2 ? 8 : 24);
        }
    }
}

TEST(SgiWrite, GreyOfPureRedIs76)
{
    kel::GlobalMem dib(kt::makeDib(1, 1, 24, {}, [](int, int) { return 0xFF0000u; }));
    kt::TempDir dir;
    const std::string path = dir.file("red.sgi");
    ASSERT_EQ(WriteRGB(path.c_str(), dib.get(), 2), 1);
    const Bytes file = kt::readFile(path);
    ASSERT_EQ(file.size(), 513u);
    EXPECT_EQ(file[512], 76);
}

// The header: magic, storage from option bit 0, one byte a channel, three dimensions, the size,
// 1 or 3 channels, pixel range 0 to 255, the file name as passed (79 characters at most), no
// colour map.
TEST(SgiWrite, HeaderFields)
{
    kel::GlobalMem dib(kt::makeDib(300, 2, 8, kt::spreadColours(4), kt::pattern(8, 4)));
    kt::TempDir dir;
    const std::string path = dir.file(std::string(90, 'n') + ".sgi");
    ASSERT_GT(path.size(), 79u);
    for (int options : {0, 1, 2, 3}) {
        SCOPED_TRACE(options);
        ASSERT_EQ(WriteRGB(path.c_str(), dib.get(), options), 1);
        const Bytes b = kt::readFile(path);
        ASSERT_GE(b.size(), 512u);
        EXPECT_EQ(kel::getU16BE(&b[0]), 474);
        EXPECT_EQ(b[2], options & 1);
        EXPECT_EQ(b[3], 1);
        EXPECT_EQ(kel::getU16BE(&b[4]), 3);
        EXPECT_EQ(kel::getU16BE(&b[6]), 300);
        EXPECT_EQ(kel::getU16BE(&b[8]), 2);
        EXPECT_EQ(kel::getU16BE(&b[10]), options & 2 ? 1 : 3);
        EXPECT_EQ(kel::getU32BE(&b[12]), 0u);
        EXPECT_EQ(kel::getU32BE(&b[16]), 255u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[24])), path.substr(0, 79));
        EXPECT_EQ(b[24 + 79], 0);
        EXPECT_EQ(kel::getU32BE(&b[104]), 0u);
        EXPECT_EQ(Bytes(b.begin() + 108, b.begin() + 512), Bytes(404, 0));
        const size_t data = size_t(300) * 2 * (options & 2 ? 1 : 3);
        if (!(options & 1)) {
            EXPECT_EQ(b.size(), 512 + data);
        }
    }
}

// Run-length files: the offset and length tables after the header, entry c x height + r, each
// scanline's packets where its offset says, in row order, channels within a row.
TEST(SgiWrite, RunLengthTables)
{
    // Two rows: red-green at the bottom, blue-blue on top.
    kel::GlobalMem dib(kt::makeDib(2, 2, 24, {}, [](int x, int y) { return y ? (x ? 0x00FF00u : 0xFF0000u) : 0x0000FFu; }));
    kt::TempDir dir;
    const std::string path = dir.file("t.sgi");
    ASSERT_EQ(WriteRGB(path.c_str(), dib.get(), 1), 1);
    const Bytes b = kt::readFile(path);
    // Scanlines in the order written: row 0 red, green, blue; row 1 red, green, blue.
    const std::vector<Bytes> scanlines = {{0x82, 0xFF, 0x00}, {0x82, 0x00, 0xFF}, {0x02, 0x00},
                                          {0x02, 0x00},       {0x02, 0x00},       {0x02, 0xFF}};
    const size_t order[] = {0, 2, 4, 1, 3, 5}; // entry c x height + r of each scanline written
    uint32_t at = 512 + 6 * 8;
    ASSERT_EQ(b.size(), at + 14);
    for (size_t i = 0; i < scanlines.size(); ++i) {
        SCOPED_TRACE(i);
        const size_t entry = order[i];
        EXPECT_EQ(kel::getU32BE(&b[512 + 4 * entry]), at);
        EXPECT_EQ(kel::getU32BE(&b[512 + 24 + 4 * entry]), scanlines[i].size());
        EXPECT_EQ(Bytes(b.begin() + at, b.begin() + at + scanlines[i].size()), scanlines[i]);
        at += uint32_t(scanlines[i].size());
    }
}

// What the writer cannot take gives 0 and no file: no DIB, a depth it does not write, a
// compressed image, a block smaller than its header claims.
TEST(SgiWrite, RefusedImagesLeaveNoFile)
{
    kt::TempDir dir;
    const std::string path = dir.file("x.sgi");
    EXPECT_EQ(WriteRGB(path.c_str(), nullptr, 0), 0);
    kel::GlobalMem sixteen(kt::makeDib(4, 4, 24, {}, kt::pattern(24, 0)));
    {
        kel::GlobalLocked<BITMAPINFOHEADER> bi(sixteen.get());
        bi->biBitCount = 16;
    }
    EXPECT_EQ(WriteRGB(path.c_str(), sixteen.get(), 0), 0);
    kel::GlobalMem rle(kt::makeDib(4, 4, 8, kt::spreadColours(4), kt::pattern(8, 4)));
    {
        kel::GlobalLocked<BITMAPINFOHEADER> bi(rle.get());
        bi->biCompression = BI_RLE8;
    }
    EXPECT_EQ(WriteRGB(path.c_str(), rle.get(), 0), 0);
    kel::GlobalMem claims(GlobalAlloc(GHND, 40));
    {
        kel::GlobalLocked<BITMAPINFOHEADER> bi(claims.get());
        InitBitmapInfoHeader(bi.get(), 100, 100, 24);
    }
    EXPECT_EQ(WriteRGB(path.c_str(), claims.get(), 0), 0);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// A cancelled write is no success: 0, and the partial file is removed.
TEST(SgiWrite, CancelLeavesNoFile)
{
    kel::GlobalMem dib(kt::makeDib(20, 20, 24, {}, kt::pattern(24, 0)));
    kt::TempDir dir;
    for (int options : {0, 1}) {
        SCOPED_TRACE(options);
        const std::string path = dir.file("c.sgi");
        WORD flag = 0;
        DisplayStatusBox(nullptr, &flag, 0);
        flag = 0;
        EXPECT_EQ(WriteRGB(path.c_str(), dib.get(), options), 0);
        DestroyStatus();
        EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    }
}
