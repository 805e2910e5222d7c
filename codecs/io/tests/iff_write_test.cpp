// Writing ILBM files: round trips of every depth, raw and packed; the chunks and their lengths;
// ByteRun1 packing; what a failed or cancelled write leaves behind.
#include "dib_builder.h"
#include "iff_format.h"
#include "io_test_files.h"
#include "keldll.h"
#include "reference_image.h"

#include <gtest/gtest.h>

using namespace io_test;

// Every depth, raw and packed, at widths that meet every padding case: pixels and colours come back.
TEST(IffWrite, RoundTripsEveryDepthRawAndPacked)
{
    kt::TempDir dir;
    for (int bits : {1, 4, 8, 24}) {
        for (int width : {1, 7, 9, 16, 37, 300}) {
            for (int compress : {0, 1}) {
                SCOPED_TRACE(testing::Message() << bits << " bits, width " << width << (compress ? " packed" : " raw"));
                const std::vector<uint32_t> colours =
                    bits == 24 ? std::vector<uint32_t>{} : kt::spreadColours(1 << bits);
                auto busy = kt::pattern(bits, int(colours.size()));
                kel::GlobalMem dib(kt::makeDib(width, 5, bits, colours, [&](int x, int y) {
                    return y % 2 && x > width / 3 ? busy(0, y) : busy(x, y);
                }));
                const std::string path = dir.file("rt.iff");
                ASSERT_EQ(WriteLBM(path.c_str(), dib.get(), compress), 1);
                Decoded back = openLbm(path);
                ASSERT_TRUE(back.dib);
                kt::RgbImage want, got;
                ASSERT_TRUE(kt::dibToRgb(dib.get(), &want));
                ASSERT_TRUE(kt::dibToRgb(back.dib.get(), &got));
                EXPECT_EQ(kt::firstDifference(want, got), "");
            }
        }
    }
}

// FORM, BMHD, an odd CMAP with its pad byte, BODY: lengths that add up, fields as documented.
TEST(IffWrite, ChunksAndLengths)
{
    kel::GlobalMem dib(kt::makeDib(9, 3, 4, kt::spreadColours(5), kt::pattern(4, 5)));
    kt::TempDir dir;
    const std::string path = dir.file("c.iff");
    ASSERT_EQ(WriteLBM(path.c_str(), dib.get(), 1), 1);
    const std::vector<uint8_t> f = kt::readFile(path);
    ASSERT_GE(f.size(), 40u + 8 + 16 + 8);
    EXPECT_EQ(std::string(f.begin(), f.begin() + 4), "FORM");
    EXPECT_EQ(kel::getU32BE(&f[4]), f.size() - 8);
    EXPECT_EQ(std::string(f.begin() + 8, f.begin() + 20), std::string("ILBMBMHD\0\0\0\x14", 12));
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 20, f.begin() + 40),
              (std::vector<uint8_t>{0, 9, 0, 3, 0, 0, 0, 0, 4, 0, 1, 0, 0, 0, 0, 0, 0, 9, 0, 3}));
    EXPECT_EQ(std::string(f.begin() + 40, f.begin() + 44), "CMAP");
    EXPECT_EQ(kel::getU32BE(&f[44]), 15u);
    const std::vector<uint32_t> colours = kt::spreadColours(5);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(uint32_t(f[48 + 3 * i] << 16 | f[49 + 3 * i] << 8 | f[50 + 3 * i]), colours[i]) << i;
    EXPECT_EQ(f[63], 0) << "pad byte";
    EXPECT_EQ(std::string(f.begin() + 64, f.begin() + 68), "BODY");
    const uint32_t body = kel::getU32BE(&f[68]);
    EXPECT_EQ(f.size(), 72 + body + (body & 1));
}

// Segments of at most 127 bytes; runs of three or more replicate; singles and pairs join a
// literal, while pairs alone stay replicates of two.
TEST(IffWrite, ByteRun1Packing)
{
    using Bytes = std::vector<uint8_t>;
    struct Case {
        const char* what;
        Bytes row, packed;
    } cases[] = {
        {"127 equal bytes", Bytes(127, 5), {0x82, 5}},
        {"128 equal bytes: two segments", Bytes(128, 5), {0x82, 5, 0x00, 5}},
        {"a b b c", {1, 2, 2, 3}, {0x03, 1, 2, 2, 3}},
        {"a a b b", {1, 1, 2, 2}, {0xFF, 1, 0xFF, 2}},
        {"a a b c c", {1, 1, 2, 3, 3}, {0x04, 1, 1, 2, 3, 3}},
        {"a literal, then a run", {1, 2, 3, 3, 3, 3}, {0x01, 1, 2, 0xFD, 3}},
        {"pairs, then a run", {1, 1, 2, 2, 3, 3, 3}, {0xFF, 1, 0xFF, 2, 0xFE, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes out(c.row.size() * 2 + 2);
        out.resize(iff::packRow(c.row.data(), c.row.size(), out.data()));
        EXPECT_EQ(out, c.packed);
    }
}

// A write that fails or is cancelled leaves no file; depths the format cannot hold are refused.
TEST(IffWrite, FailedWritesLeaveNoFile)
{
    kt::TempDir dir;
    kel::GlobalMem dib(kt::makeDib(40, 30, 8, kt::spreadColours(256), kt::pattern(8, 256)));
    EXPECT_EQ(WriteLBM(dir.file("no\\such\\folder.iff").c_str(), dib.get(), 1), 0);
    EXPECT_EQ(WriteLBM(dir.file("null.iff").c_str(), nullptr, 1), 0);
    EXPECT_EQ(GetFileAttributesA(dir.file("null.iff").c_str()), INVALID_FILE_ATTRIBUTES);

    kel::GlobalMem sixteen(kt::makeDib(4, 4, 24, {}, kt::pattern(24, 0)));
    reinterpret_cast<BITMAPINFOHEADER*>(GlobalLock(sixteen.get()))->biBitCount = 16;
    GlobalUnlock(sixteen.get());
    EXPECT_EQ(WriteLBM(dir.file("sixteen.iff").c_str(), sixteen.get(), 1), 0);
    EXPECT_EQ(GetFileAttributesA(dir.file("sixteen.iff").c_str()), INVALID_FILE_ATTRIBUTES);

    WORD flag = 0;
    DisplayStatusBox(nullptr, &flag, 0);
    flag = 0;
    EXPECT_EQ(WriteLBM(dir.file("cancelled.iff").c_str(), dib.get(), 1), 0);
    DestroyStatus();
    EXPECT_EQ(GetFileAttributesA(dir.file("cancelled.iff").c_str()), INVALID_FILE_ATTRIBUTES);
}
