// Writing GIF files: every depth and option read back to the same pixels, and the bytes the
// format fixes (screen byte, code size, comment sub-blocks, transparency).
#include "codec_results.h"
#include "dib_builder.h"
#include "file_io.h"
#include "keldll.h"
#include "kelgif.h"
#include "reference_image.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <string>

namespace {

kel::GlobalMem readBack(const std::string& path)
{
    HGLOBAL tech = nullptr;
    HPALETTE palette = nullptr;
    char format[16];
    kel::GlobalMem dib(OpenGIF(nullptr, path.c_str(), kt::testApp().appInstance, format, nullptr, &tech, &palette,
                               nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    if (tech)
        GlobalFree(tech);
    if (palette)
        DeleteObject(palette);
    return dib;
}

int write(const std::string& path, HGLOBAL dib, int options, const char* comment = nullptr, int transparent = 0,
          COLORREF colour = 0)
{
    return WriteGIF(path.c_str(), dib, 0, options, 0, comment, 0, &transparent, &colour);
}

// Offset of the byte after the global colour table.
size_t afterTable(const std::vector<uint8_t>& b) { return 13 + 3 * (size_t(2) << (b[10] & 7)); }

} // namespace

TEST(GifWrite, EveryDepthAndOptionReadsBackToTheSamePixels)
{
    kt::TempDir dir;
    for (int bits : {1, 4, 8}) {
        const int colours = bits == 8 ? 200 : 1 << bits;
        kel::GlobalMem dib(kt::makeDib(37, 23, bits, kt::spreadColours(colours), kt::pattern(bits, colours)));
        for (int options = 0; options < 4; ++options) {
            SCOPED_TRACE("bits " + std::to_string(bits) + ", options " + std::to_string(options));
            const std::string path = dir.file("w.gif");
            ASSERT_EQ(write(path, dib.get(), options), 1);
            const std::vector<uint8_t> b = kt::readFile(path);
            EXPECT_EQ(std::string(b.begin(), b.begin() + 6), options & 2 ? "GIF89a" : "GIF87a");
            EXPECT_EQ(b[10], 0x80 | (bits - 1) << 4 | (bits - 1));
            const size_t image = afterTable(b);
            ASSERT_EQ(b[image], 0x2C);
            EXPECT_EQ(b[image + 9], options & 1 ? 0x40 : 0);
            EXPECT_EQ(b[image + 10], bits == 1 ? 2 : bits) << "minimum code size";
            EXPECT_EQ(b.back(), 0x3B);
            kel::GlobalMem back = readBack(path);
            ASSERT_TRUE(back);
            EXPECT_EQ(kt::indexRows(back.get()), kt::indexRows(dib.get()));
            kt::RgbImage want, got;
            ASSERT_TRUE(kt::dibToRgb(dib.get(), &want));
            ASSERT_TRUE(kt::dibToRgb(back.get(), &got));
            EXPECT_EQ(kt::firstDifference(want, got), "");
        }
    }
}

TEST(GifWrite, OneBitImageStartsWithThreeBitCodes)
{
    kt::TempDir dir;
    kel::GlobalMem dib(kt::makeDib(9, 3, 1, {0x000000, 0xFFFFFF}, kt::pattern(1, 2)));
    const std::string path = dir.file("b.gif");
    ASSERT_EQ(write(path, dib.get(), 0), 1);
    const std::vector<uint8_t> b = kt::readFile(path);
    EXPECT_EQ(b[10], 0x80);
    const size_t image = afterTable(b);
    EXPECT_EQ(b[image + 10], 2);
    EXPECT_EQ(b[image + 12] & 7, 4) << "the clear code, 3 bits wide, first";
    // The palette as red, green, blue.
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 13, b.begin() + 19), (std::vector<uint8_t>{0, 0, 0, 255, 255, 255}));
}

TEST(GifWrite, CommentOf300CharactersIsWrittenAsSubBlocksOf255And45)
{
    kt::TempDir dir;
    kel::GlobalMem dib(kt::makeDib(5, 5, 8, kt::spreadColours(10), kt::pattern(8, 10)));
    const std::string comment(300, 'c'), path = dir.file("c.gif");
    ASSERT_EQ(write(path, dib.get(), 2, comment.c_str()), 1);
    const std::vector<uint8_t> b = kt::readFile(path);
    const std::vector<uint8_t> tail(b.end() - (2 + 1 + 255 + 1 + 45 + 1 + 1), b.end());
    ASSERT_EQ(tail[0], 0x21);
    EXPECT_EQ(tail[1], 0xFE);
    EXPECT_EQ(tail[2], 255);
    EXPECT_EQ(tail[3 + 255], 45);
    EXPECT_EQ(tail[4 + 255 + 45], 0);
    EXPECT_EQ(tail.back(), 0x3B);
    EXPECT_EQ(std::string(tail.begin() + 3, tail.begin() + 3 + 255) + std::string(tail.begin() + 259, tail.begin() + 304),
              comment);
    // GIF87a has no comments.
    ASSERT_EQ(write(path, dib.get(), 0, comment.c_str()), 1);
    const std::vector<uint8_t> plain = kt::readFile(path);
    EXPECT_EQ(std::string(plain.begin(), plain.end()).find(std::string(20, 'c')), std::string::npos);
}

TEST(GifWrite, TransparentColourGivesAGraphicControlBlockWithItsLastIndex)
{
    kt::TempDir dir;
    kel::GlobalMem dib(kt::makeDib(4, 4, 4, {0x000000, 0x00FF00, 0xFF00FF, 0x00FF00, 0xFFFFFF}, kt::pattern(4, 5)));
    const std::string path = dir.file("t.gif");
    struct Case {
        int options, transparent;
        COLORREF colour;
        bool block;
        uint8_t index;
    } cases[] = {{2, 1, RGB(0, 255, 0), true, 3}, {2, 1, RGB(1, 2, 3), true, 0}, {2, 0, RGB(0, 255, 0), false, 0},
                 {0, 1, RGB(0, 255, 0), false, 0}};
    for (const Case& c : cases) {
        ASSERT_EQ(write(path, dib.get(), c.options, nullptr, c.transparent, c.colour), 1);
        const std::vector<uint8_t> b = kt::readFile(path);
        const size_t at = afterTable(b);
        EXPECT_EQ(b[at] == 0x21, c.block);
        if (c.block) {
            EXPECT_EQ(std::vector<uint8_t>(b.begin() + ptrdiff_t(at), b.begin() + ptrdiff_t(at) + 8),
                      (std::vector<uint8_t>{0x21, 0xF9, 4, 1, 0, 0, c.index, 0}));
        }
    }
}

TEST(GifWrite, OtherDepthsAreRefusedAndLeaveNoFile)
{
    kt::TempDir dir;
    kel::GlobalMem dib(kt::makeDib(4, 4, 24, {}, kt::pattern(24, 0)));
    const std::string path = dir.file("x.gif");
    EXPECT_EQ(write(path, dib.get(), 0), 0);
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(write(path, nullptr, 0), 0);
}
