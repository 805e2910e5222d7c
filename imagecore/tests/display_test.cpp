// Drawing DIBs and device bitmaps on devices, cutting and copying bitmaps, pasting DIBs into
// DIBs. Pixels are read back from 24-bit DIB sections.
#include "keldll.h"
#include "test_dibs.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using tdib::Colour;
using tdib::flip;
using Rows = std::vector<std::vector<int>>;
using Pixels = std::vector<std::vector<Colour>>;

namespace {

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override { InitKelDll(&kt::testApp()); }
};

// A 24-bit DIB section selected into a memory DC, filled with one colour.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(1, 1, 1)) : w_(width), h_(height), dc_(nullptr)
    {
        BITMAPINFOHEADER bi{40, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_.reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits_, nullptr, 0));
        old_ = SelectObject(dc_.get(), bitmap_.get());
        kel::GdiObject<HBRUSH> brush(CreateSolidBrush(fill));
        const RECT all{0, 0, width, height};
        FillRect(dc_.get(), &all, brush.get());
    }
    ~Canvas() { SelectObject(dc_.get(), old_); }
    HDC dc() const { return dc_.get(); }
    // Displayed rows (top first).
    Pixels pixels() const
    {
        GdiFlush();
        Pixels out;
        for (int y = h_ - 1; y >= 0; --y) {
            std::vector<Colour> line;
            const BYTE* row = static_cast<BYTE*>(bits_) + tdib::rowBytes(w_, 24) * y;
            for (int x = 0; x < w_; ++x)
                line.push_back(Colour{row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            out.push_back(line);
        }
        return out;
    }

private:
    int w_, h_;
    kel::MemoryDC dc_;
    kel::GdiObject<HBITMAP> bitmap_;
    HGDIOBJ old_;
    void* bits_ = nullptr;
};

std::string show(const Pixels& rows)
{
    std::string s;
    for (const auto& row : rows) {
        s += "[";
        for (const Colour& c : row)
            s += " " + std::to_string(c.r) + "/" + std::to_string(c.g) + "/" + std::to_string(c.b);
        s += " ]";
    }
    return s;
}

const Colour R{255, 0, 0}, G{0, 255, 0}, B{0, 0, 255}, W{255, 255, 255}, K{0, 0, 0}, Y{255, 255, 0}, N{1, 1, 1};

// A 2 x 4 8-bit DIB whose displayed rows are red, green, blue, white (memory rows 0..3 from the
// bottom: white, blue, green, red).
HGLOBAL stripes()
{
    return tdib::makeIndexed(8, {R, G, B, W}, flip(Rows{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
}

TEST_F(DisplayTest, DibBltStartsAtTheSourceRowAskedFor)
{
    // Source rows 1 and 2 counted from the bottom (blue, green) land on the 2 x 2 area, the
    // higher one on top.
    Canvas canvas(3, 3);
    kel::GlobalMem dib(stripes());
    EXPECT_EQ(1, DibBlt(canvas.dc(), 1, 0, 2, 2, dib.get(), 0, 1, SRCCOPY));
    EXPECT_EQ((Pixels{{N, G, G}, {N, B, B}, {N, N, N}}), canvas.pixels()) << show(canvas.pixels());

    Canvas whole(2, 4);
    EXPECT_EQ(1, DibBlt(whole.dc(), 0, 0, 2, 4, dib.get(), 0, 0, SRCCOPY));
    EXPECT_EQ((Pixels{{R, R}, {G, G}, {B, B}, {W, W}}), whole.pixels()) << show(whole.pixels());
}

TEST_F(DisplayTest, DibBltOfNoDibFillsWithTheRasterOperation)
{
    Canvas canvas(3, 2);
    EXPECT_EQ(1, DibBlt(canvas.dc(), 1, 0, 2, 1, nullptr, 0, 0, WHITENESS));
    EXPECT_EQ((Pixels{{N, W, W}, {N, N, N}}), canvas.pixels()) << show(canvas.pixels());
}

TEST_F(DisplayTest, DibBltNeverReadsRowsTheBlockDoesNotHold)
{
    // The header claims 4000 rows; the block holds 4. Nothing is drawn, nothing is read.
    kel::GlobalMem dib(stripes());
    {
        kel::GlobalLocked<BITMAPINFOHEADER> p(dib.get());
        p->biHeight = 4000;
    }
    Canvas canvas(2, 2);
    EXPECT_EQ(1, DibBlt(canvas.dc(), 0, 0, 2, 2, dib.get(), 0, 0, SRCCOPY));
    EXPECT_EQ(0, StretchDibBlt(canvas.dc(), 0, 0, 2, 2, dib.get(), 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ((Pixels{{N, N}, {N, N}}), canvas.pixels());
}

TEST_F(DisplayTest, StretchDibBltScalesAndFillsWithoutADib)
{
    Canvas canvas(4, 4);
    kel::GlobalMem dib(tdib::make24(flip(Pixels{{R, G}, {B, W}})));
    EXPECT_NE(0, StretchDibBlt(canvas.dc(), 0, 0, 4, 4, dib.get(), 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ((Pixels{{R, R, G, G}, {R, R, G, G}, {B, B, W, W}, {B, B, W, W}}), canvas.pixels())
        << show(canvas.pixels());
    EXPECT_NE(0, StretchDibBlt(canvas.dc(), 0, 0, 1, 1, nullptr, 0, 0, 0, 0, BLACKNESS));
    EXPECT_EQ(K, canvas.pixels()[0][0]);
}

int CALLBACK collectRow(HDC, HANDLETABLE*, const ENHMETARECORD* rec, int, LPARAM data)
{
    auto* out = reinterpret_cast<std::vector<int>*>(data);
    if (rec->iType == EMR_BITBLT)
        out->push_back(reinterpret_cast<const EMRBITBLT*>(rec)->yDest);
    else if (rec->iType == EMR_STRETCHBLT)
        out->push_back(reinterpret_cast<const EMRSTRETCHBLT*>(rec)->yDest);
    return 1;
}

// The destination rows of the copies recorded in an enhanced metafile, in the order made.
std::vector<int> recordedRows(HENHMETAFILE emf)
{
    std::vector<int> rows;
    EnumEnhMetaFile(nullptr, emf, collectRow, &rows, nullptr);
    return rows;
}

TEST_F(DisplayTest, InterlaceCopiesRowsCoarseFirst)
{
    Canvas source(4, 10, RGB(200, 100, 50));
    HDC emf = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(emf);
    EXPECT_EQ(1, InterlaceBitBlt(emf, 0, 0, 4, 10, source.dc(), 0, 0, SRCCOPY));
    HENHMETAFILE made = CloseEnhMetaFile(emf);
    ASSERT_TRUE(made);
    EXPECT_EQ((std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}), recordedRows(made));
    DeleteEnhMetaFile(made);

    // Each row comes from the same row of the source.
    Canvas from(3, 5), to(3, 5, RGB(9, 9, 9));
    kel::GlobalMem dib(tdib::make24(flip(Pixels{{R, R, R}, {G, G, G}, {B, B, B}, {W, W, W}, {Y, Y, Y}})));
    DibBlt(from.dc(), 0, 0, 3, 5, dib.get(), 0, 0, SRCCOPY);
    InterlaceBitBlt(to.dc(), 0, 1, 3, 3, from.dc(), 0, 0, SRCCOPY);
    const Colour n{9, 9, 9};
    EXPECT_EQ((Pixels{{n, n, n}, {G, G, G}, {B, B, B}, {W, W, W}, {n, n, n}}), to.pixels()) << show(to.pixels());
}

// A device bitmap of the screen's kind holding `rows` (displayed).
HBITMAP deviceBitmap(const Pixels& rows)
{
    kel::GlobalMem dib(tdib::make24(flip(rows)));
    return DIBToBitmap(dib.get(), nullptr);
}

TEST_F(DisplayTest, DrawAndStretchDeviceBitmaps)
{
    kel::GdiObject<HBITMAP> bitmap(deviceBitmap({{R, G}, {B, W}}));
    ASSERT_TRUE(bitmap);
    Canvas canvas(4, 3);
    EXPECT_TRUE(DrawBitmap(canvas.dc(), 1, 1, bitmap.get(), SRCCOPY));
    EXPECT_EQ((Pixels{{N, N, N, N}, {N, R, G, N}, {N, B, W, N}}), canvas.pixels()) << show(canvas.pixels());

    Canvas big(4, 2);
    EXPECT_TRUE(StretchBitmap(big.dc(), 0, 0, bitmap.get(), 4, 2, SRCCOPY, nullptr));
    EXPECT_EQ((Pixels{{R, R, G, G}, {B, B, W, W}}), big.pixels()) << show(big.pixels());

    EXPECT_FALSE(DrawBitmap(canvas.dc(), 0, 0, nullptr, SRCCOPY));
    EXPECT_FALSE(StretchBitmap(canvas.dc(), 0, 0, nullptr, 1, 1, SRCCOPY, nullptr));
}

Pixels bitmapPixels(HBITMAP bitmap)
{
    BITMAP bm{};
    GetObjectA(bitmap, sizeof bm, &bm);
    Canvas canvas(bm.bmWidth, bm.bmHeight);
    DrawBitmap(canvas.dc(), 0, 0, bitmap, SRCCOPY);
    return canvas.pixels();
}

TEST_F(DisplayTest, CropAndCopyBitmaps)
{
    // Quadrants of 2 x 2: red, green / blue, yellow.
    kel::GdiObject<HBITMAP> bitmap(
        deviceBitmap({{R, R, G, G}, {R, R, G, G}, {B, B, Y, Y}, {B, B, Y, Y}}));
    ASSERT_TRUE(bitmap);

    const RECT topRight{2, 0, 4, 2};
    kel::GdiObject<HBITMAP> cut(CropBitmap(bitmap.get(), nullptr, &topRight, 4, 4));
    ASSERT_TRUE(cut);
    EXPECT_EQ((Pixels{{G, G}, {G, G}}), bitmapPixels(cut.get()));

    // The same area given in a reference twice the bitmap's size: a rectangle of 4 x 4 that
    // shows the 2 x 2 source area enlarged.
    const RECT inDouble{4, 4, 8, 8};
    kel::GdiObject<HBITMAP> scaled(CropBitmap(bitmap.get(), nullptr, &inDouble, 8, 8));
    ASSERT_TRUE(scaled);
    EXPECT_EQ(Pixels(4, std::vector<Colour>(4, Y)), bitmapPixels(scaled.get()));

    // An empty rectangle means the whole bitmap.
    const RECT none{0, 0, 0, 0};
    kel::GdiObject<HBITMAP> whole(CropBitmap(bitmap.get(), nullptr, &none, 4, 4));
    ASSERT_TRUE(whole);
    EXPECT_EQ(bitmapPixels(bitmap.get()), bitmapPixels(whole.get()));

    kel::GdiObject<HBITMAP> copy(CopyBitmap(bitmap.get(), nullptr));
    ASSERT_TRUE(copy);
    EXPECT_NE(bitmap.get(), copy.get());
    EXPECT_EQ(bitmapPixels(bitmap.get()), bitmapPixels(copy.get()));
    EXPECT_EQ(nullptr, CopyBitmap(nullptr, nullptr));
}

TEST_F(DisplayTest, NormalizeRectSwapsWhatIsReversed)
{
    RECT r{10, 20, 0, 5};
    EXPECT_EQ(&r, NormalizeRect(&r));
    EXPECT_TRUE(r.left == 0 && r.top == 5 && r.right == 10 && r.bottom == 20);
    RECT ok{1, 2, 3, 4};
    NormalizeRect(&ok);
    EXPECT_TRUE(ok.left == 1 && ok.top == 2 && ok.right == 3 && ok.bottom == 4);
    EXPECT_EQ(nullptr, NormalizeRect(nullptr));
}

// ---- PasteDIB ----------------------------------------------------------------------------

TEST_F(DisplayTest, PasteScalesByNearestNeighbourCountingFromTheBottom)
{
    // One column of three rows a, b, c (displayed) into two rows: target row 0 from the bottom
    // takes source row 0 from the bottom (c), row 1 takes row 1 * 3 / 2 = 1 (b).
    const std::vector<Colour> table = {K, R, G, B};
    kel::GlobalMem source(tdib::makeIndexed(8, table, flip(Rows{{1}, {2}, {3}})));
    kel::GlobalMem target(tdib::makeIndexed(8, table, {{0}, {0}}));
    EXPECT_EQ(1, PasteDIB(target.get(), 0, 0, 1, 2, source.get(), 0, 0, 1, 3));
    EXPECT_EQ(flip(Rows{{2}, {3}}), tdib::read(target.get()).indices);
    // Heights of opposite signs count source rows from the top: a mirrored a, b.
    kel::GlobalMem mirrored(tdib::makeIndexed(8, table, {{0}, {0}}));
    EXPECT_EQ(1, PasteDIB(mirrored.get(), 0, 0, 1, 2, source.get(), 0, 3, 1, -3));
    EXPECT_EQ(flip(Rows{{2}, {1}}), tdib::read(mirrored.get()).indices);

    // Doubling: each source pixel covers two.
    kel::GlobalMem two(tdib::makeIndexed(4, table, flip(Rows{{1, 2}})));
    kel::GlobalMem wide(tdib::makeIndexed(4, table, flip(Rows{{0, 0, 0, 0, 0}})));
    EXPECT_EQ(1, PasteDIB(wide.get(), 1, 0, 4, 1, two.get(), 0, 0, 2, 1));
    EXPECT_EQ(flip(Rows{{0, 1, 1, 2, 2}}), tdib::read(wide.get()).indices);
}

TEST_F(DisplayTest, PasteWithANegativeWidthMirrorsLeftToRight)
{
    Rows rows(2, std::vector<int>(40));
    for (int x = 0; x < 40; ++x)
        rows[0][size_t(x)] = x % 16, rows[1][size_t(x)] = (x / 3) % 16;
    std::vector<Colour> table;
    for (int i = 0; i < 16; ++i)
        table.push_back(Colour{uint8_t(i), 0, 0});
    kel::GlobalMem source(tdib::makeIndexed(8, table, rows));
    kel::GlobalMem target(tdib::makeIndexed(8, table, Rows(2, std::vector<int>(40))));
    // Target width -40 starting at x = 40: the rectangle 0..40, filled from the source's right.
    EXPECT_EQ(1, PasteDIB(target.get(), 40, 0, -40, 2, source.get(), 0, 0, 40, 2));
    Rows want = rows;
    for (auto& row : want)
        std::reverse(row.begin(), row.end());
    EXPECT_EQ(want, tdib::read(target.get()).indices);
}

TEST_F(DisplayTest, PasteConvertsBetweenDepths)
{
    const std::vector<Colour> table = {K, {250, 10, 10}, {10, 250, 10}, W};
    // True colour into an indexed image: the nearest table colour.
    kel::GlobalMem rgb(tdib::make24({{Colour{240, 0, 0}, Colour{200, 200, 200}, Colour{0, 200, 0}}}));
    kel::GlobalMem indexed(tdib::makeIndexed(8, table, {{0, 0, 0}}));
    EXPECT_EQ(1, PasteDIB(indexed.get(), 0, 0, 3, 1, rgb.get(), 0, 0, 3, 1));
    EXPECT_EQ((Rows{{1, 3, 2}}), tdib::read(indexed.get()).indices);
    // Indexed into true colour: the table colour.
    kel::GlobalMem back(tdib::make24({{K, K, K}}));
    EXPECT_EQ(1, PasteDIB(back.get(), 0, 0, 3, 1, indexed.get(), 0, 0, 3, 1));
    EXPECT_EQ((Pixels{{table[1], W, table[2]}}), tdib::read24(back.get()));
    // Indexed into a shallower indexed image: the nearest colour the target can show.
    kel::GlobalMem mono(tdib::makeIndexed(1, {K, W}, {{0, 0, 0}}));
    EXPECT_EQ(1, PasteDIB(mono.get(), 0, 0, 3, 1, indexed.get(), 0, 0, 3, 1));
    EXPECT_EQ((Rows{{0, 1, 0}}), tdib::read(mono.get()).indices);
}

TEST_F(DisplayTest, PasteSkipsWhatLiesOutsideEitherImage)
{
    const std::vector<Colour> table = {K, R, G, B};
    kel::GlobalMem source(tdib::makeIndexed(8, table, flip(Rows{{1, 2}, {3, 1}})));
    kel::GlobalMem target(tdib::makeIndexed(8, table, Rows(3, std::vector<int>(3))));
    // Target rectangle from (-1, 2): its one pixel inside the image, (0, 2), takes the source
    // column past the source's right edge: nothing changes.
    EXPECT_EQ(1, PasteDIB(target.get(), -1, 2, 2, 2, source.get(), 1, 0, 2, 2));
    EXPECT_EQ(flip(Rows{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}), tdib::read(target.get()).indices);
    EXPECT_EQ(1, PasteDIB(target.get(), 1, 1, 2, 2, source.get(), 1, 0, 2, 2));
    EXPECT_EQ(flip(Rows{{0, 0, 0}, {0, 2, 0}, {0, 1, 0}}), tdib::read(target.get()).indices);
    EXPECT_EQ(0, PasteDIB(target.get(), 0, 0, 0, 2, source.get(), 0, 0, 2, 2));
    EXPECT_EQ(0, PasteDIB(nullptr, 0, 0, 1, 1, source.get(), 0, 0, 1, 1));
}

// ---- FillBackground and the blank image ---------------------------------------------------

TEST_F(DisplayTest, FillBackgroundSetsOnePixelPerDepth)
{
    const RGBQUAD colour{30, 20, 10, 0};
    struct Case {
        int bits, pixel, value;
        std::vector<BYTE> before, after;
    } cases[] = {
        {1, 9, 1, {0x00, 0x00}, {0x00, 0x40}},
        {1, 0, 1, {0x01, 0x00}, {0x81, 0x00}},
        {1, 3, 0, {0xFF, 0x00}, {0xFF, 0x00}}, // OR: a 0 leaves the bit as it was
        {4, 2, 0x7, {0x00, 0x00}, {0x00, 0x70}},
        {4, 3, 0x5, {0x00, 0x70}, {0x00, 0x75}},
        {8, 1, 0xAB, {0x11, 0x22}, {0x11, 0xAB}},
        {24, 1, 0, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 30, 20, 10}},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> row = c.before;
        FillBackground(row.data(), c.pixel, c.bits, BYTE(c.value), &colour);
        EXPECT_EQ(c.after, row) << c.bits << " bits, pixel " << c.pixel;
    }
}

TEST_F(DisplayTest, BlankImagesOfOddWidthFillEveryPixel)
{
    std::vector<BYTE> record(sizeof(LOGPALETTE) + 16 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(record.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 16;
    for (int i = 0; i < 16; ++i)
        lp->palPalEntry[i] = PALETTEENTRY{BYTE(i * 16), BYTE(i * 16), BYTE(i * 16), 0};
    kel::GdiObject<HPALETTE> palette(CreatePalette(lp));
    kel::GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(48, 48, 48))); // entry 3
    kel::GlobalMem dib(CreateNewDib(nullptr, 7, 3, 8, palette.get(), brush.get()));
    ASSERT_TRUE(dib);
    EXPECT_EQ(Rows(3, std::vector<int>(7, 3)), tdib::read(dib.get()).indices);
    kel::GlobalMem rgb(CreateNewDib(nullptr, 5, 2, 24, palette.get(), brush.get()));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(Pixels(2, std::vector<Colour>(5, Colour{48, 48, 48})), tdib::read24(rgb.get()));
}

TEST_F(DisplayTest, ColourTableCopiesStopAtTheTablesTheHeadersDescribe)
{
    // A 24-bit header claiming 16777216 colours has no table: nothing is copied, nothing written.
    BITMAPINFOHEADER from{};
    InitBitmapInfoHeader(&from, 1, 1, 24);
    from.biClrUsed = 16777216;
    std::vector<BYTE> to(40 + 64, 0xEE);
    BITMAPINFOHEADER head{};
    InitBitmapInfoHeader(&head, 1, 1, 4);
    std::memcpy(to.data(), &head, 40);
    CopyDIBPaletteInfo(&from, to.data());
    EXPECT_EQ(std::vector<BYTE>(64, 0xEE), std::vector<BYTE>(to.begin() + 40, to.end()));
}

} // namespace
