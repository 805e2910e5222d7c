// kelcli transform, run as a separate process on BMP files written here.
#include "bmp_file.h"
#include "reference_image.h"
#include "test_dibs.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using tdib::Colour;
using tdib::flip;
using Rows = std::vector<std::vector<int>>;
using Pixels = std::vector<std::vector<Colour>>;

namespace {

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

void writeBmp(const std::string& path, HGLOBAL dib)
{
    kel::GlobalMem owned(dib);
    std::string error;
    ASSERT_TRUE(pipeline::writeBmpFile(path.c_str(), owned.get(), &error)) << error;
}

kel::GlobalMem readBmp(const std::string& path)
{
    std::string error;
    kel::GlobalMem dib(pipeline::readBmpFile(path.c_str(), &error));
    EXPECT_TRUE(dib) << path << ": " << error;
    return dib;
}

struct Outcome {
    int code;
    std::string err;
};

Outcome transform(const kt::TempDir& dir, const std::string& ops, const std::string& in = "in.bmp")
{
    Outcome r;
    std::string out;
    r.code = kt::runProgram("kelcli.exe",
                            "transform " + quoted(dir.file(in)) + " " + quoted(dir.file("out.bmp")) + " " + ops, &out,
                            &r.err);
    return r;
}

const Colour R{255, 0, 0}, G{0, 255, 0}, B{0, 0, 255}, W{255, 255, 255}, K{0, 0, 0}, Y{255, 255, 0};

TEST(CliTransform, OperationsApplyInTheOrderGiven)
{
    // Displayed R G B / W K Y. Turned clockwise: W R / K G / Y B; then the 2 x 2 from (0, 1):
    // K G / Y B.
    kt::TempDir dir;
    writeBmp(dir.file("in.bmp"), tdib::make24(flip(Pixels{{R, G, B}, {W, K, Y}})));
    Outcome r = transform(dir, "--rotate cw --crop 0,1,2,2");
    ASSERT_EQ(0, r.code) << r.err;
    EXPECT_EQ("", r.err);
    kel::GlobalMem out = readBmp(dir.file("out.bmp"));
    EXPECT_EQ(flip(Pixels{{K, G}, {Y, B}}), tdib::read24(out.get()));

    // The other order crops first: G B / K Y, then turns counter-clockwise: B Y / G K.
    r = transform(dir, "--crop 1,0,2,2 --rotate ccw");
    ASSERT_EQ(0, r.code) << r.err;
    kel::GlobalMem other = readBmp(dir.file("out.bmp"));
    EXPECT_EQ(flip(Pixels{{B, Y}, {G, K}}), tdib::read24(other.get()));
}

TEST(CliTransform, RunLengthOutputAndInput)
{
    kt::TempDir dir;
    // 8 x 2 at 8 bits: row 0 runs of 5 and 3, row 1 all 7s.
    writeBmp(dir.file("in.bmp"), tdib::makeIndexed(8, {K, R, G, B, W, Y, K, G}, {{1, 1, 1, 1, 1, 2, 2, 2}, Rows::value_type(8, 7)}));
    Outcome r = transform(dir, "--rle8");
    ASSERT_EQ(0, r.code) << r.err;
    EXPECT_EQ("", r.err);
    const std::vector<uint8_t> file = kt::readFile(dir.file("out.bmp"));
    ASSERT_EQ(54u + 32u + 12u, file.size()) << "file header, header, 8 colours, the stream";
    EXPECT_EQ(1u, file[30]) << "compression RLE8";
    const std::vector<uint8_t> stream(file.begin() + 54 + 32, file.end()); // table of 8 entries
    EXPECT_EQ((std::vector<uint8_t>{5, 1, 3, 2, 0, 0, 8, 7, 0, 0, 0, 1}), stream);

    // An RLE file read back is expanded before it is turned.
    std::rename((dir.path() + "\\out.bmp").c_str(), (dir.path() + "\\rle.bmp").c_str());
    r = transform(dir, "--rotate half", "rle.bmp");
    ASSERT_EQ(0, r.code) << r.err;
    kel::GlobalMem turned = readBmp(dir.file("out.bmp"));
    auto got = tdib::read(turned.get());
    EXPECT_EQ(0u, got.header.biCompression);
    EXPECT_EQ((Rows{Rows::value_type(8, 7), {2, 2, 2, 1, 1, 1, 1, 1}}), got.indices);

    // 4 bits: pixel pairs.
    writeBmp(dir.file("in4.bmp"), tdib::makeIndexed(4, {K, R}, {{1, 0, 1, 0, 1, 0, 1, 0}}));
    r = transform(dir, "--rle4", "in4.bmp");
    ASSERT_EQ(0, r.code) << r.err;
    const std::vector<uint8_t> four = kt::readFile(dir.file("out.bmp"));
    EXPECT_EQ(2u, four[30]) << "compression RLE4";
    EXPECT_EQ((std::vector<uint8_t>{8, 0x10, 0, 0, 0, 1}), std::vector<uint8_t>(four.begin() + 54 + 8, four.end()));
}

TEST(CliTransform, RunLengthThatDoesNotPayIsReported)
{
    kt::TempDir dir;
    // Every byte different: the encoded form is larger (a warning), and for 4 bits larger than
    // its room (kept uncompressed, with a note).
    writeBmp(dir.file("in.bmp"), tdib::makeIndexed(8, {K, R, G, B, W, Y, K, G}, {{0, 1, 2, 3, 4, 5, 6, 7}, {7, 6, 5, 4, 3, 2, 1, 0}}));
    Outcome r = transform(dir, "--rle8");
    ASSERT_EQ(0, r.code) << r.err;
    EXPECT_EQ(0u, r.err.find("kelcli: The file would be smaller if RLE wasn't used!")) << r.err;
    EXPECT_EQ(1u, kt::readFile(dir.file("out.bmp"))[30]);

    writeBmp(dir.file("in4.bmp"), tdib::makeIndexed(4, {K, R}, Rows(4, {1, 2, 3, 4, 5, 6, 7, 8})));
    r = transform(dir, "--rle4", "in4.bmp");
    ASSERT_EQ(0, r.code) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("does not fit")) << r.err;
    EXPECT_EQ(0u, kt::readFile(dir.file("out.bmp"))[30]);
}

TEST(CliTransform, FilterMakesTrueColour)
{
    kt::TempDir dir;
    writeBmp(dir.file("in.bmp"), tdib::makeIndexed(8, {{10, 20, 30}, {1, 2, 3}}, {{0, 1, 1}}));
    // The pixel plus its left neighbour, divided by 1, plus 5.
    std::string kernel;
    for (int i = 0; i < 25; ++i)
        kernel += (i == 11 || i == 12) ? "1," : "0,";
    Outcome r = transform(dir, "--filter " + kernel + "1,5");
    ASSERT_EQ(0, r.code) << r.err;
    kel::GlobalMem out = readBmp(dir.file("out.bmp"));
    EXPECT_EQ((Pixels{{{15, 25, 35}, {16, 27, 38}, {7, 9, 11}}}), tdib::read24(out.get()));
}

TEST(CliTransform, SampleRunLengthFileTurnsLikeItsReference)
{
    const std::string sample = kt::testData("bmp/bmpsuite_pal8rle.bmp");
    if (sample.empty())
        GTEST_SKIP() << "sample set not available";
    kt::TempDir dir;
    kt::writeFile(dir.file("in.bmp"), kt::readFile(sample));
    Outcome r = transform(dir, "--rotate half");
    ASSERT_EQ(0, r.code) << r.err;
    kt::RgbImage ref, got, want;
    ASSERT_TRUE(kt::readNetpbm(kt::testData("bmp/ref/bmpsuite_pal8rle.bmp.ref.pam"), &ref));
    kel::GlobalMem out = readBmp(dir.file("out.bmp"));
    ASSERT_TRUE(kt::dibToRgb(out.get(), &got));
    want = ref;
    for (int y = 0; y < ref.height; ++y)
        for (int x = 0; x < ref.width; ++x)
            want.pixels[size_t(y) * ref.width + x] = ref.at(ref.width - 1 - x, ref.height - 1 - y);
    EXPECT_EQ("", kt::firstDifference(want, got));
}

TEST(CliTransform, RefusesWhatItCannotDo)
{
    kt::TempDir dir;
    writeBmp(dir.file("in.bmp"), tdib::make24({{R, G}}));
    struct Case {
        const char* ops;
        const char* message;
    } cases[] = {
        {"--rotate left", "--rotate takes cw, half or ccw"},
        {"--crop 1,2,3", "--crop takes X,Y,W,H"},
        {"--crop 0,0,0,1", "--crop takes X,Y,W,H"},
        {"--filter 1,2,3", "--filter takes 25 weights"},
        {"--mirror", "unknown operation --mirror"},
        {"--rotate", "--rotate needs a value"},
        {"--rle8", "--rle8 needs an 8-bit image"},
        {"--rle4", "--rle4 needs a 4-bit image"},
    };
    for (const Case& c : cases) {
        Outcome r = transform(dir, c.ops);
        EXPECT_EQ(2, r.code) << c.ops;
        EXPECT_NE(std::string::npos, r.err.find(c.message)) << c.ops << ": " << r.err;
    }
    Outcome missing = transform(dir, "--rotate cw", "none.bmp");
    EXPECT_EQ(2, missing.code);
    EXPECT_NE(std::string::npos, missing.err.find("cannot read")) << missing.err;
}

} // namespace
