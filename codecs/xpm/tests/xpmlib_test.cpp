// The XPM reader that stands in for libXpm: both text forms, comments, hot spots, extensions,
// colour keys with values of several words, and texts with missing or malformed parts.
#include "test_support.h"
#include "xpmlib.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Read {
    int result;
    XpmImage image;
    XpmInfo info;
};

Read read(const kt::TempDir& dir, const std::string& text)
{
    const std::string path = dir.file("t.xpm");
    EXPECT_TRUE(kt::writeFile(path, std::vector<uint8_t>(text.begin(), text.end())));
    Read r;
    r.result = XpmReadFileToXpmImage(path.c_str(), &r.image, &r.info);
    return r;
}

std::string str(const char* s) { return s ? s : "(none)"; }

std::vector<unsigned> pixels(const XpmImage& image)
{
    return std::vector<unsigned>(image.data, image.data + image.width * image.height);
}

} // namespace

TEST(XpmLib, ReadsTheCSourceForm)
{
    const std::string text = "/* XPM */\n"
                             "static const char * const icon[] = {\n"
                             "/* width height ncolors chars_per_pixel x_hot y_hot */\n"
                             "\"4 2 3 1 1 0 XPMEXT\",\n"
                             "/* colors */\n"
                             "\". c dark slate gray m black s border\",\n"
                             "\"# g4 white c #0000FF\" /* a comment after a string */,\n"
                             "\"  s none c None\",\n"
                             "/* pixels */\n"
                             "\".# .\",\n"
                             "\"## #\",\n"
                             "\"XPMEXT ext1 data\",\n"
                             "\"XPMEXT ext2\",\n"
                             "\"more\",\n"
                             "\"XPMENDEXT\"\n"
                             "};\n";
    kt::TempDir dir;
    Read r = read(dir, text);
    ASSERT_EQ(r.result, XpmSuccess);
    EXPECT_EQ(r.image.width, 4u);
    EXPECT_EQ(r.image.height, 2u);
    EXPECT_EQ(r.image.cpp, 1u);
    ASSERT_EQ(r.image.ncolors, 3u);
    const XpmColor* c = r.image.colorTable;
    EXPECT_EQ(str(c[0].string), ".");
    EXPECT_EQ(str(c[0].c_color), "dark slate gray");
    EXPECT_EQ(str(c[0].m_color), "black");
    EXPECT_EQ(str(c[0].symbolic), "border");
    EXPECT_EQ(str(c[0].g_color), "(none)");
    EXPECT_EQ(str(c[1].g4_color), "white");
    EXPECT_EQ(str(c[1].c_color), "#0000FF");
    EXPECT_EQ(str(c[2].string), " ");
    EXPECT_EQ(str(c[2].c_color), "None");
    EXPECT_EQ(pixels(r.image), (std::vector<unsigned>{0, 1, 2, 0, 1, 1, 2, 1}));
    EXPECT_EQ(r.info.valuemask, XpmHotspot | XpmExtensions);
    EXPECT_EQ(r.info.x_hotspot, 1u);
    EXPECT_EQ(r.info.y_hotspot, 0u);
    EXPECT_EQ(r.info.nextensions, 2u);
    XpmFreeXpmImage(&r.image);
    XpmFreeXpmInfo(&r.info);
    EXPECT_EQ(r.image.colorTable, nullptr);
    EXPECT_EQ(r.image.data, nullptr);
}

TEST(XpmLib, ReadsTheXpm2Form)
{
    const std::string text = "! XPM2\r\n"
                             "3 2 2 2\r\n"
                             "! a comment line\r\n"
                             "ab c red\r\n"
                             "a  c #00FF00 g grey50\r\n"
                             "aba ab\r\n"
                             "ababa \r\n";
    kt::TempDir dir;
    Read r = read(dir, text);
    ASSERT_EQ(r.result, XpmSuccess);
    EXPECT_EQ(r.image.cpp, 2u);
    ASSERT_EQ(r.image.ncolors, 2u);
    EXPECT_EQ(str(r.image.colorTable[0].c_color), "red");
    EXPECT_EQ(str(r.image.colorTable[1].g_color), "grey50");
    EXPECT_EQ(pixels(r.image), (std::vector<unsigned>{0, 1, 0, 0, 0, 1}));
    EXPECT_EQ(r.info.valuemask, 0u);
    XpmFreeXpmImage(&r.image);
}

// Texts with missing or malformed parts are invalid, and leave nothing to free.
TEST(XpmLib, MalformedTextsAreInvalid)
{
    const std::string head = "/* XPM */\nstatic char *x[] = {\n";
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"no XPM comment", "/* PIXMAP */\nstatic char *x[] = {\"1 1 1 1\", \". c red\", \".\"};"},
        {"no brace", "/* XPM */\nstatic char *x[] = \"1 1 1 1\";"},
        {"plain text", "1 1 1 1\n. c red\n.\n"},
        {"XPM2 marker misspelt", "! XPM 2\n1 1 1 1\n. c red\n.\n"},
        {"empty array", head + "};"},
        {"three values", head + "\"1 1 1\", \". c red\", \".\"};"},
        {"a width that is no number", head + "\"1x 1 1 1\", \". c red\", \".\"};"},
        {"a negative height", head + "\"1 -1 1 1\", \". c red\", \".\"};"},
        {"no colours", head + "\"1 1 0 1\", \".\"};"},
        {"no characters per pixel", head + "\"1 1 1 0\", \". c red\", \".\"};"},
        {"a colour line without key", head + "\"1 1 1 1\", \". red\", \".\"};"},
        {"a key without value", head + "\"1 1 1 1\", \". c\", \".\"};"},
        {"a key followed by a key", head + "\"1 1 1 1\", \". c m black\", \".\"};"},
        {"a colour line shorter than its characters", head + "\"1 1 1 2\", \".\", \"..\"};"},
        {"missing colour lines", head + "\"1 1 2 1\", \". c red\"};"},
        {"a row too short", head + "\"2 1 1 1\", \". c red\", \".\"};"},
        {"a pixel of no colour", head + "\"2 1 1 1\", \". c red\", \".#\"};"},
        {"missing rows", head + "\"1 2 1 1\", \". c red\", \".\"};"},
        {"an unterminated string", head + "\"1 1 1 1\", \". c red\", \"."},
        {"more colours than the text holds", head + "\"1 1 400000000 1\", \". c red\", \".\"};"},
        {"more pixels than the text holds", head + "\"100000 100000 1 1\", \". c red\", \".\"};"},
        {"values beyond nine digits", head + "\"1 1 1 1234567890\", \". c red\", \".\"};"},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Read r = read(dir, c.text);
        EXPECT_EQ(r.result, XpmFileInvalid);
        EXPECT_EQ(r.image.colorTable, nullptr);
        EXPECT_EQ(r.image.data, nullptr);
        EXPECT_EQ(r.image.ncolors, 0u);
    }
    XpmImage image;
    EXPECT_EQ(XpmReadFileToXpmImage(dir.file("none.xpm").c_str(), &image, nullptr), XpmOpenFailed);
}

// The first definition of a pixel's characters counts; a longer row's surplus is passed over.
TEST(XpmLib, DuplicateCharactersAndLongRows)
{
    kt::TempDir dir;
    Read r = read(dir, "! XPM2\n2 1 2 1\n. c red\n. c blue\n..extra\n");
    ASSERT_EQ(r.result, XpmSuccess);
    EXPECT_EQ(pixels(r.image), (std::vector<unsigned>{0, 0}));
    XpmFreeXpmImage(&r.image);
}
