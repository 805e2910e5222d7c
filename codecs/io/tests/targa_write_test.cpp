// Writing Targa files: round trips of every depth, raw and run-length coded; the header, image
// ID and colour map; the row encoding; what a failed or cancelled write leaves behind.
#include "dib_builder.h"
#include "io_test_files.h"
#include "keldll.h"
#include "reference_image.h"

#include <gtest/gtest.h>

using namespace io_test;

namespace {

std::vector<uint32_t> coloursFor(int bits)
{
    return bits == 24 ? std::vector<uint32_t>{} : kt::spreadColours(1 << bits);
}

} // namespace

// Every depth, raw and coded, at widths that meet every padding case: pixels and colours come back.
TEST(TargaWrite, RoundTripsEveryDepthRawAndCoded)
{
    kt::TempDir dir;
    for (int bits : {1, 4, 8, 24}) {
        for (int width : {1, 7, 9, 37, 130, 300}) {
            for (int compress : {0, 1}) {
                SCOPED_TRACE(testing::Message() << bits << " bits, width " << width << (compress ? " coded" : " raw"));
                const std::vector<uint32_t> colours = coloursFor(bits);
                // Long runs and busy stretches, so that both packet kinds are written.
                auto busy = kt::pattern(bits, int(colours.size()));
                kel::GlobalMem dib(kt::makeDib(width, 6, bits, colours, [&](int x, int y) {
                    return y % 2 && x > width / 3 ? busy(0, y) : busy(x, y);
                }));
                const std::string path = dir.file("rt.tga");
                char format[16] = "";
                ASSERT_EQ(WriteTGA(path.c_str(), dib.get(), compress, format, kt::testApp().appInstance), 1);
                const int type = (bits == 24 ? 2 : 1) + (compress ? 8 : 0);
                EXPECT_EQ(format, "TGA-" + std::to_string(type));
                Decoded back = openTga(path);
                ASSERT_TRUE(back.dib);
                EXPECT_EQ(back.format, format);
                kt::RgbImage want, got;
                ASSERT_TRUE(kt::dibToRgb(dib.get(), &want));
                ASSERT_TRUE(kt::dibToRgb(back.dib.get(), &got));
                EXPECT_EQ(kt::firstDifference(want, got), "");
                EXPECT_EQ(kt::indexRows(back.dib.get()), kt::indexRows(dib.get()));
            }
        }
    }
}

// A 24-bit image coded: type 10, the application's name as ID, the image core's 256-colour
// palette as a map of 24-bit entries, rows bottom first.
TEST(TargaWrite, HeaderImageIdAndColourMap)
{
    kel::GlobalMem dib(kt::makeDib(2, 2, 24, {}, [](int x, int y) { return uint32_t(0x102030 * (1 + x + 2 * y)); }));
    kt::TempDir dir;
    const std::string path = dir.file("h.tga");
    char format[16];
    ASSERT_EQ(WriteTGA(path.c_str(), dib.get(), 1, format, kt::testApp().appInstance), 1);
    const std::vector<uint8_t> f = kt::readFile(path);
    ASSERT_GE(f.size(), 18u + 9 + 768);
    EXPECT_EQ(std::vector<uint8_t>(f.begin(), f.begin() + 18),
              (std::vector<uint8_t>{9, 1, 10, 0, 0, 0, 1, 24, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0}));
    EXPECT_EQ(std::string(f.begin() + 18, f.begin() + 27), std::string("Kelgrove\0", 9));
    for (int i : {0, 1, 9, 77, 255}) {
        const uint8_t* e = &f[27 + 3 * size_t(i)];
        EXPECT_EQ((std::vector<int>{e[2], e[1], e[0]}), (std::vector<int>{32 * (i % 8), 32 * ((i / 8) % 8), 64 * (i / 64)}))
            << "entry " << i;
    }
    // The bottom row (pixels 3, 4) first, each row one raw packet of two units.
    const std::vector<uint8_t> rows(f.begin() + 27 + 768, f.end());
    EXPECT_EQ(rows, (std::vector<uint8_t>{0x01, 0x90, 0x60, 0x30, 0xC0, 0x80, 0x40,   //
                                          0x01, 0x30, 0x20, 0x10, 0x60, 0x40, 0x20}));
}

// Runs of equal units become run packets of at most 128, the rest raw packets; packets never
// span rows.
TEST(TargaWrite, RowEncoding)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> row;
        std::vector<uint8_t> coded;
    } cases[] = {
        {"300 equal units", std::vector<uint8_t>(300, 5), {0xFF, 5, 0xFF, 5, 0xAB, 5}},
        {"a b b c", {1, 2, 2, 3}, {0x00, 1, 0x81, 2, 0x00, 3}},
        {"a single unit", {7}, {0x00, 7}},
        {"pairs and singles", {1, 1, 2, 3, 3, 4}, {0x81, 1, 0x00, 2, 0x81, 3, 0x00, 4}},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int width = int(c.row.size());
        kel::GlobalMem dib(kt::makeDib(width, 2, 8, kt::spreadColours(256), [&](int x, int) { return c.row[size_t(x)]; }));
        const std::string path = dir.file("c.tga");
        ASSERT_EQ(WriteTGA(path.c_str(), dib.get(), 1, nullptr, kt::testApp().appInstance), 1);
        const std::vector<uint8_t> f = kt::readFile(path);
        const size_t start = 18 + 9 + 3 * 256;
        ASSERT_EQ(f.size(), start + 2 * c.coded.size());
        EXPECT_EQ(std::vector<uint8_t>(f.begin() + ptrdiff_t(start), f.begin() + ptrdiff_t(start + c.coded.size())),
                  c.coded);
    }
    // 128 different units fill one raw packet, the next starts a new one.
    std::vector<uint8_t> row(130);
    for (size_t i = 0; i < row.size(); ++i)
        row[i] = uint8_t(i);
    kel::GlobalMem dib(kt::makeDib(130, 1, 8, kt::spreadColours(256), [&](int x, int) { return row[size_t(x)]; }));
    ASSERT_EQ(WriteTGA(dir.file("r.tga").c_str(), dib.get(), 1, nullptr, nullptr), 1);
    const std::vector<uint8_t> f = kt::readFile(dir.file("r.tga"));
    ASSERT_EQ(f.size(), 18 + 9 + 768 + 1 + 128 + 1 + 2u);
    EXPECT_EQ(f[18 + 9 + 768], 0x7F);
    EXPECT_EQ(f[18 + 9 + 768 + 129], 0x01);
    EXPECT_EQ(std::string(f.begin() + 18, f.begin() + 27), std::string(9, '\0')) << "no instance, no name";
}

// A write that fails or is cancelled leaves no file; depths the format cannot hold are refused.
TEST(TargaWrite, FailedWritesLeaveNoFile)
{
    kt::TempDir dir;
    kel::GlobalMem dib(kt::makeDib(40, 30, 8, kt::spreadColours(256), kt::pattern(8, 256)));
    HINSTANCE app = kt::testApp().appInstance;
    EXPECT_EQ(WriteTGA(dir.file("no\\such\\folder.tga").c_str(), dib.get(), 1, nullptr, app), 0);
    EXPECT_EQ(WriteTGA(dir.file("null.tga").c_str(), nullptr, 1, nullptr, app), 0);
    EXPECT_EQ(GetFileAttributesA(dir.file("null.tga").c_str()), INVALID_FILE_ATTRIBUTES);

    kel::GlobalMem sixteen(kt::makeDib(4, 4, 24, {}, kt::pattern(24, 0)));
    reinterpret_cast<BITMAPINFOHEADER*>(GlobalLock(sixteen.get()))->biBitCount = 16;
    GlobalUnlock(sixteen.get());
    EXPECT_EQ(WriteTGA(dir.file("sixteen.tga").c_str(), sixteen.get(), 1, nullptr, app), 0);
    EXPECT_EQ(GetFileAttributesA(dir.file("sixteen.tga").c_str()), INVALID_FILE_ATTRIBUTES);

    WORD flag = 0;
    DisplayStatusBox(nullptr, &flag, 0);
    flag = 0;
    EXPECT_EQ(WriteTGA(dir.file("cancelled.tga").c_str(), dib.get(), 1, nullptr, app), 0);
    DestroyStatus();
    EXPECT_EQ(GetFileAttributesA(dir.file("cancelled.tga").c_str()), INVALID_FILE_ATTRIBUTES);
}
