// Reading XBM files into 1-bit DIBs: files of the tools against their own decodes, byte values,
// hot spots, row sizes, the closing "};" and every syntax error the reader names.
#include "codec_results.h"
#include "keldll.h"
#include "kelxpm.h"
#include "reference_image.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

namespace {

struct Read {
    kel::GlobalMem dib;
    std::string format, tech;
};

Read readXbm(const std::string& path)
{
    Read r;
    char format[16] = "";
    HGLOBAL tech = nullptr;
    r.dib.reset(ReadXBMBitmapInfo(path.c_str(), format, &tech, 0));
    r.format = format;
    r.tech = kt::techText(tech);
    if (tech)
        GlobalFree(tech);
    return r;
}

Read readText(const kt::TempDir& dir, const std::string& text)
{
    const std::string path = dir.file("t.xbm");
    EXPECT_TRUE(kt::writeFile(path, std::vector<uint8_t>(text.begin(), text.end())));
    return readXbm(path);
}

// The DIB's pixel bytes of each row, top row first.
std::vector<std::vector<uint8_t>> rowBytes(HGLOBAL dib)
{
    const BITMAPINFOHEADER bi = kt::headerOf(dib);
    kel::GlobalLocked<uint8_t> p(dib);
    const size_t row = size_t((bi.biWidth + 31) / 32) * 4;
    std::vector<std::vector<uint8_t>> out;
    for (int y = bi.biHeight - 1; y >= 0; --y) {
        const uint8_t* r = p.get() + 40 + 8 + row * size_t(y);
        out.emplace_back(r, r + row);
    }
    return out;
}

} // namespace

TEST(XbmRead, FilesOfTheToolsDecodeAsTheToolsReadThem)
{
    struct Case {
        const char* name;
        int width;
        const char* tech;
    } cases[] = {
        // ImageMagick ends its data with ", };": the last value does not carry the "};".
        {"im_bits", 37, "Syntax err reading data; }; not found\r\n"},
        {"nb_bits", 37, ""},
        {"nb_bits10", 10, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = kt::fixture(std::string("xpm\\") + c.name + ".xbm");
        ASSERT_FALSE(path.empty()) << "fixture missing";
        Read r = readXbm(path);
        ASSERT_TRUE(r.dib);
        EXPECT_EQ(r.format, "XBM");
        EXPECT_EQ(r.tech, c.tech);
        const BITMAPINFOHEADER bi = kt::headerOf(r.dib.get());
        EXPECT_EQ(bi.biBitCount, 1);
        EXPECT_EQ(bi.biWidth, c.width);
        EXPECT_EQ(bi.biClrUsed, 2u);
        EXPECT_EQ(bi.biClrImportant, 2u);
        EXPECT_EQ(kt::colourTable(r.dib.get(), 2), (std::vector<uint32_t>{0xFFFFFF01, 0x00000001}));
        kt::RgbImage want, got;
        ASSERT_TRUE(kt::readNetpbm(kt::fixture(std::string("xpm\\") + c.name + ".ref.ppm"), &want));
        ASSERT_TRUE(kt::dibToRgb(r.dib.get(), &got));
        EXPECT_EQ(kt::firstDifference(want, got), "");
    }
}

// Byte values: the least significant bit is the leftmost pixel, so the byte is reversed; only
// "0x" (lower-case x) values count, digits in either case; anything else is 0. A width of 10
// takes two bytes a row and gives DIB rows of 4 bytes.
TEST(XbmRead, ByteValues)
{
    kt::TempDir dir;
    Read r = readText(dir, "#define v_width 10\n#define v_height 4\nstatic unsigned char v_bits[] = {\n"
                           "0x01, 0x0f, 0X1F, 31, 0xaB, 0xAb, 0xF, 0xz1};\n");
    ASSERT_TRUE(r.dib);
    EXPECT_EQ(r.tech, "");
    EXPECT_EQ(kt::headerOf(r.dib.get()).biSizeImage, 16u);
    EXPECT_EQ(rowBytes(r.dib.get()), (std::vector<std::vector<uint8_t>>{
                                         {0x80, 0xF0, 0, 0}, {0, 0, 0, 0}, {0xD5, 0xD5, 0, 0}, {0x0F, 0x80, 0, 0}}));
    // Leftmost pixel black: pixel (0, 0) of the first row.
    EXPECT_EQ(kt::indexRows(r.dib.get())[0][0], 1);
}

// Hot spot definitions are read and change nothing, written NAME_x_hot as the X Window System
// writes them or NAME_hot_x; keywords in any case.
TEST(XbmRead, HotSpotsAreReadLikeFilesWithout)
{
    kt::TempDir dir;
    Read plain = readText(dir, "#define c_width 8\n#define c_height 2\nstatic char c_bits[] = {\n 0x13, 0x37 };");
    ASSERT_TRUE(plain.dib);
    EXPECT_EQ(plain.tech, "Syntax err reading data; }; not found\r\n") << "the \"};\" stands apart";
    for (const char* hotSpot : {"#define c_x_hot 3\r\n#define c_y_hot 1\r\n", "#define c_hot_x 3\r\n#define c_hot_y 1\r\n"}) {
        SCOPED_TRACE(hotSpot);
        Read hot = readText(dir, std::string("#DEFINE c_width 8\r\n#define c_height 2\r\n") + hotSpot +
                                     "STATIC char c_bits[] = {\r\n 0x13,0x37};");
        ASSERT_TRUE(hot.dib);
        EXPECT_EQ(rowBytes(hot.dib.get()), rowBytes(plain.dib.get()));
        EXPECT_EQ(hot.tech, "");
    }
}

// Each step of the text names what it did not find; the file gives no image.
TEST(XbmRead, SyntaxErrors)
{
    const std::string w = "#define n_width 8\n", h = "#define n_height 1\n", d = "static char n_bits[] = {\n0x01};";
    struct Case {
        std::string text;
        const char* tech;
    } cases[] = {
        {"#define n_wide 8\n" + h + d, "Syntax err reading width\r\n"},
        // A tab is no delimiter: "#define\tn_width" is not the keyword, so the next #define is
        // taken for the width's.
        {"#define\tn_width 8\n" + h + d, "Syntax err reading width\r\n"},
        {"#define n_width 0\n" + h + d, "Syntax err width = 0\r\n"},
        {"#define n_width eight\n" + h + d, "Syntax err width = 0\r\n"},
        {w + "define n_height 1\n" + d, "Syntax err reading height; #define not found\r\n"},
        {w + "#define n_high 1\n" + d, "Syntax err reading height\r\n"},
        {w + "#define n_height 0\n" + d, "Syntax err height = 0\r\n"},
        {w + h + "#define n_x_spot 1\n" + d, "Syntax err reading hot x \r\n"},
        {w + h + "#define n_x_hot 1\nstatic char n_bits[] = {\n0x01};",
         "Syntax err reading hot_y; #define not found\r\n"},
        {w + h + "#define n_x_hot 1\n#define n_y_spot 1\n" + d, ""},
        {w + h + "char n_bits[] = {\n0x01};", "Syntax err reading data; static keyword not found\r\n"},
        {w + h + "static short n_bits[] = {\n0x01};", "Syntax err reading data; char keyword not found\r\n"},
        {w + h + "static unsigned int n_bits[] = {\n0x01};", "Syntax err reading data; char keyword not found\r\n"},
        {w + h + "static char n_data[] = {\n0x01};", "Syntax err reading data; n_bits[] keyword not found\r\n"},
        {w + h + "static char n_bits[] := {\n0x01};", "Syntax err reading data; = operator not found\r\n"},
        {w + h + "static char n_bits[] = [\n0x01];", "Syntax err reading data; { not found\r\n"},
        {w + h + "static char n_bits[] = {\n", ""},                       // no data at all
        {"#define n_width 16\n" + h + "static char n_bits[] = {\n0x01};", ""}, // one value short
        {"no define here", ""},
        {"", ""},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Read r = readText(dir, c.text);
        EXPECT_FALSE(r.dib);
        EXPECT_EQ(r.tech, c.tech);
    }
}

// Sizes the rest of the text cannot hold data for are refused before anything is allocated.
TEST(XbmRead, AbsurdSizesAreRefused)
{
    kt::TempDir dir;
    for (const char* size : {"#define n_width 2000000000\n#define n_height 2000000000\n",
                             "#define n_width 99999999999999\n#define n_height 1\n",
                             "#define n_width -8\n#define n_height 1\n"}) {
        SCOPED_TRACE(size);
        EXPECT_FALSE(readText(dir, std::string(size) + "static char n_bits[] = {\n0x01, 0x02};").dib);
    }
}

// The open entry hands the DIB over and leaves a copy of its header and colours behind.
TEST(XbmRead, OpenHandsOverTheDib)
{
    const std::string path = kt::fixture("xpm\\nb_bits.xbm");
    HGLOBAL info = ReadXBMBitmapInfo(path.c_str(), nullptr, nullptr, 0);
    ASSERT_NE(info, nullptr);
    HGLOBAL original = info;
    char format[8] = "XBM";
    kel::GlobalMem dib(OpenXBM(path.c_str(), kt::testApp().appInstance, format, &info, nullptr, nullptr, 0));
    EXPECT_EQ(dib.get(), original);
    kel::GlobalMem header(info);
    ASSERT_TRUE(header);
    EXPECT_NE(header.get(), original);
    EXPECT_EQ(kt::colourTable(header.get(), 2), (std::vector<uint32_t>{0xFFFFFF01, 0x00000001}));
}
