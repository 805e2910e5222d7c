// Writing PCX files: round trips of every writable depth, the header and palette written, the
// run-length coding, and what a failed or cancelled write leaves behind.
#include "dib_builder.h"
#include "kelpcx.h"
#include "keldll.h"
#include "pcx_test_files.h"
#include "reference_image.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

using namespace pcx_test;

namespace {

kel::GlobalMem readBack(const std::string& path)
{
    char format[8];
    HGLOBAL tech = nullptr;
    kel::GlobalMem dib(OpenPCX(path.c_str(), kt::testApp().appInstance, format, nullptr, &tech, nullptr, 0));
    if (tech)
        GlobalFree(tech);
    return dib;
}

std::vector<uint32_t> blackWhite() { return {0x000000, 0xFFFFFF}; }

} // namespace

// Every writable depth, encoded and raw, at widths that meet every padding case: the pixels and
// colours read back exactly.
TEST(PcxWrite, RoundTripsEveryDepthEncodedAndRaw)
{
    kt::TempDir dir;
    for (int bits : {1, 4, 8, 24}) {
        for (int width : {1, 7, 9, 37, 64, 130}) {
            for (int encode : {1, 0}) {
                SCOPED_TRACE(testing::Message() << bits << " bits, width " << width << (encode ? " encoded" : " raw"));
                // 1-bit files keep their colours only as black and white (version 5 rule).
                const std::vector<uint32_t> colours =
                    bits == 1 ? blackWhite() : bits == 24 ? std::vector<uint32_t>{} : kt::spreadColours(1 << bits);
                kel::GlobalMem dib(kt::makeDib(width, 5, bits, colours, kt::pattern(bits, int(colours.size()))));
                const std::string path = dir.file("rt.pcx");
                ASSERT_EQ(WritePCX(path.c_str(), dib.get(), encode), 1);
                kel::GlobalMem back = readBack(path);
                ASSERT_TRUE(back);
                kt::RgbImage want, got;
                ASSERT_TRUE(kt::dibToRgb(dib.get(), &want));
                ASSERT_TRUE(kt::dibToRgb(back.get(), &got));
                EXPECT_EQ(kt::firstDifference(want, got), "");
                EXPECT_EQ(indexRows(back.get()), indexRows(dib.get()));
            }
        }
    }
}

// The header of a 1-bit image of width 9: two bytes per line and both colours in the map.
TEST(PcxWrite, HeaderOfAOneBitImage)
{
    kel::GlobalMem dib(kt::makeDib(9, 3, 1, {0x102030, 0xF0E0D0}, kt::pattern(1, 2)));
    kt::TempDir dir;
    const std::string path = dir.file("h.pcx");
    ASSERT_EQ(WritePCX(path.c_str(), dib.get(), 1), 1);
    const std::vector<uint8_t> f = kt::readFile(path);
    ASSERT_GE(f.size(), 128u);
    const std::vector<uint8_t> head(f.begin(), f.begin() + 18);
    EXPECT_EQ(head, (std::vector<uint8_t>{10, 5, 1, 1, 0, 0, 0, 0, 8, 0, 2, 0, 9, 0, 3, 0, 0x10, 0x20}));
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 18, f.begin() + 22), (std::vector<uint8_t>{0x30, 0xF0, 0xE0, 0xD0}));
    EXPECT_EQ(f[65], 1);
    EXPECT_EQ(kel::getU16(&f[66]), 2);
    EXPECT_LT(f.size(), 128u + 769) << "no trailer for 2 colours";
}

// An 8-bit image whose palette has 100 entries gets neither a header map nor a trailer.
TEST(PcxWrite, PaletteOfNeither16Nor256EntriesIsNotWritten)
{
    kel::GlobalMem dib(kt::makeDib(16, 2, 8, kt::spreadColours(100), kt::pattern(8, 100)));
    kt::TempDir dir;
    const std::string path = dir.file("p.pcx");
    ASSERT_EQ(WritePCX(path.c_str(), dib.get(), 0), 1);
    const std::vector<uint8_t> f = kt::readFile(path);
    EXPECT_EQ(f.size(), 128u + 2 * 16) << "header and raw lines only";
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 16, f.begin() + 64), std::vector<uint8_t>(48, 0));
    kel::GlobalMem back = readBack(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(indexRows(back.get()), indexRows(dib.get())) << "the indices survive";
}

// A 24-bit image: 3 planes of 8 bits (red, green, blue) and the 256-colour trailer of the
// image core's palette for 24-bit images.
TEST(PcxWrite, TrueColourPlanesAndTrailer)
{
    kel::GlobalMem dib(kt::makeDib(3, 1, 24, {}, [](int x, int) { return uint32_t(0x102030 * (x + 1)); }));
    kt::TempDir dir;
    const std::string path = dir.file("t.pcx");
    ASSERT_EQ(WritePCX(path.c_str(), dib.get(), 0), 1);
    const std::vector<uint8_t> f = kt::readFile(path);
    ASSERT_EQ(f.size(), 128u + 3 * 4 + 769);
    EXPECT_EQ(f[3], 8);
    EXPECT_EQ(f[65], 3);
    EXPECT_EQ(kel::getU16(&f[66]), 4);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 128, f.begin() + 140),
              (std::vector<uint8_t>{0x10, 0x20, 0x30, 0, 0x20, 0x40, 0x60, 0, 0x30, 0x60, 0x90, 0}));
    const uint8_t* t = &f[128 + 12];
    EXPECT_EQ(t[0], 12);
    for (int i : {0, 1, 9, 77, 255})
        EXPECT_EQ((std::vector<int>{t[1 + 3 * i], t[2 + 3 * i], t[3 + 3 * i]}),
                  (std::vector<int>{32 * (i % 8), 32 * ((i / 8) % 8), 64 * (i / 64)}))
            << "entry " << i;
}

// Runs are cut at 63; a byte of 0xC0 or more always goes as a count and a value.
TEST(PcxWrite, RunLengthCoding)
{
    struct Case {
        std::vector<uint8_t> line;
        std::vector<uint8_t> coded;
    } cases[] = {
        {std::vector<uint8_t>(64, 0x41), {0xFF, 0x41, 0x41}},
        {std::vector<uint8_t>(64, 0xC5), {0xFF, 0xC5, 0xC1, 0xC5}},
        {std::vector<uint8_t>(126, 7), {0xFF, 7, 0xFF, 7}},
        {{1, 2, 2, 0xC0, 3, 3, 3, 3}, {1, 0xC2, 2, 0xC1, 0xC0, 0xC4, 3}},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        const int width = int(c.line.size());
        kel::GlobalMem dib(kt::makeDib(width, 1, 8, kt::spreadColours(256), [&](int x, int) { return c.line[size_t(x)]; }));
        const std::string path = dir.file("c.pcx");
        ASSERT_EQ(WritePCX(path.c_str(), dib.get(), 1), 1);
        const std::vector<uint8_t> f = kt::readFile(path);
        ASSERT_EQ(f.size(), 128 + c.coded.size() + 769) << "width " << width;
        EXPECT_EQ(std::vector<uint8_t>(f.begin() + 128, f.end() - 769), c.coded);
    }
}

// A write that fails or is cancelled leaves no file; depths the format cannot hold are refused.
TEST(PcxWrite, FailedWritesLeaveNoFile)
{
    kt::TempDir dir;
    kel::GlobalMem dib(kt::makeDib(40, 30, 8, kt::spreadColours(256), kt::pattern(8, 256)));
    EXPECT_EQ(WritePCX(dir.file("no\\such\\folder.pcx").c_str(), dib.get(), 1), 0);
    EXPECT_EQ(WritePCX(dir.file("null.pcx").c_str(), nullptr, 1), 0);
    EXPECT_EQ(GetFileAttributesA(dir.file("null.pcx").c_str()), INVALID_FILE_ATTRIBUTES);

    kel::GlobalMem sixteen(kt::makeDib(4, 4, 24, {}, kt::pattern(24, 0)));
    reinterpret_cast<BITMAPINFOHEADER*>(GlobalLock(sixteen.get()))->biBitCount = 16;
    GlobalUnlock(sixteen.get());
    EXPECT_EQ(WritePCX(dir.file("sixteen.pcx").c_str(), sixteen.get(), 1), 0);
    EXPECT_EQ(GetFileAttributesA(dir.file("sixteen.pcx").c_str()), INVALID_FILE_ATTRIBUTES);

    WORD flag = 0;
    DisplayStatusBox(nullptr, &flag, 0);
    flag = 0;
    EXPECT_EQ(WritePCX(dir.file("cancelled.pcx").c_str(), dib.get(), 1), 0);
    DestroyStatus();
    EXPECT_EQ(GetFileAttributesA(dir.file("cancelled.pcx").c_str()), INVALID_FILE_ATTRIBUTES);
}
