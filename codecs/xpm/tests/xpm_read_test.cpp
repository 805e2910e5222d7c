// Reading XPM files into DIBs: files of the tools against their own decodes, the hexadecimal and
// name rules of colours, characters per pixel, more than 256 colours, and the open entry's
// handing over of the DIB.
#include "codec_results.h"
#include "keldll.h"
#include "kelxpm.h"
#include "reference_image.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

namespace {

using Rows = std::vector<std::vector<int>>;

kel::GlobalMem readXpm(const std::string& path, std::string* format = nullptr)
{
    char text[16] = "";
    kel::GlobalMem dib(ReadXPMBitmapInfo(path.c_str(), text, nullptr, 0));
    if (format)
        *format = text;
    return dib;
}

kel::GlobalMem readText(const kt::TempDir& dir, const std::string& text)
{
    const std::string path = dir.file("t.xpm");
    EXPECT_TRUE(kt::writeFile(path, std::vector<uint8_t>(text.begin(), text.end())));
    return readXpm(path);
}

// An XPM3 text of one row holding each colour once, in order, one character a pixel.
std::string oneRowOf(const std::vector<std::string>& colourValues)
{
    std::string text = "/* XPM */\nstatic char *t[] = {\n\"" + std::to_string(colourValues.size()) + " 1 " +
                       std::to_string(colourValues.size()) + " 1\",\n";
    std::string row;
    for (size_t i = 0; i < colourValues.size(); ++i) {
        const char c = char('a' + i);
        text += std::string("\"") + c + " " + colourValues[i] + "\",\n";
        row += c;
    }
    return text + "\"" + row + "\"\n};\n";
}

} // namespace

TEST(XpmRead, FilesOfTheToolsDecodeAsTheToolsReadThem)
{
    struct Case {
        const char* name;
        int bits, colours;
    } cases[] = {
        {"im_c16", 8, 16}, {"im_c200", 8, 199}, {"nb_c16", 8, 16}, {"nb_c200", 8, 199}, {"nb_true", 24, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = kt::fixture(std::string("xpm\\") + c.name + ".xpm");
        ASSERT_FALSE(path.empty()) << "fixture missing";
        std::string format;
        kel::GlobalMem dib = readXpm(path, &format);
        ASSERT_TRUE(dib);
        EXPECT_EQ(format, "XPM");
        const BITMAPINFOHEADER bi = kt::headerOf(dib.get());
        EXPECT_EQ(bi.biBitCount, c.bits);
        EXPECT_EQ(int(bi.biClrUsed), c.colours);
        EXPECT_EQ(int(bi.biClrImportant), c.colours);
        EXPECT_EQ(bi.biSizeImage, ((37 * c.bits + 31) / 32) * 4 * 23u);
        EXPECT_GE(GlobalSize(dib.get()), 40 + 4 * bi.biClrUsed + bi.biSizeImage);
        kt::RgbImage want, got;
        ASSERT_TRUE(kt::readNetpbm(kt::fixture(std::string("xpm\\") + c.name + ".ref.ppm"), &want));
        ASSERT_TRUE(kt::dibToRgb(dib.get(), &got));
        EXPECT_EQ(kt::firstDifference(want, got), "");
    }
}

// "#" values: three digits are the components themselves, six two digits each, twelve the first
// two of each four, in either case; any other length repeats the entry before (black first).
TEST(XpmRead, HexadecimalColours)
{
    kt::TempDir dir;
    kel::GlobalMem dib = readText(dir, oneRowOf({"c #12345678", "c #fff", "c #ffffff", "c #ffff00000000",
                                                 "c #AbC", "c #a1B2c3", "c #12345", "c #0F1e2D3c4B5a"}));
    ASSERT_TRUE(dib);
    EXPECT_EQ(kt::colourTable(dib.get(), 8),
              (std::vector<uint32_t>{0x00000001, 0x0F0F0F01, 0xFFFFFF01, 0xFF000001, 0x0A0B0C01, 0xA1B2C301,
                                     0xA1B2C301, 0x0F2D4B01}));
    EXPECT_EQ(kt::indexRows(dib.get()), (Rows{{0, 1, 2, 3, 4, 5, 6, 7}}));
}

// Names: spaces removed, any case, grey read as gray; None and unknown names are red; a colour
// without a "c" value is black.
TEST(XpmRead, NamedColours)
{
    struct Case {
        const char* value;
        uint32_t colour; // 0xRRGGBB
    } cases[] = {
        {"c gray50", 0x7F7F7F},        {"c grey50", 0x7F7F7F},      {"c Dark Slate Gray", 0x2F4F4F},
        {"c darkslategray", 0x2F4F4F}, {"c DarkSlateGrey", 0x2F4F4F}, {"c None", 0xFF0000},
        {"c Transparent", 0x000001},   {"c GRAY100", 0xFFFFFF},     {"c gray0", 0x000000},
        {"c Grey", 0xBEBEBE},          {"c navy", 0x000080},        {"c LightGoldenrodYellow", 0xFAFAD2},
        {"c no such colour", 0xFF0000}, {"m white", 0x000000},      {"s edge m black", 0x000000},
        {"m black c white", 0xFFFFFF},
    };
    std::vector<std::string> values;
    for (const Case& c : cases)
        values.push_back(c.value);
    kt::TempDir dir;
    kel::GlobalMem dib = readText(dir, oneRowOf(values));
    ASSERT_TRUE(dib);
    const std::vector<uint32_t> table = kt::colourTable(dib.get(), int(values.size()));
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(table[i], cases[i].colour << 8 | 1) << cases[i].value;
}

// The same image with one, two and three characters a pixel (characters may be blanks) gives
// the same DIB.
TEST(XpmRead, AnyCharactersPerPixel)
{
    const char* forms[] = {
        "/* XPM */ static char *a[] = {\"3 2 2 1\", \". c #FF0000\", \"# c blue\", \".#.\", \"##.\"};",
        "/* XPM */ static char *a[] = {\"3 2 2 2\", \"aa c #FF0000\", \"a  c blue\", \"aaa aa\", \"a a aa\"};",
        "/* XPM */ static char *a[] = {\"3 2 2 3\", \" x  c #FF0000\", \"x y c blue\", \" x x y x \", "
        "\"x yx y x \"};",
    };
    kt::TempDir dir;
    for (const char* text : forms) {
        SCOPED_TRACE(text);
        kel::GlobalMem dib = readText(dir, text);
        ASSERT_TRUE(dib);
        EXPECT_EQ(kt::colourTable(dib.get(), 2), (std::vector<uint32_t>{0xFF000001, 0x0000FF01}));
        EXPECT_EQ(kt::indexRows(dib.get()), (Rows{{0, 1, 0}, {1, 1, 0}}));
    }
}

// More than 256 colours do not fit a colour table: the image becomes 24-bit of their colours.
TEST(XpmRead, MoreThan256ColoursGiveTrueColour)
{
    std::string text = "! XPM2\n300 1 300 2\n";
    std::string row;
    for (int i = 0; i < 300; ++i) {
        const std::string chars = {char('A' + i / 60), char('0' + i % 60)};
        char value[16];
        std::snprintf(value, sizeof value, "#%02X%02X%02X", i & 0xFF, i >> 8, 7);
        text += chars + " c " + value + "\n";
        row += chars;
    }
    text += row + "\n";
    kt::TempDir dir;
    kel::GlobalMem dib = readText(dir, text);
    ASSERT_TRUE(dib);
    const BITMAPINFOHEADER bi = kt::headerOf(dib.get());
    EXPECT_EQ(bi.biBitCount, 24);
    EXPECT_EQ(bi.biClrUsed, 0u);
    const Rows pixels = kt::indexRows(dib.get());
    ASSERT_EQ(pixels.size(), 1u);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(pixels[0][size_t(i)], (i & 0xFF) << 16 | (i >> 8) << 8 | 7) << i;
}

// The open entry takes the DIB from the record variable, leaves a copy of its header and colour
// table there and shows the size; without a DIB there it gives null.
TEST(XpmRead, OpenHandsOverTheDib)
{
    const std::string path = kt::fixture("xpm\\nb_c16.xpm");
    HGLOBAL info = ReadXPMBitmapInfo(path.c_str(), nullptr, nullptr, 0);
    ASSERT_NE(info, nullptr);
    HGLOBAL original = info;
    char format[8] = "XPM";
    kel::GlobalMem dib(OpenXPM(path.c_str(), kt::testApp().appInstance, format, &info, nullptr, nullptr, 0));
    EXPECT_EQ(dib.get(), original);
    kel::GlobalMem header(info);
    ASSERT_TRUE(header);
    ASSERT_NE(header.get(), original);
    EXPECT_EQ(kt::headerOf(header.get()).biClrUsed, 16u);
    EXPECT_LT(GlobalSize(header.get()), GlobalSize(dib.get()));
    EXPECT_EQ(kt::colourTable(header.get(), 16), kt::colourTable(dib.get(), 16));

    // A second open finds only the header copy; none finds nothing.
    HGLOBAL copy = header.get();
    EXPECT_EQ(OpenXPM(path.c_str(), nullptr, format, &copy, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(copy, header.get());
    HGLOBAL none = nullptr;
    EXPECT_EQ(OpenXPM(path.c_str(), nullptr, format, &none, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(OpenXPM(path.c_str(), nullptr, format, nullptr, nullptr, nullptr, 0), nullptr);
}

// Unreadable files give null and no technical information; neither format is written.
TEST(XpmRead, FailuresAndWriting)
{
    kt::TempDir dir;
    HGLOBAL tech = nullptr;
    EXPECT_EQ(ReadXPMBitmapInfo(dir.file("none.xpm").c_str(), nullptr, &tech, 1), nullptr);
    const std::string bad = dir.file("bad.xpm");
    ASSERT_TRUE(kt::writeFile(bad, {'/', '*', ' ', 'X', 'P', 'M', ' ', '*', '/'}));
    EXPECT_EQ(ReadXPMBitmapInfo(bad.c_str(), nullptr, &tech, 1), nullptr);
    EXPECT_EQ(tech, nullptr);
    kel::GlobalMem dib(ReadXPMBitmapInfo(kt::fixture("xpm\\nb_c16.xpm").c_str(), nullptr, nullptr, 0));
    ASSERT_TRUE(dib);
    EXPECT_EQ(WriteXPM(dir.file("o.xpm").c_str(), dib.get(), 0), 0);
    EXPECT_EQ(WriteXBM(dir.file("o.xbm").c_str(), dib.get(), 0), 0);
    EXPECT_EQ(GetFileAttributesA(dir.file("o.xpm").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(dir.file("o.xbm").c_str()), INVALID_FILE_ATTRIBUTES);
}
