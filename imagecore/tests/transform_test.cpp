// Rotation, cropping and the 5 x 5 filter, with results worked out by hand from the rules.
// Expected pixels are written as displayed (top row first) and flipped into memory order.
#include "keldll.h"
#include "test_dibs.h"
#include "test_support.h"
#include "win_raii.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

using tdib::Colour;
using tdib::flip;
using Rows = std::vector<std::vector<int>>;
using Pixels = std::vector<std::vector<Colour>>;

namespace {

class TransformTest : public ::testing::Test {
protected:
    void SetUp() override { InitKelDll(&kt::testApp()); }
};

std::string show(const Rows& rows)
{
    std::string s;
    for (const auto& row : rows) {
        s += "[";
        for (int v : row)
            s += " " + std::to_string(v);
        s += " ]";
    }
    return s;
}

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

std::vector<Colour> greys(int n)
{
    std::vector<Colour> t;
    for (int i = 0; i < n; ++i)
        t.push_back(Colour{uint8_t(i * 10), uint8_t(i * 10 + 1), uint8_t(i * 10 + 2)});
    return t;
}

// ---- RotateDib ---------------------------------------------------------------------------

// Displayed a b c / d e f; a quarter turn clockwise shows d a / e b / f c, a half turn
// f e d / c b a, a quarter turn counter-clockwise c f / b e / a d.
struct RotateCase {
    int kind;
    Rows displayed;
};
const RotateCase kTurns[] = {
    {1, {{4, 1}, {5, 2}, {6, 3}}},
    {2, {{6, 5, 4}, {3, 2, 1}}},
    {3, {{3, 6}, {2, 5}, {1, 4}}},
};

TEST_F(TransformTest, QuarterAndHalfTurnsOfIndexedImages)
{
    for (int bits : {4, 8})
        for (const RotateCase& c : kTurns) {
            kel::GlobalMem dib(tdib::makeIndexed(bits, greys(7), flip(Rows{{1, 2, 3}, {4, 5, 6}})));
            kel::GlobalMem turned(RotateDib(dib.get(), c.kind));
            ASSERT_TRUE(turned) << bits << " bits, kind " << c.kind;
            auto r = tdib::read(turned.get());
            EXPECT_EQ(flip(c.displayed), r.indices) << bits << " bits, kind " << c.kind << ": " << show(r.indices);
            EXPECT_EQ(LONG(c.displayed[0].size()), r.header.biWidth);
            EXPECT_EQ(LONG(c.displayed.size()), r.header.biHeight);
            EXPECT_EQ(7u, r.header.biClrUsed) << "the colour table travels with the image";
            ASSERT_EQ(7u, r.table.size());
            EXPECT_EQ(30, r.table[3].rgbRed);
            EXPECT_EQ(DWORD(tdib::rowBytes(r.header.biWidth, bits) * r.header.biHeight), r.header.biSizeImage);
        }
}

TEST_F(TransformTest, QuarterTurnOfOneBitRowsAcrossBytes)
{
    // 9 x 3, displayed. Turned clockwise, display row i is source column i read bottom to top.
    const Rows source = {{1, 0, 0, 0, 0, 0, 0, 0, 1}, {0, 1, 0, 0, 0, 0, 0, 1, 1}, {1, 1, 1, 0, 0, 0, 0, 0, 0}};
    const Rows clockwise = {{1, 0, 1}, {1, 1, 0}, {1, 0, 0}, {0, 0, 0}, {0, 0, 0},
                            {0, 0, 0}, {0, 0, 0}, {0, 1, 0}, {0, 1, 1}};
    kel::GlobalMem dib(tdib::makeIndexed(1, {{0, 0, 0}, {255, 255, 255}}, flip(source)));
    kel::GlobalMem turned(RotateDib(dib.get(), 1));
    ASSERT_TRUE(turned);
    EXPECT_EQ(flip(clockwise), tdib::read(turned.get()).indices) << show(tdib::read(turned.get()).indices);

    kel::GlobalMem back(RotateDib(turned.get(), 3));
    ASSERT_TRUE(back);
    EXPECT_EQ(flip(source), tdib::read(back.get()).indices) << "a counter-clockwise turn undoes it";
}

TEST_F(TransformTest, QuarterTurnOfTrueColour)
{
    const Colour a{1, 2, 3}, b{4, 5, 6}, c{7, 8, 9}, d{10, 11, 12}, e{13, 14, 15}, f{16, 17, 18};
    kel::GlobalMem dib(tdib::make24(flip(Pixels{{a, b, c}, {d, e, f}})));
    kel::GlobalMem cw(RotateDib(dib.get(), 1));
    ASSERT_TRUE(cw);
    // The top-left pixel of the turned image is the source's bottom-left pixel.
    EXPECT_EQ(flip(Pixels{{d, a}, {e, b}, {f, c}}), tdib::read24(cw.get())) << show(tdib::read24(cw.get()));
    kel::GlobalMem ccw(RotateDib(dib.get(), 3));
    ASSERT_TRUE(ccw);
    EXPECT_EQ(flip(Pixels{{c, f}, {b, e}, {a, d}}), tdib::read24(ccw.get()));
}

TEST_F(TransformTest, TwoHalfTurnsGiveTheImageBack)
{
    Rows rows(37, std::vector<int>(45));
    for (int y = 0; y < 37; ++y)
        for (int x = 0; x < 45; ++x)
            rows[size_t(y)][size_t(x)] = (x * 7 + y * 3) % 16;
    kel::GlobalMem dib(tdib::makeIndexed(4, greys(16), rows));
    kel::GlobalMem once(RotateDib(dib.get(), 2));
    ASSERT_TRUE(once);
    EXPECT_NE(rows, tdib::read(once.get()).indices);
    kel::GlobalMem twice(RotateDib(once.get(), 2));
    ASSERT_TRUE(twice);
    EXPECT_EQ(rows, tdib::read(twice.get()).indices);
}

TEST_F(TransformTest, CoreHeaderImagesTurnIntoInformationHeaders)
{
    // 2 x 1, 8 bits, OS/2 core header with a 3-byte colour table of 256 entries.
    std::vector<BYTE> block(12 + 3 * 256 + 4);
    const BITMAPCOREHEADER bc{12, 2, 1, 1, 8};
    std::memcpy(block.data(), &bc, 12);
    block[12 + 3 * 5 + 2] = 200; // entry 5: red 200
    block[12 + 3 * 256] = 5;
    block[12 + 3 * 256 + 1] = 9;
    HGLOBAL h = GlobalAlloc(GHND, block.size());
    std::memcpy(kel::GlobalLocked<BYTE>(h).get(), block.data(), block.size());
    kel::GlobalMem dib(h);
    kel::GlobalMem turned(RotateDib(dib.get(), 1));
    ASSERT_TRUE(turned);
    auto r = tdib::read(turned.get());
    EXPECT_EQ(40u, r.header.biSize);
    EXPECT_EQ(256u, r.header.biClrUsed);
    EXPECT_EQ(200, r.table[5].rgbRed);
    EXPECT_EQ(flip(Rows{{5}, {9}}), r.indices);
}

TEST_F(TransformTest, RotationRefusesWhatItCannotTurn)
{
    kel::GlobalMem dib(tdib::makeIndexed(8, greys(2), {{0, 1}}));
    EXPECT_EQ(nullptr, RotateDib(dib.get(), 0));
    EXPECT_EQ(nullptr, RotateDib(dib.get(), 4));
    EXPECT_EQ(nullptr, RotateDib(nullptr, 1));
    // A header claiming more rows than the block holds is refused, never read.
    {
        kel::GlobalLocked<BITMAPINFOHEADER> p(dib.get());
        p->biHeight = 1000;
    }
    EXPECT_EQ(nullptr, RotateDib(dib.get(), 1));
}

// Cancels the operation on its first progress report and remembers the status text shown then.
struct CancelOnProgress {
    static inline WNDPROC original = nullptr;
    static inline std::string text;
    static inline int reports = 0;
    static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        if (m == PBM_SETPOS && ++reports == 1) {
            char buf[128] = "";
            SendMessageA(GetParent(w), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(buf));
            text = buf;
            SetStatus(0);
        }
        return CallWindowProcA(original, w, m, wp, lp);
    }
    explicit CancelOnProgress(HWND progress) : progress_(progress)
    {
        text.clear();
        reports = 0;
        original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(progress, GWLP_WNDPROC, LONG_PTR(proc)));
    }
    ~CancelOnProgress() { SetWindowLongPtrA(progress_, GWLP_WNDPROC, LONG_PTR(original)); }
    HWND progress_;
};

TEST_F(TransformTest, RotationReportsRowsAndStopsWhenCancelled)
{
    kt::StatusFrame frame;
    CancelOnProgress spy(frame.progress());
    // 200 rows of 3: the first report (after row 1 of 200) cancels.
    Rows rows(200, std::vector<int>{1, 2, 3});
    kel::GlobalMem dib(tdib::makeIndexed(8, greys(4), rows));
    kel::GlobalMem turned(RotateDib(dib.get(), 2));
    ASSERT_TRUE(turned) << "a cancelled rotation returns what it made";
    EXPECT_EQ("Rotating bitmap", CancelOnProgress::text);
    auto r = tdib::read(turned.get());
    // Source row 0 (the bottom one) went to the top; the rest stayed 0.
    EXPECT_EQ((std::vector<int>{3, 2, 1}), r.indices[199]);
    EXPECT_EQ((std::vector<int>{0, 0, 0}), r.indices[198]);
    EXPECT_EQ((std::vector<int>{0, 0, 0}), r.indices[0]);
    EXPECT_EQ("", frame.partText(1)) << "the status box is closed";
}

TEST_F(TransformTest, PasteStopsWhenCancelledAndRunLengthCodingReportsRows)
{
    kt::StatusFrame frame;
    {
        CancelOnProgress spy(frame.progress());
        const Rows ones(200, std::vector<int>{1, 1});
        kel::GlobalMem source(tdib::makeIndexed(8, greys(4), ones));
        kel::GlobalMem target(tdib::makeIndexed(8, greys(4), Rows(200, std::vector<int>{0, 0})));
        EXPECT_EQ(1, PasteDIB(target.get(), 0, 0, 2, 200, source.get(), 0, 0, 2, 200));
        EXPECT_EQ("Pasting bitmap", CancelOnProgress::text);
        auto r = tdib::read(target.get());
        // Target rows go from the bottom: only the bottom one was pasted before the cancel.
        EXPECT_EQ((std::vector<int>{1, 1}), r.indices[0]);
        EXPECT_EQ((std::vector<int>{0, 0}), r.indices[1]);
    }
    {
        // The coding reports its rows; a cancel is not consulted (the image is small anyway).
        CancelOnProgress spy(frame.progress());
        kel::GlobalMem dib(tdib::makeIndexed(8, greys(4), Rows(200, std::vector<int>(8, 3))));
        kel::GlobalMem rle(RGBtoRLE(frame.wnd(), dib.get(), 1, 0));
        ASSERT_TRUE(rle);
        EXPECT_NE(dib.get(), rle.get());
        EXPECT_EQ("Creating bitmap for display", CancelOnProgress::text);
        EXPECT_GT(CancelOnProgress::reports, 50);
    }
}

// ---- CropDIB -----------------------------------------------------------------------------

TEST_F(TransformTest, CropCopiesTheRectangleAndFillsTheOutsideWithTheBrush)
{
    const std::vector<Colour> table = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    kel::GdiObject<HBRUSH> blue(CreateSolidBrush(RGB(0, 0, 255)));
    for (int bits : {4, 8}) {
        // Displayed 4 x 3; the rectangle (2, 1)-(6, 3) reaches two columns past the right edge.
        kel::GlobalMem dib(tdib::makeIndexed(bits, table, flip(Rows{{1, 1, 1, 1}, {0, 1, 2, 0}, {2, 0, 1, 2}})));
        kel::GdiObject<HPALETTE> palette(CreateDIBPalette(dib.get()));
        const RECT rect{2, 1, 6, 3};
        kel::GlobalMem cut(CropDIB(dib.get(), &rect, palette.get(), blue.get(), DIB_RGB_COLORS));
        ASSERT_TRUE(cut) << bits;
        auto r = tdib::read(cut.get());
        EXPECT_EQ(bits, r.header.biBitCount);
        EXPECT_EQ(4, r.header.biWidth);
        EXPECT_EQ(2, r.header.biHeight);
        EXPECT_EQ(flip(Rows{{2, 0, 3, 3}, {1, 2, 3, 3}}), r.indices) << bits << " bits: " << show(r.indices);
        EXPECT_EQ(255, r.table[1].rgbRed);
        EXPECT_EQ(0, r.table[1].rgbBlue);
    }
}

TEST_F(TransformTest, CropOfTrueColourAndOfOneBitRowsAtAnyBitOffset)
{
    const Colour k{0, 0, 0}, w{250, 240, 230}, g{0, 128, 0};
    kel::GlobalMem rgb(tdib::make24(flip(Pixels{{k, w, g}, {g, k, w}})));
    kel::GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(12, 34, 56)));
    const RECT above{1, -1, 3, 1}; // one row above the image, one inside
    kel::GlobalMem cut(CropDIB(rgb.get(), &above, nullptr, brush.get(), DIB_RGB_COLORS));
    ASSERT_TRUE(cut);
    const Colour b{12, 34, 56};
    EXPECT_EQ(flip(Pixels{{b, b}, {w, g}}), tdib::read24(cut.get())) << show(tdib::read24(cut.get()));

    Rows bitsRows(2, std::vector<int>(20));
    for (int x = 0; x < 20; ++x) {
        bitsRows[0][size_t(x)] = (x % 3) == 0;
        bitsRows[1][size_t(x)] = (x % 5) < 2;
    }
    kel::GlobalMem mono(tdib::makeIndexed(1, {{0, 0, 0}, {255, 255, 255}}, bitsRows));
    const RECT middle{3, 0, 15, 2};
    kel::GlobalMem part(CropDIB(mono.get(), &middle, nullptr, nullptr, DIB_RGB_COLORS));
    ASSERT_TRUE(part);
    Rows want(2);
    for (int y = 0; y < 2; ++y)
        want[size_t(y)].assign(bitsRows[size_t(y)].begin() + 3, bitsRows[size_t(y)].begin() + 15);
    EXPECT_EQ(want, tdib::read(part.get()).indices) << show(tdib::read(part.get()).indices);
}

TEST_F(TransformTest, CropOfAnEmptyRectangleIsNothing)
{
    kel::GlobalMem dib(tdib::makeIndexed(8, greys(2), {{0, 1}}));
    const RECT empty{1, 0, 1, 1}, inverted{2, 0, 0, 1};
    EXPECT_EQ(nullptr, CropDIB(dib.get(), &empty, nullptr, nullptr, 0));
    EXPECT_EQ(nullptr, CropDIB(dib.get(), &inverted, nullptr, nullptr, 0));
    EXPECT_EQ(nullptr, CropDIB(nullptr, &empty, nullptr, nullptr, 0));
}

// ---- ApplyDIBFilter ----------------------------------------------------------------------

FilterKernel kernelOf(std::initializer_list<std::pair<int, LONG>> weights, LONG divisor, LONG offset)
{
    FilterKernel k{};
    for (const auto& [at, weight] : weights)
        k.weights[at] = weight;
    k.divisor = divisor;
    k.offset = offset;
    return k;
}

Pixels greyPixels(const Rows& values)
{
    Pixels out;
    for (const auto& row : values) {
        std::vector<Colour> line;
        for (int v : row)
            line.push_back(Colour{uint8_t(v), uint8_t(v), uint8_t(v)});
        out.push_back(line);
    }
    return out;
}

TEST_F(TransformTest, BoxFilterAveragesOnlyTheNeighboursThatExist)
{
    // The centre 3 x 3 of the grid, divisor 9: at the border fewer values are summed, still / 9.
    // Corner 9+18+36+45 = 108 -> 12; top edge 9+18+27+36+45+54 = 189 -> 21; centre 405 -> 45.
    const FilterKernel box = kernelOf({{6, 1}, {7, 1}, {8, 1}, {11, 1}, {12, 1}, {13, 1}, {16, 1}, {17, 1}, {18, 1}},
                                      9, 0);
    kel::GlobalMem dib(tdib::make24(flip(greyPixels({{9, 18, 27}, {36, 45, 54}, {63, 72, 81}}))));
    kel::GlobalMem out(ApplyDIBFilter(dib.get(), &box));
    ASSERT_TRUE(out);
    const Pixels want = flip(greyPixels({{12, 21, 16}, {27, 45, 33}, {24, 39, 28}}));
    EXPECT_EQ(want, tdib::read24(out.get())) << show(tdib::read24(out.get()));
}

struct FilterCase {
    const char* what;
    FilterKernel kernel;
    Rows in, out; // one grey channel, displayed
};

TEST_F(TransformTest, KernelPositionsDivisionOffsetAndLimits)
{
    const FilterCase cases[] = {
        // Row 0 of the kernel is two rows above the target: each pixel takes the value two up.
        {"two above", kernelOf({{2, 1}}, 1, 0), {{10}, {20}, {30}, {40}}, {{0}, {0}, {10}, {20}}},
        // Column 0 is two to the left.
        {"two left", kernelOf({{10, 1}}, 1, 0), {{10, 20, 30, 40}}, {{0, 0, 10, 20}}},
        // Bottom-right corner of the grid: two below and two to the right.
        {"two below right", kernelOf({{24, 2}}, 1, 0), {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}, {{18, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
        // Negative weights: 255 - v.
        {"invert", kernelOf({{12, -1}}, 1, 255), {{0, 100, 255}}, {{255, 155, 0}}},
        // Integer division truncates: -5 / 2 = -2, then + 10.
        {"truncation", kernelOf({{12, -1}}, 2, 10), {{5, 4, 0}}, {{8, 8, 10}}},
        // Results are limited to 0..255.
        {"limits", kernelOf({{12, 3}}, 1, -100), {{10, 100, 200}}, {{0, 200, 255}}},
        // A divisor of 0 divides by 1 instead of failing.
        {"divisor 0", kernelOf({{12, 1}}, 0, 1), {{10, 254}}, {{11, 255}}},
        // Weights too large for 32-bit sums still add up exactly.
        {"large weights", kernelOf({{11, 1 << 30}, {12, 1 << 30}}, 1 << 30, 0), {{100, 100, 100}}, {{100, 200, 200}}},
    };
    for (const FilterCase& c : cases) {
        kel::GlobalMem dib(tdib::make24(flip(greyPixels(c.in))));
        kel::GlobalMem out(ApplyDIBFilter(dib.get(), &c.kernel));
        ASSERT_TRUE(out) << c.what;
        EXPECT_EQ(flip(greyPixels(c.out)), tdib::read24(out.get())) << c.what << ": " << show(tdib::read24(out.get()));
    }
}

TEST_F(TransformTest, FilterReadsIndexedColoursAndKeepsChannelsApart)
{
    // An 8-bit source gives its colour-table colours; each channel is filtered on its own.
    const FilterKernel sum = kernelOf({{11, 1}, {12, 1}}, 1, 0); // the pixel and its left neighbour
    kel::GlobalMem dib(tdib::makeIndexed(8, {{10, 20, 30}, {1, 2, 3}}, {{0, 1, 1}}));
    kel::GlobalMem out(ApplyDIBFilter(dib.get(), &sum));
    ASSERT_TRUE(out);
    auto r = tdib::read(out.get());
    EXPECT_EQ(24, r.header.biBitCount);
    EXPECT_EQ(0u, r.header.biClrUsed);
    EXPECT_EQ((Pixels{{{10, 20, 30}, {11, 22, 33}, {2, 4, 6}}}), tdib::read24(out.get()));

    kel::GlobalMem four(tdib::makeIndexed(4, greys(2), {{0, 1}}));
    EXPECT_EQ(nullptr, ApplyDIBFilter(four.get(), &sum)) << "fewer than 8 bits";
    EXPECT_EQ(nullptr, ApplyDIBFilter(dib.get(), nullptr));
}

TEST_F(TransformTest, CancelledFilterGivesNothing)
{
    kt::StatusFrame frame;
    WORD goOn = 1;
    ASSERT_TRUE(DisplayStatusBox(frame.wnd(), &goOn, 0));
    SetStatus(0);
    const FilterKernel identity = kernelOf({{12, 1}}, 1, 0);
    kel::GlobalMem dib(tdib::make24(Pixels(3, std::vector<Colour>(3, Colour{1, 2, 3}))));
    EXPECT_EQ(nullptr, ApplyDIBFilter(dib.get(), &identity));
    DestroyStatus();
}

} // namespace
