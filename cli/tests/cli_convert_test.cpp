// kelcli info / convert, run as a separate process on the fixtures of the codecs.
#include "file_io.h"
#include "reference_image.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

int kelcli(const std::string& arguments, std::string* out = nullptr, std::string* err = nullptr)
{
    return kt::runProgram("kelcli.exe", arguments, out, err);
}

kt::RgbImage reference(const std::string& fixture)
{
    kt::RgbImage img;
    EXPECT_TRUE(kt::readNetpbm(kt::fixture(fixture), &img)) << fixture;
    return img;
}

// A converted file read back by converting it to BMP and decoding that independently.
kt::RgbImage readBack(const kt::TempDir& dir, const std::string& path)
{
    const std::string bmp = dir.file("readback.bmp");
    EXPECT_EQ(kelcli("convert " + quoted(path) + " " + quoted(bmp)), 0);
    std::vector<uint8_t> b = kt::readFile(bmp);
    kt::RgbImage img;
    if (b.size() < 14)
        return img;
    HGLOBAL dib = GlobalAlloc(GHND, b.size() - 14);
    std::memcpy(GlobalLock(dib), b.data() + 14, b.size() - 14);
    GlobalUnlock(dib);
    kt::dibToRgb(dib, &img);
    GlobalFree(dib);
    return img;
}

} // namespace

TEST(KelcliInfo, PrintsTheFormatSizeDepthColoursAndTechnicalInformation)
{
    std::string out;
    ASSERT_EQ(kelcli("info " + quoted(kt::fixture("pcx\\nb_packed4.pcx")), &out), 0);
    EXPECT_NE(out.find("\"format\": \"PCX\", \"width\": 37, \"height\": 23, \"bits\": 4, \"colors\": 16"),
              std::string::npos)
        << out;
    // The format line first, then what the codec learnt while reading the pixels.
    EXPECT_NE(out.find("\"techinfo\": \"Format: 37x23x16 PCX \\r\\n\\r\\nVersion 3.0 and > of PC Paintbrush\\r\\n"
                       "Encoded\\r\\nBits per pixel:4\\r\\nNumber of planes:1\\r\\n"),
              std::string::npos)
        << out;
    ASSERT_EQ(kelcli("info " + quoted(kt::fixture("jpeg\\prog.jpg")), &out), 0);
    EXPECT_NE(out.find("\"format\": \"JPEG\", \"width\": 61, \"height\": 47, \"bits\": 24, \"colors\": 0"),
              std::string::npos)
        << out;
}

TEST(KelcliConvert, ConvertsBetweenPcxJpegAndBmp)
{
    kt::TempDir dir;
    const std::string pcx = dir.file("a.pcx"), bmp = dir.file("a.bmp"), jpg = dir.file("a.jpg");
    ASSERT_EQ(kelcli("convert " + quoted(kt::fixture("pcx\\im_truecolor.pcx")) + " " + quoted(bmp)), 0);
    ASSERT_EQ(kelcli("convert " + quoted(bmp) + " " + quoted(pcx)), 0);
    EXPECT_EQ(kt::firstDifference(reference("pcx\\im_truecolor.ref.ppm"), readBack(dir, pcx)), "");

    ASSERT_EQ(kelcli("convert " + quoted(pcx) + " " + quoted(jpg) + " --quality 90 --progressive"), 0);
    const std::vector<uint8_t> j = kt::readFile(jpg);
    ASSERT_GT(j.size(), 4u);
    EXPECT_EQ(j[0], 0xFF);
    EXPECT_EQ(j[1], 0xD8);
    bool progressive = false;
    for (size_t i = 2; i + 1 < j.size() && !progressive; ++i)
        progressive = j[i] == 0xFF && j[i + 1] == 0xC2;
    EXPECT_TRUE(progressive);
    EXPECT_EQ(readBack(dir, jpg).width, 37);

    // JPEG in: the decode agrees with the reference decoder.
    ASSERT_EQ(kelcli("convert " + quoted(kt::fixture("jpeg\\s444.jpg")) + " " + quoted(pcx)), 0);
    EXPECT_EQ(kt::firstDifference(reference("jpeg\\s444.ref.ppm"), readBack(dir, pcx)), "");
}

TEST(KelcliInfo, GifAndPng)
{
    struct Case {
        const char* fixture;
        const char* summary;
    } cases[] = {
        {"gif\\im_c16.gif", "\"format\": \"GIF89a\", \"width\": 37, \"height\": 23, \"bits\": 4, \"colors\": 16"},
        {"png\\nb_pal8.png", "\"format\": \"PNG\", \"width\": 37, \"height\": 23, \"bits\": 8"},
        {"png\\im_rgb8.png", "\"format\": \"PNG\", \"width\": 37, \"height\": 23, \"bits\": 24, \"colors\": 0"},
    };
    for (const Case& c : cases) {
        std::string out;
        ASSERT_EQ(kelcli("info " + quoted(kt::fixture(c.fixture)), &out), 0);
        EXPECT_NE(out.find(c.summary), std::string::npos) << out;
    }
}

// Every format landed so far into GIF and PNG and back, without a pixel lost where the formats
// can hold the image.
TEST(KelcliConvert, ConvertsToAndFromGifAndPng)
{
    kt::TempDir dir;
    const std::string gif = dir.file("a.gif"), png = dir.file("a.png"), pcx = dir.file("a.pcx"), bmp = dir.file("a.bmp");
    ASSERT_EQ(kelcli("convert " + quoted(kt::fixture("pcx\\nb_8bit.pcx")) + " " + quoted(gif) + " --gif89a --interlaced"), 0);
    EXPECT_EQ(kt::firstDifference(reference("pcx\\nb_8bit.ref.ppm"), readBack(dir, gif)), "");
    ASSERT_EQ(kelcli("convert " + quoted(gif) + " " + quoted(png)), 0);
    ASSERT_EQ(kelcli("convert " + quoted(png) + " " + quoted(pcx)), 0);
    EXPECT_EQ(kt::firstDifference(reference("pcx\\nb_8bit.ref.ppm"), readBack(dir, pcx)), "");

    ASSERT_EQ(kelcli("convert " + quoted(kt::fixture("png\\im_rgb8.png")) + " " + quoted(bmp)), 0);
    ASSERT_EQ(kelcli("convert " + quoted(bmp) + " " + quoted(png)), 0);
    EXPECT_EQ(kt::firstDifference(reference("png\\im_rgb8.ref.pam"), readBack(dir, png)), "");
    ASSERT_EQ(kelcli("convert " + quoted(png) + " " + quoted(gif)), 0) << "24 bits become 256 colours";
    EXPECT_EQ(readBack(dir, gif).width, 37);
    ASSERT_EQ(kelcli("convert " + quoted(kt::fixture("gif\\im_c200_il.gif")) + " " + quoted(dir.file("b.jpg"))), 0);
    EXPECT_EQ(readBack(dir, dir.file("b.jpg")).height, 23);
}

// Any failure: exit 2 and one line on stderr; no output file, and an old one is kept as it was.
TEST(KelcliConvert, FailuresSayWhyAndLeaveNoOutput)
{
    kt::TempDir dir;
    const std::string garbage = dir.file("g.pcx"), out = dir.file("out.pcx"), kept = dir.file("kept.jpg");
    ASSERT_TRUE(kt::writeFile(garbage, std::vector<uint8_t>(2000, 0x77)));
    ASSERT_TRUE(kt::writeFile(kept, {1, 2, 3}));
    struct Case {
        std::string arguments;
        std::string message;
        std::string output;
    } cases[] = {
        {"convert " + quoted(garbage) + " " + quoted(out), "kelcli: Unrecognized or invalid file:" + garbage + "!\r\n",
         out},
        {"convert " + quoted(dir.file("none.pcx")) + " " + quoted(out), "kelcli: cannot open " + dir.file("none.pcx") + "\r\n",
         out},
        {"convert " + quoted(kt::fixture("pcx\\nb_packed4.pcx")) + " " + quoted(kept),
         "kelcli: JPEG compression cannot handle images less than 8 bits per pixel!\r\n", kept},
        {"convert " + quoted(kt::fixture("pcx\\nb_8bit.pcx")) + " " + quoted(dir.file("x.wpg")),
         "kelcli: writing WordPerfect Graphics WPG files is not available\r\n", dir.file("x.wpg")},
        {"convert a.pcx b.pcx --quality 0", "kelcli: --quality takes 1 to 100\r\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::string err;
        EXPECT_EQ(kelcli(c.arguments, nullptr, &err), 2);
        EXPECT_EQ(err, c.message);
        if (c.output == kept) {
            EXPECT_EQ(kt::readFile(kept), (std::vector<uint8_t>{1, 2, 3}));
        } else if (!c.output.empty()) {
            EXPECT_EQ(GetFileAttributesA(c.output.c_str()), INVALID_FILE_ATTRIBUTES);
        }
    }
}

// Targa and IFF in and out: information, and conversions that keep every pixel.
TEST(KelcliConvert, ReadsAndWritesTargaAndIff)
{
    std::string out;
    ASSERT_EQ(kelcli("info " + quoted(kt::fixture("io\\nb_cmap_rle.tga")), &out), 0);
    EXPECT_NE(out.find("\"format\": \"TGA-9\", \"width\": 37, \"height\": 23, \"bits\": 8"), std::string::npos) << out;
    EXPECT_NE(out.find("TARGA type 9 - RLE encoded,color-mapped"), std::string::npos) << out;
    ASSERT_EQ(kelcli("info " + quoted(kt::fixture("io\\nb_c16.iff")), &out), 0);
    EXPECT_NE(out.find("\"format\": \"IFF\", \"width\": 37, \"height\": 23, \"bits\": 8"), std::string::npos) << out;
    EXPECT_NE(out.find("Number of planes = 4"), std::string::npos) << out;

    kt::TempDir dir;
    const std::string tga = dir.file("a.tga"), lbm = dir.file("a.lbm");
    ASSERT_EQ(kelcli("convert " + quoted(kt::fixture("io\\nb_rgb.tga")) + " " + quoted(lbm)), 0);
    ASSERT_EQ(kelcli("convert " + quoted(lbm) + " " + quoted(tga)), 0);
    EXPECT_EQ(kt::firstDifference(reference("io\\nb_rgb.ref.ppm"), readBack(dir, tga)), "");
    ASSERT_EQ(kelcli("convert " + quoted(kt::fixture("io\\nb_ham8.iff")) + " " + quoted(tga)), 0);
    EXPECT_EQ(kt::firstDifference(reference("io\\nb_ham8.ref.ppm"), readBack(dir, tga)), "");
}

// Sun raster, SGI, XPM, XBM and ICS files in; SGI out, compressed or not, colour or grey.
TEST(KelcliConvert, ReadsTheXAndScientificFormatsAndWritesSgi)
{
    std::string out;
    ASSERT_EQ(kelcli("info " + quoted(kt::fixture("sgi\\nb_rgb_rle.sgi")), &out), 0);
    EXPECT_NE(out.find("\"format\": \"RGB\", \"width\": 37, \"height\": 23, \"bits\": 24, \"colors\": 256"),
              std::string::npos)
        << out;
    ASSERT_EQ(kelcli("info " + quoted(kt::fixture("xpm\\nb_bits.xbm")), &out), 0);
    EXPECT_NE(out.find("\"format\": \"XBM\", \"width\": 37, \"height\": 23, \"bits\": 1, \"colors\": 2"),
              std::string::npos)
        << out;

    kt::TempDir dir;
    struct Case {
        const char* in;
        const char* ref;
    } cases[] = {{"ras\\nb_24bit.ras", "ras\\nb_24bit.ref.ppm"},
                 {"xpm\\nb_c200.xpm", "xpm\\nb_c200.ref.ppm"},
                 {"sgi\\im_rgba_rle.sgi", "sgi\\im_rgba_rle.ref.ppm"}};
    for (const Case& c : cases) {
        for (const char* options : {"", " --uncompressed"}) {
            SCOPED_TRACE(std::string(c.in) + options);
            const std::string sgi = dir.file("a.sgi");
            ASSERT_EQ(kelcli("convert " + quoted(kt::fixture(c.in)) + " " + quoted(sgi) + options), 0);
            EXPECT_EQ(kt::readFile(sgi)[2], options[0] ? 0 : 1);
            EXPECT_EQ(kt::firstDifference(reference(c.ref), readBack(dir, sgi)), "");
        }
    }
    const std::string grey = dir.file("g.sgi");
    ASSERT_EQ(kelcli("convert " + quoted(kt::fixture("xpm\\nb_bits.xbm")) + " " + quoted(grey) + " --bw"), 0);
    EXPECT_EQ(kt::readFile(grey)[11], 1) << "one channel";
    EXPECT_EQ(kt::firstDifference(reference("xpm\\nb_bits.ref.ppm"), readBack(dir, grey)), "");
}
