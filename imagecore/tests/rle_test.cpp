// Run-length encoding and expansion: every escape, exact encodings worked out by hand, round
// trips checked against the platform's own RLE drawing, hostile streams, and the sample files
// against their reference decodes.
#include "bmp_file.h"
#include "keldll.h"
#include "reference_image.h"
#include "test_dibs.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using tdib::Colour;
using tdib::flip;
using Bytes = std::vector<uint8_t>;
using Rows = std::vector<std::vector<int>>;

namespace {

class RleTest : public ::testing::Test {
protected:
    void SetUp() override { InitKelDll(&kt::testApp()); }
};

std::vector<Colour> greys(int n)
{
    std::vector<Colour> t;
    for (int i = 0; i < n; ++i)
        t.push_back(Colour{uint8_t(i * 16), uint8_t(i * 8), uint8_t(255 - i)});
    return t;
}

// An encoded DIB: 40-byte header (compression 1 for 8 bits, 2 for 4 bits), a colour table of
// 2^bits entries and the stream. The image size field is the stream's length unless given.
HGLOBAL rleDib(int bits, int width, int height, const Bytes& stream, DWORD imageSize = DWORD(-1))
{
    const std::vector<Colour> table = greys(1 << bits);
    HGLOBAL dib = GlobalAlloc(GHND, 40 + 4 * table.size() + stream.size());
    kel::GlobalLocked<BYTE> p(dib);
    BITMAPINFOHEADER bi{40, width, height, 1, WORD(bits), DWORD(bits == 8 ? BI_RLE8 : BI_RLE4),
                        imageSize == DWORD(-1) ? DWORD(stream.size()) : imageSize, 0, 0, 0, 0};
    std::memcpy(p.get(), &bi, 40);
    for (size_t i = 0; i < table.size(); ++i) {
        p.get()[40 + 4 * i] = table[i].b, p.get()[41 + 4 * i] = table[i].g, p.get()[42 + 4 * i] = table[i].r;
    }
    if (!stream.empty())
        std::memcpy(p.get() + 40 + 4 * table.size(), stream.data(), stream.size());
    return dib;
}

// The stored rows of an uncompressed result, padding included.
std::vector<Bytes> rawRows(HGLOBAL dib)
{
    kel::GlobalLocked<BYTE> p(dib);
    const auto* bi = reinterpret_cast<const BITMAPINFOHEADER*>(p.get());
    const size_t row = tdib::rowBytes(bi->biWidth, bi->biBitCount);
    std::vector<Bytes> rows;
    for (int y = 0; y < bi->biHeight; ++y)
        rows.emplace_back(FindDIBBits(p.get()) + row * y, FindDIBBits(p.get()) + row * (y + 1));
    return rows;
}

Bytes streamOf(HGLOBAL dib)
{
    kel::GlobalLocked<BYTE> p(dib);
    const auto* bi = reinterpret_cast<const BITMAPINFOHEADER*>(p.get());
    return Bytes(FindDIBBits(p.get()), FindDIBBits(p.get()) + bi->biSizeImage);
}

std::string show(const Bytes& bytes)
{
    std::string s;
    char b[8];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, " %02X", v);
        s += b;
    }
    return s;
}

// ---- RLEtoRGB ----------------------------------------------------------------------------

struct DecodeCase {
    const char* what;
    int bits, width, height;
    Bytes stream;
    std::vector<Bytes> rows; // expected stored rows (memory order, padding included)
};

const DecodeCase kDecodes[] = {
    {"RLE8 run, end of line, end of bitmap", 8, 4, 2, {3, 7, 0, 0, 0, 1}, {{7, 7, 7, 0}, {0, 0, 0, 0}}},
    {"RLE4 run alternates nibbles", 4, 6, 1, {5, 0x12, 0, 1}, {{0x12, 0x12, 0x10, 0}}},
    {"RLE8 every escape",
     8, 5, 3,
     // run 9,9; absolute 1,2,3 (odd: one pad byte); end of line; delta (1, 1); run 4; end of
     // bitmap; bytes after the end are not read
     {2, 9, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 1, 1, 1, 4, 0, 1, 5, 5},
     {{9, 9, 1, 2, 3, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0}, {0, 4, 0, 0, 0, 0, 0, 0}}},
    {"RLE4 every escape",
     4, 7, 2,
     // run A,B,A; absolute 1,2,3 in two bytes (even: no pad); end of line; delta (2, 0); run C,D
     {3, 0xAB, 0, 3, 0x12, 0x30, 0, 0, 0, 2, 2, 0, 2, 0xCD, 0, 1},
     {{0xAB, 0xA1, 0x23, 0x00}, {0x00, 0xCD, 0x00, 0x00}}},
    {"RLE4 absolute run of an odd byte count", 4, 5, 1, {0, 5, 0x12, 0x34, 0x50, 0, 0, 1}, {{0x12, 0x34, 0x50, 0}}},
};

TEST_F(RleTest, ExpandsEveryEscape)
{
    for (const DecodeCase& c : kDecodes) {
        kel::GlobalMem dib(rleDib(c.bits, c.width, c.height, c.stream));
        kel::GlobalMem plain(RLEtoRGB(dib.get(), dib.get()));
        ASSERT_TRUE(plain) << c.what;
        auto r = tdib::read(plain.get());
        EXPECT_EQ(BI_RGB, r.header.biCompression) << c.what;
        EXPECT_EQ(DWORD(c.rows.size() * c.rows[0].size()), r.header.biSizeImage) << c.what;
        EXPECT_EQ(c.rows, rawRows(plain.get())) << c.what;
    }
}

// Hostile streams: whatever they claim, writing stops at the image's (and the row's) edge and
// reading at the stream's end. Rows are 3 pixels of 8 bits plus one padding byte, which must
// stay 0.
const DecodeCase kHostile[] = {
    {"run past the end of the row", 8, 3, 2, {5, 7, 1, 8, 0, 0, 1, 6, 0, 1}, {{7, 7, 7, 0}, {6, 0, 0, 0}}},
    {"run of 255 past everything", 8, 3, 2, {255, 7, 255, 8, 0, 1}, {{7, 7, 7, 0}, {0, 0, 0, 0}}},
    {"absolute run past the end of the row", 8, 3, 1, {0, 5, 1, 2, 3, 4, 5, 0}, {{1, 2, 3, 0}}},
    {"delta past the top", 8, 3, 2, {0, 2, 0, 5, 3, 7}, {{0, 0, 0, 0}, {0, 0, 0, 0}}},
    {"delta past the right edge", 8, 3, 2, {0, 2, 200, 0, 1, 7, 0, 0, 1, 6}, {{0, 0, 0, 0}, {6, 0, 0, 0}}},
    {"end of line past the last row", 8, 3, 2, {0, 0, 0, 0, 0, 0, 0, 0, 1, 9}, {{0, 0, 0, 0}, {0, 0, 0, 0}}},
    {"stream ends inside an absolute run", 8, 3, 1, {0, 6, 1, 2}, {{1, 2, 0, 0}}},
    {"stream ends inside a delta", 8, 3, 1, {1, 5, 0, 2, 1}, {{5, 0, 0, 0}}},
    {"stream ends inside a pair", 8, 3, 1, {1, 5, 7}, {{5, 0, 0, 0}}},
    {"no end of bitmap", 8, 3, 2, {2, 5}, {{5, 5, 0, 0}, {0, 0, 0, 0}}},
    {"empty stream", 8, 3, 1, {}, {{0, 0, 0, 0}}},
    {"RLE4 run past the end of the row", 4, 3, 1, {7, 0x12, 0, 1}, {{0x12, 0x10, 0, 0}}},
    {"RLE4 absolute run past the end of the row", 4, 3, 1, {0, 8, 0x12, 0x34, 0x56, 0x78, 0, 1}, {{0x12, 0x30, 0, 0}}},
};

TEST_F(RleTest, HostileStreamsStopInsideTheImage)
{
    for (const DecodeCase& c : kHostile) {
        kel::GlobalMem dib(rleDib(c.bits, c.width, c.height, c.stream));
        kel::GlobalMem plain(RLEtoRGB(dib.get(), nullptr));
        ASSERT_TRUE(plain) << c.what;
        EXPECT_EQ(c.rows, rawRows(plain.get())) << c.what;
        EXPECT_GE(GlobalSize(plain.get()), 40 + 4u * (1u << c.bits) + c.rows.size() * c.rows[0].size()) << c.what;
    }
}

TEST_F(RleTest, ImageSizeBeyondTheBlockIsNotBelieved)
{
    // The header claims 100000 bytes of stream; the block holds 4 (a run without an end).
    kel::GlobalMem dib(rleDib(8, 3, 1, {2, 5, 1, 6}, 100000));
    kel::GlobalMem plain(RLEtoRGB(dib.get(), nullptr));
    ASSERT_TRUE(plain);
    EXPECT_EQ((std::vector<Bytes>{{5, 5, 6, 0}}), rawRows(plain.get()));
}

TEST_F(RleTest, HeaderAndColoursComeFromTheInformationRecord)
{
    kel::GlobalMem dib(rleDib(4, 4, 1, {4, 0x21, 0, 1}));
    // A 36-byte information record with its own colours: 16 entries, entry 1 pure green.
    HGLOBAL infoBlock = GlobalAlloc(GHND, 36 + 64);
    {
        kel::GlobalLocked<BYTE> p(infoBlock);
        BITMAPINFOHEADER bi{36, 4, 1, 1, 4, BI_RLE4, 0, 2834, 2834, 0, 0};
        std::memcpy(p.get(), &bi, 36);
        p.get()[36 + 4 + 1] = 255;
    }
    kel::GlobalMem info(infoBlock);
    kel::GlobalMem plain(RLEtoRGB(dib.get(), info.get()));
    ASSERT_TRUE(plain);
    auto r = tdib::read(plain.get());
    EXPECT_EQ(40u, r.header.biSize);
    EXPECT_EQ(16u, r.header.biClrUsed);
    EXPECT_EQ(16u, r.header.biClrImportant);
    EXPECT_EQ(2834, r.header.biXPelsPerMeter);
    EXPECT_EQ(BI_RGB, r.header.biCompression);
    EXPECT_EQ(4u, r.header.biSizeImage);
    ASSERT_EQ(16u, r.table.size());
    EXPECT_TRUE(r.table[1].rgbGreen == 255 && r.table[1].rgbRed == 0 && r.table[1].rgbBlue == 0);
    EXPECT_EQ((Rows{{2, 1, 2, 1}}), r.indices);
}

TEST_F(RleTest, OnlyRunLengthImagesExpand)
{
    kel::GlobalMem plain8(tdib::makeIndexed(8, greys(2), {{0, 1}}));
    EXPECT_EQ(nullptr, RLEtoRGB(plain8.get(), nullptr));
    kel::GlobalMem mismatched(rleDib(8, 2, 1, {0, 1}));
    {
        kel::GlobalLocked<BITMAPINFOHEADER> p(mismatched.get());
        p->biCompression = BI_RLE4; // 8 bits with the 4-bit coding
    }
    EXPECT_EQ(nullptr, RLEtoRGB(mismatched.get(), nullptr));
    EXPECT_EQ(nullptr, RLEtoRGB(nullptr, nullptr));
}

TEST_F(RleTest, SampleFilesMatchTheirReferenceDecodes)
{
    for (const char* name : {"bmpsuite_pal8rle.bmp", "bmpsuite_pal4rle.bmp"}) {
        const std::string path = kt::testData(std::string("bmp/") + name);
        if (path.empty())
            GTEST_SKIP() << "sample set not available";
        std::string error;
        kel::GlobalMem dib(pipeline::readBmpFile(path.c_str(), &error));
        ASSERT_TRUE(dib) << name << ": " << error;
        kel::GlobalMem plain(RLEtoRGB(dib.get(), dib.get()));
        ASSERT_TRUE(plain) << name;
        kt::RgbImage want, got;
        ASSERT_TRUE(kt::readNetpbm(kt::testData(std::string("bmp/ref/") + name + ".ref.pam"), &want)) << name;
        ASSERT_TRUE(kt::dibToRgb(plain.get(), &got)) << name;
        EXPECT_EQ("", kt::firstDifference(want, got)) << name;
    }
}

// ---- RGBtoRLE ----------------------------------------------------------------------------

TEST_F(RleTest, LongRunsSplitAt254)
{
    kel::GlobalMem dib(tdib::makeIndexed(8, greys(256), {std::vector<int>(300, 77)}));
    kel::GlobalMem rle(RGBtoRLE(nullptr, dib.get(), 1, 0));
    ASSERT_TRUE(rle);
    ASSERT_NE(dib.get(), rle.get());
    EXPECT_EQ((Bytes{254, 77, 46, 77, 0, 0, 0, 1}), streamOf(rle.get())) << show(streamOf(rle.get()));
    auto r = tdib::read(rle.get());
    EXPECT_EQ(BI_RLE8, r.header.biCompression);
    EXPECT_EQ(8u, r.header.biSizeImage) << "encoded size + 2";
    EXPECT_EQ(8u, GlobalSize(rle.get()) - 40 - 1024) << "the block is shrunk to fit";
}

struct EncodeCase {
    const char* what;
    int bits, kind;
    Rows rows; // memory order
    Bytes stream;
};

const EncodeCase kEncodes[] = {
    {"RLE8: short stretches become runs of one, runs of three or more become runs", 8, 1,
     {{1, 2, 3, 3, 3, 3, 4, 5}, {1, 2, 3, 4, 5, 9, 9, 9}},
     // row 0: 1, 2 alone; four 3s; 4, 5 alone. Row 1: an absolute run of five (padded), three 9s.
     {1, 1, 1, 2, 4, 3, 1, 4, 1, 5, 0, 0, 0, 5, 1, 2, 3, 4, 5, 0, 3, 9, 0, 0, 0, 1}},
    {"RLE8: the padding of the stored row is encoded with it", 8, 1, {{6, 6, 6}}, {3, 6, 1, 0, 0, 0, 0, 1}},
    {"RLE4: pixel pairs, counts doubled", 4, 2,
     {{1, 2, 1, 2, 1, 2, 1, 2}, {1, 2, 3, 4, 5, 6, 7, 8}},
     {8, 0x12, 0, 0, 0, 8, 0x12, 0x34, 0x56, 0x78, 0, 0, 0, 1}},
    {"RLE4: an absolute run of an odd byte count is padded", 4, 2,
     {{1, 2, 3, 4, 5, 6, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}},
     {0, 6, 0x12, 0x34, 0x56, 0, 10, 0x77, 0, 0, 0, 1}},
    {"RLE4: a single differing pair is a run of two pixels", 4, 2, {{1, 2, 0, 0, 0, 0, 0, 0}},
     {2, 0x12, 6, 0x00, 0, 0, 0, 1}},
};

TEST_F(RleTest, EncodesRowsAsWorkedOut)
{
    for (const EncodeCase& c : kEncodes) {
        kel::GlobalMem dib(tdib::makeIndexed(c.bits, greys(1 << c.bits), c.rows));
        kel::GlobalMem rle(RGBtoRLE(nullptr, dib.get(), c.kind, 0));
        ASSERT_TRUE(rle) << c.what;
        ASSERT_NE(dib.get(), rle.get()) << c.what;
        EXPECT_EQ(c.stream, streamOf(rle.get())) << c.what << ":" << show(streamOf(rle.get()));
        EXPECT_EQ(DWORD(c.kind), tdib::read(rle.get()).header.biCompression);
    }
}

// Draws a DIB (encoded or not) through the platform's own DIB drawing into a 24-bit section.
std::vector<Colour> drawn(HGLOBAL dib)
{
    kel::GlobalLocked<BYTE> p(dib);
    const auto* bi = reinterpret_cast<const BITMAPINFOHEADER*>(p.get());
    const int w = bi->biWidth, h = bi->biHeight;
    BITMAPINFOHEADER target{40, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    kel::GdiObject<HBITMAP> section(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&target), DIB_RGB_COLORS,
                                                     &bits, nullptr, 0));
    kel::MemoryDC dc(nullptr);
    kel::Selected sel(dc.get(), section.get());
    SetDIBitsToDevice(dc.get(), 0, 0, DWORD(w), DWORD(h), 0, 0, 0, UINT(h), FindDIBBits(p.get()),
                      reinterpret_cast<const BITMAPINFO*>(p.get()), DIB_RGB_COLORS);
    GdiFlush();
    std::vector<Colour> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const BYTE* px = static_cast<BYTE*>(bits) + tdib::rowBytes(w, 24) * y + 3 * x;
            out.push_back(Colour{px[2], px[1], px[0]});
        }
    return out;
}

TEST_F(RleTest, RoundTripsAgreeWithThePlatformsDecoding)
{
    // Odd widths (padding inside the stream), runs longer than one code can hold, stretches of
    // every length, equal pairs inside literals.
    for (int bits : {8, 4}) {
        const int colours = 1 << bits;
        Rows rows(23, std::vector<int>(301));
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 301; ++x) {
                int v;
                if (x < 270)
                    v = (y % 3 == 0) ? 5 : (x / (1 + y % 7)) % colours;  // runs of 1 to 7, one long run
                else
                    v = (x * 7 + y * 13 + x * x) % colours;               // literals
                rows[size_t(y)][size_t(x)] = v;
            }
        kel::GlobalMem dib(tdib::makeIndexed(bits, greys(colours), rows));
        kel::GlobalMem rle(RGBtoRLE(nullptr, dib.get(), bits == 8 ? 1 : 2, 0));
        ASSERT_TRUE(rle) << bits;
        ASSERT_NE(dib.get(), rle.get()) << bits;
        kel::GlobalMem back(RLEtoRGB(rle.get(), rle.get()));
        ASSERT_TRUE(back) << bits;
        EXPECT_EQ(rows, tdib::read(back.get()).indices) << bits << " bits: our own expansion";
        EXPECT_EQ(drawn(dib.get()), drawn(rle.get())) << bits << " bits: the platform's expansion";
    }
}

TEST_F(RleTest, WarnsWhenTheEncodedFormIsLarger)
{
    // Two rows of eight different bytes: 12 encoded bytes per row against 8, still in the room.
    const Rows rows = {{1, 2, 3, 4, 5, 6, 7, 8}, {8, 7, 6, 5, 4, 3, 2, 1}};
    kel::GlobalMem dib(tdib::makeIndexed(8, greys(256), rows));
    {
        kt::DialogAnswerer answer(IDOK);
        kel::GlobalMem rle(RGBtoRLE(nullptr, dib.get(), 1, 1));
        ASSERT_TRUE(rle);
        ASSERT_NE(dib.get(), rle.get()) << "the encoded form is kept anyway";
        EXPECT_EQ(26u, tdib::read(rle.get()).header.biSizeImage);
        ASSERT_EQ(1u, answer.shown().size());
        EXPECT_EQ("Warning!", answer.shown()[0].title);
        EXPECT_EQ("The file would be smaller if RLE wasn't used!", answer.shown()[0].text);
    }
    {
        kt::DialogAnswerer answer(IDOK);
        kel::GlobalMem rle(RGBtoRLE(nullptr, dib.get(), 1, 0));
        ASSERT_TRUE(rle);
        EXPECT_TRUE(answer.shown().empty()) << "no warning without the warn flag";
    }
}

TEST_F(RleTest, EncodingThatOverflowsItsRoomGivesTheSourceBack)
{
    // 4-bit rows of four different bytes: 8 encoded bytes per row against a room of 4 per row
    // plus two rows.
    const Rows rows(4, std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8});
    kel::GlobalMem dib(tdib::makeIndexed(4, greys(16), rows));
    kt::DialogAnswerer answer(IDOK);
    EXPECT_EQ(dib.get(), RGBtoRLE(nullptr, dib.get(), 2, 1));
    EXPECT_TRUE(answer.shown().empty());
    EXPECT_EQ(rows, tdib::read(dib.get()).indices) << "the source is untouched";
}

TEST_F(RleTest, EncodingNeedsTheMatchingDepth)
{
    kel::GlobalMem eight(tdib::makeIndexed(8, greys(4), {{1, 2}}));
    kel::GlobalMem four(tdib::makeIndexed(4, greys(4), {{1, 2}}));
    kel::GlobalMem rgb(tdib::make24({{Colour{1, 2, 3}}}));
    EXPECT_EQ(nullptr, RGBtoRLE(nullptr, eight.get(), 2, 0));
    EXPECT_EQ(nullptr, RGBtoRLE(nullptr, four.get(), 1, 0));
    EXPECT_EQ(nullptr, RGBtoRLE(nullptr, rgb.get(), 1, 0));
    EXPECT_EQ(nullptr, RGBtoRLE(nullptr, eight.get(), 3, 0));
    kel::GlobalMem encoded(rleDib(8, 2, 1, {2, 1, 0, 1}));
    EXPECT_EQ(nullptr, RGBtoRLE(nullptr, encoded.get(), 1, 0)) << "already encoded";
}

} // namespace
