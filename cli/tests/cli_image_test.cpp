// kelcli quantize / dither, run as a separate process on BMP files written here.
#include "bmp_file.h"
#include "test_dibs.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <string>

using tdib::Colour;
using Rows = std::vector<std::vector<int>>;

namespace {

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

void writeBmp(const std::string& path, HGLOBAL dib)
{
    kel::GlobalMem owned(dib);
    std::string error;
    ASSERT_TRUE(pipeline::writeBmpFile(path.c_str(), owned.get(), &error)) << error;
}

// Reads a result file back; empty result (width 0) when it cannot be read.
tdib::Result readBmp(const std::string& path)
{
    std::string error;
    kel::GlobalMem dib(pipeline::readBmpFile(path.c_str(), &error));
    if (!dib) {
        ADD_FAILURE() << path << ": " << error;
        return {};
    }
    return tdib::read(dib.get());
}

int run(const std::string& arguments, std::string* err = nullptr)
{
    std::string out, error;
    const int code = kt::runProgram("kelcli.exe", arguments, &out, &error);
    if (err)
        *err = error;
    else
        EXPECT_EQ("", error);
    return code;
}

TEST(CliImage, QuantizeByMedianCutMapsToTheNearestColour)
{
    // Cells red 1 (x2), 3 (x1), 15 (x5): two colours, red 32 (mean of the first two cells)
    // and red 240; red 16 and 48 are nearer to 32, red 240 is the second colour.
    kt::TempDir dir;
    const Colour a{0x10, 0, 0}, b{0x30, 0, 0}, c{0xF0, 0, 0};
    writeBmp(dir.file("in.bmp"), tdib::make24({{c, a, c, b, c, a, c, c}}));
    ASSERT_EQ(0, run("quantize " + quoted(dir.file("in.bmp")) + " " + quoted(dir.file("out.bmp")) + " --colors 2"));
    auto r = readBmp(dir.file("out.bmp"));
    EXPECT_EQ(8, r.header.biBitCount);
    ASSERT_EQ(2u, r.table.size());
    EXPECT_TRUE(r.table[0].rgbRed == 32 && r.table[0].rgbGreen == 0 && r.table[0].rgbBlue == 0);
    EXPECT_TRUE(r.table[1].rgbRed == 240 && r.table[1].rgbGreen == 0 && r.table[1].rgbBlue == 0);
    EXPECT_EQ((Rows{{1, 0, 1, 0, 1, 0, 1, 1}}), r.indices);
}

TEST(CliImage, QuantizeTwoPass)
{
    kt::TempDir dir;
    const Colour p{10, 200, 30}, q{250, 0, 0}, s{14, 205, 31};
    writeBmp(dir.file("in.bmp"), tdib::make24({{p, q}, {q, s}}));
    ASSERT_EQ(0, run("quantize " + quoted(dir.file("in.bmp")) + " " + quoted(dir.file("out.bmp")) +
                     " --method twopass"));
    auto r = readBmp(dir.file("out.bmp"));
    EXPECT_EQ(2u, r.header.biClrImportant);
    EXPECT_TRUE(r.table[0].rgbRed == 12 && r.table[0].rgbGreen == 204 && r.table[0].rgbBlue == 28);
    EXPECT_TRUE(r.table[1].rgbRed == 252 && r.table[1].rgbGreen == 4 && r.table[1].rgbBlue == 4);
    EXPECT_EQ((Rows{{0, 1}, {1, 0}}), r.indices);
}

TEST(CliImage, DitherToBlackAndWhite)
{
    kt::TempDir dir;
    writeBmp(dir.file("grey.bmp"), tdib::makeIndexed(8, {{128, 128, 128}}, {{0, 0, 0, 0}, {0, 0, 0, 0}}));
    ASSERT_EQ(0, run("dither " + quoted(dir.file("grey.bmp")) + " " + quoted(dir.file("bw.bmp")) + " --mono"));
    auto r = readBmp(dir.file("bw.bmp"));
    EXPECT_EQ(1, r.header.biBitCount);
    EXPECT_EQ((Rows{{0, 1, 0, 1}, {1, 0, 1, 0}}), r.indices);
}

TEST(CliImage, DitherOntoAPaletteFile)
{
    // White maps to cyan with an error of 255 in red, spread over the reds 0-60.
    kt::TempDir dir;
    std::vector<Colour> palette;
    for (int i = 0; i <= 60; ++i)
        palette.push_back({uint8_t(i), 0, 0});
    palette.push_back({0, 255, 255});
    writeBmp(dir.file("pal.bmp"), tdib::makeIndexed(8, palette, {{0}}));
    const Colour k{0, 0, 0}, a{255, 255, 255};
    writeBmp(dir.file("in.bmp"), tdib::make24({{k, k, k, k, a, k, k}, {k, k, k, k, k, k, k}, {k, k, k, k, k, k, k}}));
    ASSERT_EQ(0, run("dither " + quoted(dir.file("in.bmp")) + " " + quoted(dir.file("out.bmp")) + " --palette " +
                     quoted(dir.file("pal.bmp"))));
    auto r = readBmp(dir.file("out.bmp"));
    EXPECT_EQ(62u, r.table.size());
    EXPECT_EQ((Rows{{0, 0, 24, 50, 61, 0, 0}, {0, 0, 12, 24, 49, 24, 12}, {0, 0, 6, 12, 24, 12, 6}}), r.indices);

    // An image that already uses exactly the palette comes out as it went in.
    writeBmp(dir.file("same.bmp"), tdib::makeIndexed(8, palette, {{3, 61, 0}}));
    ASSERT_EQ(0, run("dither " + quoted(dir.file("same.bmp")) + " " + quoted(dir.file("same-out.bmp")) +
                     " --palette " + quoted(dir.file("pal.bmp"))));
    EXPECT_EQ(kt::readFile(dir.file("same.bmp")), kt::readFile(dir.file("same-out.bmp")));
}

TEST(CliImage, FailuresPrintOneLineAndLeaveNoOutput)
{
    kt::TempDir dir;
    const std::string in = quoted(dir.file("in.bmp")), eight = quoted(dir.file("eight.bmp")),
                      out = quoted(dir.file("out.bmp")), junk = quoted(dir.file("junk.bmp"));
    writeBmp(dir.file("in.bmp"), tdib::make24({{{1, 2, 3}, {4, 5, 6}}}));
    writeBmp(dir.file("eight.bmp"), tdib::makeIndexed(8, {{1, 2, 3}}, {{0, 0}}));
    ASSERT_TRUE(kt::writeFile(dir.file("junk.bmp"), {'B', 'M', 1, 2, 3}));
    const struct {
        std::string arguments, error;
    } cases[] = {
        {"quantize " + quoted(dir.file("missing.bmp")) + " " + out, "cannot read"},
        {"quantize " + junk + " " + out, "cannot read"},
        {"quantize " + eight + " " + out, "is not a 24-bit image"},
        {"quantize " + in + " " + out + " --colors 0", "--colors takes a number from 1 to 256"},
        {"quantize " + in + " " + out + " --colors 257", "--colors takes a number from 1 to 256"},
        {"quantize " + in + " " + out + " --colors", "usage: kelcli quantize"},
        {"quantize " + in + " " + out + " --method octree", "usage: kelcli quantize"},
        {"quantize " + in + " " + out + " --method twopass --colors 16", "always makes up to 256 colors"},
        {"quantize " + in, "usage: kelcli quantize"},
        {"dither " + in + " " + out, "usage: kelcli dither"},
        {"dither " + in + " " + out + " --palette", "usage: kelcli dither"},
        {"dither " + in + " " + out + " --palette " + in, "has no color table"},
        {"dither " + in + " " + out + " --palette " + junk, "cannot read"},
        {"dither " + junk + " " + out + " --mono", "cannot read"},
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(2, run(c.arguments, &err)) << c.arguments;
        EXPECT_EQ(0u, err.rfind("kelcli: ", 0)) << c.arguments << ": " << err;
        EXPECT_NE(std::string::npos, err.find(c.error)) << c.arguments << ": " << err;
        EXPECT_EQ(err.size() - 1, err.find('\n')) << "one line: " << err;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.file("out.bmp").c_str())) << c.arguments;
    }
}

} // namespace
