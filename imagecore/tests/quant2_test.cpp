// The two-pass quantizer and its error diffusion, on images worked out by hand.
#include "keldll.h"
#include "test_dibs.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <string>

using tdib::Colour;
using tdib::Rows;
using tdib::show;

namespace {

class Quant2Test : public ::testing::Test {
protected:
    void SetUp() override { InitKelDll(&kt::testApp()); }
};

TEST_F(Quant2Test, BoxesAndMappingOfASmallImage)
{
    // P and S share the cell (blue 3, green 25, red 1); Q lies in (0, 0, 31). The one box spans
    // blue 0-3, green 0-25, red 1-31 after shrinking; red is the widest axis, cut at 16: each
    // half shrinks to one cell and nothing is left to split. Colours are the cell centres.
    const Colour p{10, 200, 30}, q{250, 0, 0}, s{14, 205, 31};
    kel::GlobalMem dib(tdib::make24({{p, q}, {q, s}}));
    PALETTEENTRY out[256] = {};
    WORD count = 0;
    kel::GlobalMem image(quant2(&count, out, dib.get(), 1));
    ASSERT_NE(dib.get(), image.get()) << "a new image was made";
    ASSERT_EQ(2, count);
    EXPECT_TRUE(out[0].peRed == 12 && out[0].peGreen == 204 && out[0].peBlue == 28 && out[0].peFlags == 0);
    EXPECT_TRUE(out[1].peRed == 252 && out[1].peGreen == 4 && out[1].peBlue == 4 && out[1].peFlags == 0);

    auto r = tdib::read(image.get());
    EXPECT_EQ(8, r.header.biBitCount);
    EXPECT_EQ(256u, r.header.biClrUsed);
    EXPECT_EQ(2u, r.header.biClrImportant);
    EXPECT_EQ(8u, r.header.biSizeImage);
    EXPECT_EQ(28, r.table[0].rgbBlue);
    EXPECT_EQ(12, r.table[0].rgbRed);
    EXPECT_EQ(252, r.table[1].rgbRed);
    EXPECT_EQ(0, r.table[2].rgbRed | r.table[255].rgbGreen);
    // Every pixel is near enough to its own box's colour that the diffused error (a few units)
    // never moves it to the other one.
    EXPECT_EQ((Rows{{0, 1}, {1, 0}}), r.indices) << show(r.indices);

    // Without the flag only the palette is made and the same handle comes back.
    count = 0;
    EXPECT_EQ(dib.get(), quant2(&count, out, dib.get(), 0));
    EXPECT_EQ(2, count);
}

TEST_F(Quant2Test, ErrorDiffusionOfAFlatGrey)
{
    // Grey 100 on black and white. Inverse map: grey cells up to 15 (centre 124) are black,
    // from 16 (centre 132) white. Bottom row left to right, then right to left; errors in
    // sixteenths, rounded by (sum + 8) >> 4 (towards minus infinity):
    //   row 0: x0 100 -> black, e 100: +700 to x1, +500/+100 below x0/x1.
    //          x1 100 + 44 = 144 -> white, e -111: -777 to x2, -333/-555/-111 below x0/x1/x2.
    //          x2 100 + ((-777 + 8) >> 4 = -49) = 51 -> black, e 51: +153/+255 below x1/x2.
    //   below: x0 167, x1 -302, x2 144.
    //   row 1: x2 100 + 9 = 109 -> black, e 109: +763 to x1.
    //          x1 100 + ((461 + 8) >> 4 = 29) = 129 -> white, e -126: -882 to x0.
    //          x0 100 + ((-715 + 8) >> 4 = -45) = 55 -> black.
    const Colour g{100, 100, 100};
    kel::GlobalMem dib(tdib::make24({{g, g, g}, {g, g, g}}));
    kel::GdiObject<HPALETTE> bw(tdib::makePalette({{0, 0, 0}, {255, 255, 255}}));
    kel::GlobalMem image(q2dither(dib.get(), bw.get()));
    ASSERT_TRUE(image);
    auto r = tdib::read(image.get());
    EXPECT_EQ((Rows{{0, 1, 0}, {0, 1, 0}}), r.indices) << show(r.indices);
    EXPECT_EQ(256u, r.header.biClrUsed);
    EXPECT_EQ(2u, r.header.biClrImportant);
    EXPECT_EQ(255, r.table[1].rgbBlue);
    EXPECT_EQ(0, r.table[1].rgbReserved);
}

TEST_F(Quant2Test, ColourAtACellCentrePassesNoError)
{
    // (100, 60, 204) lies at the centre of its cell on every axis and is palette entry 2: every
    // pixel maps to it exactly and no error is passed on.
    const Colour c{100, 60, 204};
    kel::GlobalMem dib(tdib::make24({{c, c, c, c}, {c, c, c, c}, {c, c, c, c}}));
    kel::GdiObject<HPALETTE> pal(tdib::makePalette({{0, 0, 0}, {255, 255, 255}, {100, 60, 204}, {96, 56, 200}}));
    kel::GlobalMem image(q2dither(dib.get(), pal.get()));
    ASSERT_TRUE(image);
    auto r = tdib::read(image.get());
    EXPECT_EQ((Rows{{2, 2, 2, 2}, {2, 2, 2, 2}, {2, 2, 2, 2}}), r.indices) << show(r.indices);
    EXPECT_EQ(4u, r.header.biClrImportant);
}

TEST_F(Quant2Test, NearestIsJudgedAtTheCellCentre)
{
    // Grey 6 lies in cell 0 (centre 4): black (distance 3 x 16) beats grey 10 (3 x 36) there,
    // although grey 10 is nearer to 6 itself.
    kel::GlobalMem dib(tdib::make24({{{6, 6, 6}}}));
    kel::GdiObject<HPALETTE> pal(tdib::makePalette({{10, 10, 10}, {0, 0, 0}}));
    kel::GlobalMem image(q2dither(dib.get(), pal.get()));
    ASSERT_TRUE(image);
    EXPECT_EQ((Rows{{1}}), tdib::read(image.get()).indices);
}

TEST_F(Quant2Test, ManyColoursGiveAFullPaletteAndValidIndices)
{
    // 32 x 32 pixels over 1024 distinct cells: the cut goes on to 256 boxes.
    std::vector<std::vector<Colour>> rows(32, std::vector<Colour>(32));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            rows[size_t(y)][size_t(x)] = {uint8_t(8 * x), uint8_t(8 * y), uint8_t(8 * ((x + y) % 32))};
    kel::GlobalMem dib(tdib::make24(rows));
    PALETTEENTRY out[256];
    WORD count = 0;
    kel::GlobalMem image(quant2(&count, out, dib.get(), 1));
    ASSERT_NE(dib.get(), image.get());
    EXPECT_EQ(256, count);
    // Weighted means of cell centres 8k + 4 stay within 4 to 252.
    for (int i = 0; i < 256; ++i)
        for (int v : {out[i].peRed, out[i].peGreen, out[i].peBlue})
            ASSERT_TRUE(v >= 4 && v <= 252) << "entry " << i << " channel " << v;
    auto r = tdib::read(image.get());
    EXPECT_EQ(256u, r.header.biClrImportant);
    for (int i = 0; i < 256; ++i)
        EXPECT_TRUE(r.table[size_t(i)].rgbRed == out[i].peRed && r.table[size_t(i)].rgbBlue == out[i].peBlue) << i;
}

TEST_F(Quant2Test, RefusalsAndNulls)
{
    kel::GlobalMem eight(tdib::makeIndexed(8, {{1, 2, 3}}, {{0}}));
    PALETTEENTRY out[256];
    WORD count = 7;
    EXPECT_EQ(eight.get(), quant2(&count, out, eight.get(), 1)) << "only true-colour images";
    EXPECT_EQ(0, count);
    kel::GdiObject<HPALETTE> bw(tdib::makePalette({{0, 0, 0}, {255, 255, 255}}));
    EXPECT_EQ(nullptr, q2dither(eight.get(), bw.get()));
    EXPECT_EQ(nullptr, q2dither(nullptr, bw.get()));
    kel::GlobalMem dib(tdib::make24({{{1, 2, 3}}}));
    EXPECT_EQ(nullptr, q2dither(dib.get(), nullptr));
}

} // namespace
