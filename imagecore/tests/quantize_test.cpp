// Median cut on 4-bit cells: palettes worked out by hand from the splitting rules.
#include "keldll.h"
#include "test_dibs.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using tdib::Colour;

namespace {

std::string show(const std::vector<Colour>& colours)
{
    std::string s;
    for (const Colour& c : colours)
        s += "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ") ";
    return s;
}

// Runs quantize on a one-row image; returns the colours made (empty on failure).
std::vector<Colour> run(const std::vector<Colour>& row, int wanted)
{
    kel::GlobalMem dib(tdib::make24({row}));
    PALETTEENTRY out[256] = {};
    WORD count = WORD(wanted);
    if (!quantize(&count, out, dib.get()))
        return {};
    std::vector<Colour> made;
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(0, out[i].peFlags);
        made.push_back({out[i].peRed, out[i].peGreen, out[i].peBlue});
    }
    return made;
}

TEST(Quantize, SplitsInTheDocumentedOrder)
{
    // Cells (by top four bits): c1 blue 2, c2 blue 10, c3 green 5, c4 green 9, one pixel each;
    // the low four bits of every channel are ignored.
    const Colour c1{0x0F, 0x07, 0x2C}, c2{0x00, 0x03, 0xA9}, c3{0x01, 0x5E, 0x0A}, c4{0x0B, 0x90, 0x00};
    const std::vector<Colour> image = {c1, c2, c3, c4};
    // Split 1: box 0 on blue (all extents 255, blue first); sorted c3, c4, c1, c2, lower part
    // {c3, c4} (2 of 4 pixels), the new box 1 takes {c1, c2}.
    // Split 2: box 0 has the widest extent (green 255, first): {c3} stays, box 2 takes {c4}.
    // Split 3: only box 1 has two cells; green (255, before red): {c1} stays, box 3 takes {c2}.
    const struct {
        int wanted;
        std::vector<Colour> want;
    } cases[] = {
        {1, {{0, 56, 48}}},                  // green 16 (5 + 9) / 4, blue 16 (2 + 10) / 4
        {2, {{0, 112, 0}, {0, 0, 96}}},
        {3, {{0, 80, 0}, {0, 0, 96}, {0, 144, 0}}},
        {4, {{0, 80, 0}, {0, 0, 32}, {0, 144, 0}, {0, 0, 160}}},
        {256, {{0, 80, 0}, {0, 0, 32}, {0, 144, 0}, {0, 0, 160}}},
    };
    for (const auto& c : cases) {
        const auto got = run(image, c.wanted);
        EXPECT_EQ(c.want, got) << "wanted " << c.wanted << ": want " << show(c.want) << "got " << show(got);
    }
}

TEST(Quantize, ColourIsTheMeanOverCellsNotPixels)
{
    // 2 pixels of red 0x10, 1 of 0x30, 5 of 0xF0. Half of 8 is 4: the lower part takes the
    // first two cells (2 + 1 <= 4), the mean of their cells is red 32 whatever their counts.
    const Colour a{0x10, 0, 0}, b{0x30, 0, 0}, c{0xF0, 0, 0};
    const auto got = run({c, a, c, b, c, a, c, c}, 2);
    const std::vector<Colour> want = {{32, 0, 0}, {240, 0, 0}};
    EXPECT_EQ(want, got) << show(got);
}

TEST(Quantize, DistinctCellsComeBackExactly)
{
    const std::vector<Colour> five = {{0x12, 0x34, 0x56}, {0xFF, 0x00, 0x80}, {0x00, 0xF1, 0x20},
                                      {0x7A, 0x7B, 0x7C}, {0xC5, 0x25, 0xE9}};
    auto got = run(five, 256);
    std::vector<Colour> want;
    for (const Colour& c : five)
        want.push_back({uint8_t(c.r & 0xF0), uint8_t(c.g & 0xF0), uint8_t(c.b & 0xF0)});
    auto order = [](const Colour& x, const Colour& y) { return std::tie(x.r, x.g, x.b) < std::tie(y.r, y.g, y.b); };
    std::sort(got.begin(), got.end(), order);
    std::sort(want.begin(), want.end(), order);
    EXPECT_EQ(want, got) << show(got);

    const auto one = run({{0x9E, 0x41, 0x07}, {0x9E, 0x41, 0x07}}, 256);
    EXPECT_EQ((std::vector<Colour>{{0x90, 0x40, 0x00}}), one) << show(one);
}

TEST(Quantize, RefusesWhatIsNotTrueColour)
{
    kel::GlobalMem eight(tdib::makeIndexed(8, {{1, 2, 3}}, {{0, 0}}));
    PALETTEENTRY out[256];
    WORD count = 256;
    EXPECT_EQ(0, quantize(&count, out, eight.get()));
    EXPECT_EQ(0, quantize(&count, out, nullptr));
}

} // namespace
