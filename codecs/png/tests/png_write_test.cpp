// Writing PNG files: every depth read back to the same pixels, the colour type and palette
// chosen, text chunks, the zlib stream and its IDAT chunks.
#include "dib_builder.h"
#include "file_io.h"
#include "keldll.h"
#include "kelpng.h"
#include "png_test_files.h"
#include "reference_image.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <zlib.h>

namespace {

kel::GlobalMem readBack(const std::string& path, HGLOBAL* title = nullptr, HGLOBAL* description = nullptr)
{
    HGLOBAL tech = nullptr;
    kel::GlobalMem dib(OpenPNG(0, path.c_str(), kt::testApp().appInstance, 0, nullptr, &tech, 0, 0, 0, 0, 0, 0, title,
                               description, 0, 0, 0));
    if (tech)
        GlobalFree(tech);
    return dib;
}

std::vector<uint32_t> greyRamp(int n)
{
    std::vector<uint32_t> out;
    for (int i = 0; i < n; ++i) {
        const uint32_t v = uint32_t(i * 255 / (n - 1));
        out.push_back(v << 16 | v << 8 | v);
    }
    return out;
}

const png_test::Chunk* find(const std::vector<png_test::Chunk>& list, const char* type)
{
    for (const png_test::Chunk& c : list)
        if (c.type == type)
            return &c;
    return nullptr;
}

} // namespace

TEST(PngWrite, EveryDepthReadsBackToTheSamePixels)
{
    struct Case {
        const char* what;
        int bits;
        std::vector<uint32_t> colours;
        int colourType; // expected in IHDR
    } cases[] = {
        {"1 bit, coloured", 1, {0x102030, 0xF0E0D0}, 3},
        {"4 bits, coloured", 4, kt::spreadColours(16), 3},
        {"8 bits, coloured", 8, kt::spreadColours(200), 3},
        {"1 bit, grey", 1, greyRamp(2), 0},
        {"4 bits, grey ramp", 4, greyRamp(16), 0},
        {"8 bits, grey ramp", 8, greyRamp(256), 0},
        {"8 bits, greys in another order", 8, {0xFFFFFF, 0x808080, 0x000000, 0x404040}, 0},
        {"4 bits, greys off the 4-bit levels", 4, {0x000000, 0x0A0A0A, 0xFFFFFF}, 3},
        {"24 bits", 24, {}, 2},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int n = c.bits == 24 ? 0 : int(c.colours.size());
        kel::GlobalMem dib(kt::makeDib(37, 23, c.bits, c.colours, kt::pattern(c.bits, n)));
        const std::string path = dir.file("w.png");
        ASSERT_EQ(WritePNG(path.c_str(), dib.get(), 0, 0, nullptr, nullptr), 1);
        const std::vector<png_test::Chunk> chunks = png_test::chunks(kt::readFile(path));
        ASSERT_FALSE(chunks.empty());
        EXPECT_EQ(chunks[0].type, "IHDR");
        EXPECT_EQ(chunks[0].data[8], c.bits == 24 ? 8 : c.bits);
        EXPECT_EQ(chunks[0].data[9], c.colourType);
        EXPECT_EQ(find(chunks, "PLTE") != nullptr, c.colourType != 0);
        kel::GlobalMem back = readBack(path);
        ASSERT_TRUE(back);
        kt::RgbImage want, got;
        ASSERT_TRUE(kt::dibToRgb(dib.get(), &want));
        ASSERT_TRUE(kt::dibToRgb(back.get(), &got));
        EXPECT_EQ(kt::firstDifference(want, got), "");
    }
}

// A grey ramp is written as grey values equal to the indices, without a palette.
TEST(PngWrite, GreyRampImageIsWrittenAsItsIndices)
{
    kt::TempDir dir;
    kel::GlobalMem dib(kt::makeDib(3, 1, 8, greyRamp(256), [](int x, int) { return uint32_t(x * 100); }));
    const std::string path = dir.file("g.png");
    ASSERT_EQ(WritePNG(path.c_str(), dib.get(), 0, 0, nullptr, nullptr), 1);
    const std::vector<png_test::Chunk> chunks = png_test::chunks(kt::readFile(path));
    const png_test::Chunk* idat = find(chunks, "IDAT");
    ASSERT_NE(idat, nullptr);
    uint8_t rows[4];
    uLongf n = sizeof rows;
    ASSERT_EQ(uncompress(rows, &n, idat->data.data(), uLong(idat->data.size())), Z_OK) << "zlib stream and Adler-32";
    EXPECT_EQ(std::vector<uint8_t>(rows, rows + n), (std::vector<uint8_t>{0, 0, 100, 200}));
    EXPECT_EQ(idat->data[0], 0x78);
    EXPECT_EQ(idat->data[1], 0xDA);
}

TEST(PngWrite, TextChunks)
{
    kt::TempDir dir;
    kel::GlobalMem dib(kt::makeDib(4, 4, 8, kt::spreadColours(8), kt::pattern(8, 8)));
    const std::string path = dir.file("t.png");
    struct Case {
        const char* title;
        const char* description;
        std::vector<std::string> texts;
    } cases[] = {
        {"", "Shore", {std::string("Description\0Shore", 17), std::string("SoftWare\0Kelgrove Image Catalog System - Tandry Software", 56)}},
        {"Lake", nullptr, {std::string("Title\0Lake", 10), std::string("SoftWare\0Kelgrove Image Catalog System - Tandry Software", 56)}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(WritePNG(path.c_str(), dib.get(), 0, 0, c.title, c.description), 1);
        std::vector<std::string> texts;
        for (const png_test::Chunk& k : png_test::chunks(kt::readFile(path)))
            if (k.type == "tEXt")
                texts.emplace_back(k.data.begin(), k.data.end());
        EXPECT_EQ(texts, c.texts);
    }
    HGLOBAL title = nullptr, description = nullptr;
    ASSERT_EQ(WritePNG(path.c_str(), dib.get(), 0, 0, "Lake", "Shore"), 1);
    kel::GlobalMem back = readBack(path, &title, &description);
    ASSERT_TRUE(back);
    EXPECT_STREQ(static_cast<char*>(kel::GlobalLocked<char>(title).get()), "Lake");
    EXPECT_STREQ(static_cast<char*>(kel::GlobalLocked<char>(description).get()), "Shore");
    GlobalFree(title);
    GlobalFree(description);
}

TEST(PngWrite, LargeDataIsSplitIntoIdatChunksOf32768Bytes)
{
    kt::TempDir dir;
    uint32_t seed = 7;
    kel::GlobalMem dib(kt::makeDib(200, 150, 24, {}, [&seed](int, int) {
        seed = seed * 1664525 + 1013904223;
        return seed >> 8;
    }));
    const std::string path = dir.file("l.png");
    ASSERT_EQ(WritePNG(path.c_str(), dib.get(), 0, 0, nullptr, nullptr), 1);
    std::vector<size_t> sizes;
    for (const png_test::Chunk& k : png_test::chunks(kt::readFile(path)))
        if (k.type == "IDAT")
            sizes.push_back(k.data.size());
    ASSERT_GE(sizes.size(), 3u);
    for (size_t i = 0; i + 1 < sizes.size(); ++i)
        EXPECT_EQ(sizes[i], 32768u);
    EXPECT_LT(sizes.back(), 32768u);
    EXPECT_GT(sizes.back(), 0u);
    kel::GlobalMem back = readBack(path);
    kt::RgbImage want, got;
    ASSERT_TRUE(kt::dibToRgb(dib.get(), &want));
    ASSERT_TRUE(kt::dibToRgb(back.get(), &got));
    EXPECT_EQ(kt::firstDifference(want, got), "");
}

TEST(PngWrite, OtherDepthsAreRefusedAndLeaveNoFile)
{
    kt::TempDir dir;
    const std::string path = dir.file("x.png");
    kel::GlobalMem dib(kt::makeDib(4, 4, 24, {}, kt::pattern(24, 0)));
    {
        kel::GlobalLocked<BITMAPINFOHEADER> bi(dib.get());
        bi->biBitCount = 16;
    }
    EXPECT_EQ(WritePNG(path.c_str(), dib.get(), 0, 0, nullptr, nullptr), 0);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(WritePNG(path.c_str(), nullptr, 0, 0, nullptr, nullptr), 0);
}
