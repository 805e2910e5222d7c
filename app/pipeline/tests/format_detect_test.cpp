// Choosing the format: extensions, signatures in the table's order, the writable-format table.
#include "format_detect.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace pipeline;

namespace {

// 1024 bytes of filler with a signature written at an offset.
std::vector<uint8_t> headWith(size_t offset, std::vector<uint8_t> signature, uint8_t filler = 0x20)
{
    std::vector<uint8_t> b(1024, filler);
    std::copy(signature.begin(), signature.end(), b.begin() + ptrdiff_t(offset));
    return b;
}

std::vector<uint8_t> text(const char* t) { return std::vector<uint8_t>(t, t + std::strlen(t)); }

} // namespace

TEST(FormatDetect, SignaturesInTheTablesOrder)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> head;
        const char* type;
        int recognised;
    } cases[] = {
        {"Intel TIFF", headWith(0, text("II*")), "TIF", 1},
        {"Motorola TIFF", headWith(0, text("MM")), "TIF", 1},
        {"GIF89a", headWith(0, text("GIF89a")), "GIF", 1},
        {"Sun raster", headWith(0, {0x59, 0xA6, 0x6A, 0x95}), "RAS", 1},
        {"UUE at 1018", headWith(1018, text("begin ")), "UUE", 1},
        {"PICT at 522", headWith(522, {0x11, 0x01}), "PCT", 1},
        {"PICT 2 at 650", headWith(650, {0x00, 0x11, 0x02, 0xFF}), "PCT", 1},
        {"00 11 at 394 without 02 FF: the next offsets are tried", headWith(394, {0x00, 0x11, 0x03, 0xFF}), "", 0},
        {"JPEG inside the first 1000 bytes", headWith(998, {0xFF, 0xD8}), "JPG", 1},
        {"FF D8 at 1000 is too far", headWith(1000, {0xFF, 0xD8}), "", 0},
        {"CGM", headWith(0, {0x00, 0x3F, 0x00}), "CGM", 1},
        {"EPS", headWith(0, text("%!PS")), "EPS", 1},
        {"IFF proposed", headWith(0, text("FORM")), "IFF", 0},
        {"IMG proposed", headWith(0, {0, 1, 0, 8}), "IMG", 0},
        {"WMF proposed", headWith(0, {0, 1, 9, 0}, 0), "WMF", 0},
        {"BMP", headWith(0, text("BM")), "BMP", 1},
        {"PCX proposed", headWith(0, {0x0A, 5, 1, 8}), "PCX", 0},
        {"a TIFF signature wins over a later JPEG one", headWith(0, {'I', 'I', 0xFF, 0xD8}), "TIF", 1},
    };
    for (const Case& c : cases) {
        std::string type;
        EXPECT_EQ(sniffBytes(c.head.data(), c.head.size(), &type), c.recognised) << c.what;
        EXPECT_EQ(type, c.type) << c.what;
    }
}

TEST(FormatDetect, ShortFilesAreNotSniffed)
{
    std::vector<uint8_t> gif = headWith(0, text("GIF89a"));
    std::string type = "x";
    EXPECT_EQ(sniffBytes(gif.data(), 1023, &type), 0);
    EXPECT_EQ(type, "");
}

TEST(FormatDetect, TypeFromTheExtension)
{
    EXPECT_EQ(typeFromExtension("C:\\pics\\photo.jpg"), "JPG");
    EXPECT_EQ(typeFromExtension("C:\\pics\\photo.JiF"), "JIF");
    EXPECT_EQ(typeFromExtension("C:\\pics\\a.pcx"), "PCX");
    EXPECT_EQ(typeFromExtension("C:\\pics\\a.dat"), "");
    EXPECT_EQ(typeFromExtension("C:\\pics.d\\noext"), "");
    EXPECT_EQ(familyOf("JIF"), Family::Jpeg);
    EXPECT_EQ(familyOf("DIB"), Family::Bmp);
    EXPECT_EQ(familyOf("GIF"), Family::Gif);
    EXPECT_EQ(familyOf("PNG"), Family::Png);
    EXPECT_EQ(familyOf("TGA"), Family::Tga);
    for (const char* type : {"CE", "LBM", "IFF"})
        EXPECT_EQ(familyOf(type), Family::Lbm) << type;
}

TEST(FormatDetect, FamiliesOfTheSunRasterSgiXpmXbmAndIcsTypes)
{
    struct Case {
        const char* path;
        Family family;
    } cases[] = {{"a.rgb", Family::Sgi}, {"a.BW", Family::Sgi}, {"a.sgi", Family::Sgi}, {"a.ras", Family::Ras},
                 {"a.xpm", Family::Xpm}, {"a.pm", Family::Xpm}, {"a.xbm", Family::Xbm}, {"a.Bm", Family::Xbm},
                 {"a.ics", Family::Ics}};
    for (const Case& c : cases)
        EXPECT_EQ(familyOf(typeFromExtension(c.path)), c.family) << c.path;
    EXPECT_EQ(FormatIndexFromName("a.sgi"), kSgi);
    EXPECT_EQ(FormatIndexFromName("a.rgb"), -1) << "SGI files are written under .SGI only";
}

TEST(FormatDetect, WritableFormatFromTheName)
{
    struct Case {
        const char* name;
        int index;
    } cases[] = {{"a.gif", kGif}, {"a.JIF", kJpeg}, {"a.jpg", kJpeg}, {"a.ce", kLbm},  {"a.pcx", kPcx},
                 {"a.rle", kBmp}, {"a.wpg", kWpg},  {"a.img", -1},    {"a.jpeg", -1}, {"a", -1},
                 {"dir.pcx\\a", -1}};
    for (const Case& c : cases)
        EXPECT_EQ(FormatIndexFromName(c.name), c.index) << c.name;
    EXPECT_STREQ(writableDescription(kGif), "CompuServe GIF");
}
