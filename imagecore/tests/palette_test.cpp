// Logical palettes from colour tables, palette copies, colour tables replaced from palettes,
// and the fixed palettes.
#include "keldll.h"
#include "test_dibs.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <string>

using tdib::Colour;

namespace {

class PaletteTest : public ::testing::Test {
protected:
    void SetUp() override { InitKelDll(&kt::testApp()); }
};

std::string text(const PALETTEENTRY& e)
{
    return "(" + std::to_string(e.peRed) + "," + std::to_string(e.peGreen) + "," + std::to_string(e.peBlue) +
           " flags " + std::to_string(e.peFlags) + ")";
}

void expectEntry(const PALETTEENTRY& got, int r, int g, int b, int flags, const std::string& where)
{
    EXPECT_TRUE(got.peRed == r && got.peGreen == g && got.peBlue == b && got.peFlags == flags)
        << where << ": got " << text(got) << ", want (" << r << "," << g << "," << b << " flags " << flags << ")";
}

TEST_F(PaletteTest, CountAndFlagChangingCopies)
{
    EXPECT_EQ(0, ColorsInPalette(nullptr));
    EXPECT_EQ(nullptr, CopyPaletteChangingFlags(nullptr, 0));
    kel::GdiObject<HPALETTE> pal(tdib::makePalette({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, PC_RESERVED));
    ASSERT_EQ(3, ColorsInPalette(pal.get()));

    // flags argument -> flags byte of every entry of the copy (1 = the original's, kept)
    const struct {
        UINT flags;
        int want;
    } cases[] = {{255, 1}, {3, 1}, {4, 4}, {0, 0}, {2, 2}, {1, 1}, {0x104, 4}, {8, 1}};
    for (auto c : cases) {
        kel::GdiObject<HPALETTE> copy(CopyPaletteChangingFlags(pal.get(), c.flags));
        ASSERT_TRUE(copy) << c.flags;
        auto e = tdib::entries(copy.get());
        ASSERT_EQ(3u, e.size());
        for (size_t i = 0; i < 3; ++i)
            expectEntry(e[i], int(3 * i + 1), int(3 * i + 2), int(3 * i + 3), c.want, "flags " + std::to_string(c.flags));
    }
}

TEST_F(PaletteTest, PaletteFromAnIndexedDibTakesColoursUsedEntries)
{
    std::vector<Colour> table;
    for (int i = 0; i < 17; ++i)
        table.push_back({uint8_t(i), uint8_t(100 + i), uint8_t(200 + i)});
    kel::GlobalMem dib(tdib::makeIndexed(8, table, {{0, 16}}));
    kel::GdiObject<HPALETTE> pal(CreateDIBPalette(dib.get()));
    auto e = tdib::entries(pal.get());
    ASSERT_EQ(17u, e.size());
    expectEntry(e[0], 0, 100, 200, 0, "entry 0");
    expectEntry(e[16], 16, 116, 216, 0, "entry 16");
}

TEST_F(PaletteTest, PaletteFromACoreHeaderReadsThreeByteEntries)
{
    // 4-bit core header: 16 entries of blue, green, red.
    std::vector<BYTE> block(12 + 48 + 4);
    BITMAPCOREHEADER bc{12, 1, 1, 1, 4};
    std::memcpy(block.data(), &bc, 12);
    for (int i = 0; i < 16; ++i) {
        block[size_t(12 + 3 * i)] = BYTE(i);          // blue
        block[size_t(12 + 3 * i + 1)] = BYTE(2 * i);  // green
        block[size_t(12 + 3 * i + 2)] = BYTE(3 * i);  // red
    }
    kel::GdiObject<HPALETTE> pal(CreateBIPalette(block.data()));
    auto e = tdib::entries(pal.get());
    ASSERT_EQ(16u, e.size());
    expectEntry(e[5], 15, 10, 5, 0, "entry 5");
    expectEntry(e[15], 45, 30, 15, 0, "entry 15");
}

TEST_F(PaletteTest, TrueColourWithoutTableGetsTheLevelPalette)
{
    // Both a 24-bit header with colours used 0 and one claiming 16777216 (empty table).
    for (DWORD used : {0u, 16777216u}) {
        BITMAPINFOHEADER bi{40, 1, 1, 1, 24, BI_RGB, 4, 0, 0, used, 0};
        kel::GdiObject<HPALETTE> pal(CreateBIPalette(&bi));
        auto e = tdib::entries(pal.get());
        ASSERT_EQ(256u, e.size()) << used;
        expectEntry(e[0], 0, 0, 0, 0, "entry 0");
        expectEntry(e[9], 32, 32, 0, 0, "entry 9");
        expectEntry(e[64 + 8 * 3 + 5], 160, 96, 64, 0, "entry 93");
        expectEntry(e[255], 224, 224, 192, 0, "entry 255");
    }
}

TEST_F(PaletteTest, SixteenBitsWithoutTableGetTheStockPalette)
{
    BITMAPINFOHEADER bi{40, 1, 1, 1, 16, BI_RGB, 4, 0, 0, 0, 0};
    kel::GdiObject<HPALETTE> pal(CreateBIPalette(&bi));
    auto got = tdib::entries(pal.get());
    auto stock = tdib::entries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
    ASSERT_EQ(stock.size(), got.size());
    for (size_t i = 0; i < got.size(); ++i)
        expectEntry(got[i], stock[i].peRed, stock[i].peGreen, stock[i].peBlue, stock[i].peFlags, "stock entry");
}

TEST_F(PaletteTest, ThirtySixByteHeaderTableFollowsItsOwnHeader)
{
    // The 36-byte header's colours-used field is not consulted: 8 bits give 256 entries.
    std::vector<BYTE> block(36 + 1024 + 4);
    BITMAPINFOHEADER bi{36, 1, 1, 1, 8, BI_RGB, 4, 0, 0, 5, 0};
    std::memcpy(block.data(), &bi, 36);
    block[36 + 4 * 7] = 9;      // blue of entry 7
    block[36 + 4 * 7 + 2] = 77; // red of entry 7
    kel::GdiObject<HPALETTE> pal(CreateBIPalette(block.data()));
    auto e = tdib::entries(pal.get());
    ASSERT_EQ(256u, e.size());
    expectEntry(e[7], 77, 0, 9, 0, "entry 7");
}

// An 8-bit 3 x 2 DIB with a 4-entry table and known pixels.
HGLOBAL fourColourDib()
{
    return tdib::makeIndexed(8, {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {1, 2, 3}}, {{0, 1, 2}, {3, 2, 1}});
}

std::vector<int> pixelsOf(HGLOBAL dib)
{
    auto r = tdib::read(dib);
    std::vector<int> all;
    for (auto& row : r.indices)
        all.insert(all.end(), row.begin(), row.end());
    return all;
}

TEST_F(PaletteTest, RationalizeGivesATrueColourDibATable)
{
    HGLOBAL dib = tdib::make24({{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {{10, 11, 12}, {13, 14, 15}, {16, 17, 18}}});
    std::vector<BYTE> before;
    {
        kel::GlobalLocked<BYTE> p(dib);
        before.assign(p.get() + 40, p.get() + 40 + 12 * 2);
    }
    std::vector<BYTE> record(sizeof(LOGPALETTE) + 4 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(record.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 4;
    for (int i = 0; i < 4; ++i)
        lp->palPalEntry[i] = PALETTEENTRY{BYTE(i), BYTE(10 * i), BYTE(20 * i), PC_NOCOLLAPSE};
    kel::GlobalMem result(RationalizePalette(dib, lp, nullptr));
    ASSERT_TRUE(result);
    kel::GlobalLocked<BYTE> p(result.get());
    auto* bi = reinterpret_cast<BITMAPINFOHEADER*>(p.get());
    EXPECT_EQ(4u, bi->biClrUsed);
    EXPECT_EQ(24, bi->biBitCount);
    const auto* table = reinterpret_cast<RGBQUAD*>(p.get() + 40);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(BYTE(20 * i), table[i].rgbBlue) << i;
        EXPECT_EQ(BYTE(10 * i), table[i].rgbGreen) << i;
        EXPECT_EQ(BYTE(i), table[i].rgbRed) << i;
        EXPECT_EQ(0, table[i].rgbReserved) << i;
    }
    EXPECT_EQ(p.get() + 40 + 16, FindDIBBits(p.get()));
    EXPECT_EQ(0, std::memcmp(before.data(), p.get() + 56, before.size())) << "pixels moved behind the table";
}

TEST_F(PaletteTest, RationalizeWithAShorterTableMovesThePixelsBack)
{
    kel::GlobalMem dib(fourColourDib());
    const auto pixels = pixelsOf(dib.get());
    std::vector<BYTE> record(sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(record.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 2;
    lp->palPalEntry[0] = PALETTEENTRY{5, 6, 7, 0};
    lp->palPalEntry[1] = PALETTEENTRY{8, 9, 10, 0};
    HGLOBAL same = RationalizePalette(dib.get(), lp, nullptr);
    ASSERT_EQ(dib.get(), same) << "no growth needed";
    auto r = tdib::read(dib.get());
    ASSERT_EQ(2u, r.table.size());
    EXPECT_EQ(7, r.table[0].rgbBlue);
    EXPECT_EQ(8, r.table[1].rgbRed);
    EXPECT_EQ(pixels, pixelsOf(dib.get()));
}

TEST_F(PaletteTest, ReplaceDibPaletteFitsTheTableOrRefuses)
{
    EXPECT_EQ(0, ReplaceDIBPalette(nullptr, nullptr));
    kel::GlobalMem dib(fourColourDib());
    const auto pixels = pixelsOf(dib.get());

    kel::GdiObject<HPALETTE> four(tdib::makePalette({{9, 9, 9}, {8, 8, 8}, {7, 7, 7}, {6, 6, 6}}));
    EXPECT_EQ(0, ReplaceDIBPalette(four.get(), nullptr));
    ASSERT_EQ(1, ReplaceDIBPalette(four.get(), dib.get()));
    auto r = tdib::read(dib.get());
    ASSERT_EQ(4u, r.table.size());
    EXPECT_EQ(7, r.table[2].rgbGreen);
    EXPECT_EQ(pixels, pixelsOf(dib.get()));

    // More entries than the table holds would run over the pixels: refused, nothing changed.
    kel::GdiObject<HPALETTE> five(tdib::makePalette({{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}, {5, 5, 5}}));
    EXPECT_EQ(0, ReplaceDIBPalette(five.get(), dib.get()));
    EXPECT_EQ(4u, tdib::read(dib.get()).table.size());

    // Fewer entries: the pixels still follow the (shorter) table.
    kel::GdiObject<HPALETTE> two(tdib::makePalette({{100, 101, 102}, {103, 104, 105}}));
    ASSERT_EQ(1, ReplaceDIBPalette(two.get(), dib.get()));
    r = tdib::read(dib.get());
    ASSERT_EQ(2u, r.table.size());
    EXPECT_EQ(105, r.table[1].rgbBlue);
    EXPECT_EQ(pixels, pixelsOf(dib.get()));
}

TEST_F(PaletteTest, FixedPalettes)
{
    kel::GdiObject<HPALETTE> p256(Make_Palette());
    auto e = tdib::entries(p256.get());
    ASSERT_EQ(256u, e.size());
    // Levels wrap at 0: red and green 255, 31, 63 ... 223; blue 255, 63, 127, 191.
    expectEntry(e[0], 255, 255, 255, 0, "Make_Palette 0");
    expectEntry(e[1], 31, 255, 255, 0, "Make_Palette 1");
    expectEntry(e[8], 255, 31, 255, 0, "Make_Palette 8");
    expectEntry(e[64], 255, 255, 63, 0, "Make_Palette 64");
    expectEntry(e[255], 223, 223, 191, 0, "Make_Palette 255");

    kel::GdiObject<HPALETTE> p16(Make16ColorPalette());
    e = tdib::entries(p16.get());
    ASSERT_EQ(16u, e.size());
    const int want16[16][3] = {{0, 0, 0},       {255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                               {255, 255, 0},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
                               {128, 0, 0},     {0, 128, 0},   {0, 0, 128},   {128, 128, 0},
                               {128, 0, 128},   {0, 128, 128}, {128, 128, 128}, {192, 192, 192}};
    for (int i = 0; i < 16; ++i)
        expectEntry(e[size_t(i)], want16[i][0], want16[i][1], want16[i][2], PC_NOCOLLAPSE, "16-colour " + std::to_string(i));

    kel::GdiObject<HPALETTE> p2(Make2ColorPalette(RGB(10, 20, 30)));
    e = tdib::entries(p2.get());
    ASSERT_EQ(2u, e.size());
    expectEntry(e[0], 0, 0, 0, PC_NOCOLLAPSE, "2-colour 0");
    expectEntry(e[1], 10, 20, 30, PC_NOCOLLAPSE, "2-colour 1");

    kel::GdiObject<HPALETTE> grey(Make_Gray_Palette());
    e = tdib::entries(grey.get());
    ASSERT_EQ(256u, e.size());
    for (int i = 0; i < 256; i += 51)
        expectEntry(e[size_t(i)], i, i, i, 0, "grey " + std::to_string(i));
}

TEST_F(PaletteTest, EightColoursOfADevice)
{
    // The display has no colour-table escape here: the device's renderings of the cube corners.
    kel::WindowDC dc;
    kel::GdiObject<HPALETTE> pal(Make8ColorPalette(dc.get()));
    auto e = tdib::entries(pal.get());
    ASSERT_EQ(8u, e.size());
    for (int i = 0; i < 8; ++i) {
        const COLORREF want = GetNearestColor(dc.get(), RGB(i & 1 ? 255 : 0, i & 2 ? 255 : 0, i & 4 ? 255 : 0));
        expectEntry(e[size_t(i)], GetRValue(want), GetGValue(want), GetBValue(want), PC_NOCOLLAPSE,
                    "8-colour " + std::to_string(i));
    }
}

} // namespace
