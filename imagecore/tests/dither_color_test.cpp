// Colour error diffusion onto palettes: the share table, the nearest-colour search, images
// worked out by hand, the default targets and the device bitmaps that depend on it.
#include "error_shares.h"
#include "keldll.h"
#include "nearest_colour.h"
#include "test_dibs.h"
#include "test_support.h"
#include "win_raii.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <random>
#include <string>

using tdib::Colour;
using tdib::Rows;
using tdib::show;

namespace {

class DitherColorTest : public ::testing::Test {
protected:
    void SetUp() override { InitKelDll(&kt::testApp()); }
};

TEST(ErrorShares, DocumentedExamplesAndExactSums)
{
    // e: F1, F2, F4, F8, remainder
    const int cases[][6] = {{255, 6, 12, 24, 49, 50}, {100, 2, 4, 10, 20, 20}, {16, 0, 0, 2, 4, 4},
                            {1, 0, 0, 0, 0, 1},       {0, 0, 0, 0, 0, 0},      {-255, -6, -12, -24, -49, -50},
                            {-16, 0, 0, -2, -4, -4},  {41, 0, 2, 4, 8, 9},     {42, 1, 2, 4, 8, 8}};
    for (const auto& c : cases) {
        const keldll::ErrorShares& s = keldll::errorShares(c[0]);
        EXPECT_TRUE(s.f1 == c[1] && s.f2 == c[2] && s.f4 == c[3] && s.f8 == c[4] && s.rest == c[5])
            << "e " << c[0] << ": got " << int(s.f1) << " " << int(s.f2) << " " << int(s.f4) << " " << int(s.f8)
            << " " << int(s.rest);
    }
    for (int e = -255; e <= 255; ++e) {
        const keldll::ErrorShares& s = keldll::errorShares(e);
        ASSERT_EQ(e, s.rest + s.f4 + (s.f2 + s.f4 + s.f8 + s.f4 + s.f2) + (s.f1 + s.f2 + s.f4 + s.f2 + s.f1)) << e;
    }
}

TEST(NearestColour, AnswersAsTheSystemSearchDoes)
{
    std::mt19937 random(12345);
    for (int round = 0; round < 6; ++round) {
        const int count = round == 0 ? 1 : round == 1 ? 2 : round == 2 ? 16 : 256;
        std::vector<Colour> colours;
        std::vector<keldll::Rgb> rgb;
        for (int i = 0; i < count; ++i) {
            // Coarse levels make many ties, which the first entry must win.
            const int step = round % 2 ? 51 : 1;
            Colour c{uint8_t(random() % 256 / step * step), uint8_t(random() % 256 / step * step),
                     uint8_t(random() % 256 / step * step)};
            colours.push_back(c);
            rgb.push_back({c.r, c.g, c.b});
        }
        kel::GdiObject<HPALETTE> pal(tdib::makePalette(colours));
        keldll::NearestColour nearest(rgb.data(), count);
        for (int i = 0; i < 3000; ++i) {
            const int r = int(random() % 256), g = int(random() % 256), b = int(random() % 256);
            ASSERT_EQ(int(GetNearestPaletteIndex(pal.get(), RGB(r, g, b))), nearest.find(r, g, b))
                << "round " << round << " colour " << r << "," << g << "," << b;
        }
    }
}

// Palette: reds 0..60 as entries 0..60, then cyan as entry 61.
std::vector<Colour> redsAndCyan()
{
    std::vector<Colour> p;
    for (int r = 0; r <= 60; ++r)
        p.push_back({uint8_t(r), 0, 0});
    p.push_back({0, 255, 255});
    return p;
}

TEST_F(DitherColorTest, SharesOfOneErrorLandWhereDocumented)
{
    // White A maps to cyan (entry 61), an error of 255 in red. Row 0 runs right to left, so
    // the pixel after A is x 3 (50) and the next x 2 (24); the next row gets 12 / 24 / 49 /
    // 24 / 12 and the row after 6 / 12 / 24 / 12 / 6 from x 6 down to x 2. Black pixels that
    // receive a share s become red s exactly (entry s) and pass nothing on.
    const Colour k{0, 0, 0}, a{255, 255, 255};
    kel::GlobalMem dib(tdib::make24({{k, k, k, k, a, k, k}, {k, k, k, k, k, k, k}, {k, k, k, k, k, k, k}}));
    kel::GdiObject<HPALETTE> pal(tdib::makePalette(redsAndCyan()));
    kel::GlobalMem out(DitherColorDib(nullptr, dib.get(), nullptr, pal.get(), ""));
    ASSERT_TRUE(out);
    auto r = tdib::read(out.get());
    EXPECT_EQ((Rows{{0, 0, 24, 50, 61, 0, 0}, {0, 0, 12, 24, 49, 24, 12}, {0, 0, 6, 12, 24, 12, 6}}), r.indices)
        << show(r.indices);
    EXPECT_EQ(8, r.header.biBitCount);
    EXPECT_EQ(62u, r.header.biClrUsed);
    EXPECT_EQ(62u, r.header.biClrImportant);
    EXPECT_EQ(255, r.table[61].rgbGreen);
    EXPECT_EQ(60, r.table[60].rgbRed);
}

TEST_F(DitherColorTest, ErrorsOfTwoRowsAddUpInTheRowAfter)
{
    // A (row 0, x 4) as above. B (row 1, x 1; rows 1 run left to right) is (100, 255, 255):
    // cyan with an error of 100 (shares 2, 4, 10, 20, remainder 20). Row 1 then holds B's
    // remainder and F4 on top of A's shares (32 at x 2, 34 at x 3); row 2 adds A's shares for
    // the row after (6 12 24 12 6 at x 2..6) to B's next-row shares (10 20 10 4 at x 0..3);
    // row 3 holds B's shares for the row after (4 10 4 2 at x 0..3).
    const Colour k{0, 0, 0}, a{255, 255, 255}, b{100, 255, 255};
    kel::GlobalMem dib(tdib::make24({{k, k, k, k, a, k, k},
                                     {k, b, k, k, k, k, k},
                                     {k, k, k, k, k, k, k},
                                     {k, k, k, k, k, k, k}}));
    kel::GdiObject<HPALETTE> pal(tdib::makePalette(redsAndCyan()));
    kel::GlobalMem out(DitherColorDib(nullptr, dib.get(), nullptr, pal.get(), ""));
    ASSERT_TRUE(out);
    auto r = tdib::read(out.get());
    EXPECT_EQ((Rows{{0, 0, 24, 50, 61, 0, 0},
                    {0, 61, 32, 34, 49, 24, 12},
                    {10, 20, 16, 16, 24, 12, 6},
                    {4, 10, 4, 2, 0, 0, 0}}),
              r.indices)
        << show(r.indices);
}

TEST_F(DitherColorTest, FourBitResultsPackHighNibbleFirst)
{
    // Colours that are in the palette pass no error; five pixels fill two and a half bytes.
    kel::GdiObject<HPALETTE> p16(Make16ColorPalette());
    const Colour red{255, 0, 0}, green{0, 255, 0}, grey{128, 128, 128}, silver{192, 192, 192}, white{255, 255, 255};
    kel::GlobalMem dib(tdib::make24({{red, green, grey, silver, white}}));
    kel::GlobalMem out(DitherColorDib(nullptr, dib.get(), nullptr, p16.get(), ""));
    ASSERT_TRUE(out);
    auto r = tdib::read(out.get());
    EXPECT_EQ(4, r.header.biBitCount);
    EXPECT_EQ((Rows{{1, 2, 14, 15, 7}}), r.indices);
    EXPECT_EQ(4, r.table[3].rgbReserved) << "the palette's flags become the reserved bytes";
    kel::GlobalLocked<BYTE> p(out.get());
    const BYTE* bits = FindDIBBits(p.get());
    EXPECT_EQ(0x12, bits[0]);
    EXPECT_EQ(0xEF, bits[1]);
    EXPECT_EQ(0x70, bits[2]);
}

TEST_F(DitherColorTest, IndexedSourcesUseTheSourcePaletteWhenGiven)
{
    // 8-bit source whose table says red/green; the source palette says blue/white instead.
    kel::GlobalMem dib(tdib::makeIndexed(8, {{255, 0, 0}, {0, 255, 0}}, {{0, 1, 1, 0}}));
    kel::GdiObject<HPALETTE> p16(Make16ColorPalette());
    kel::GlobalMem byTable(DitherColorDib(nullptr, dib.get(), nullptr, p16.get(), ""));
    ASSERT_TRUE(byTable);
    EXPECT_EQ((Rows{{1, 2, 2, 1}}), tdib::read(byTable.get()).indices);

    kel::GdiObject<HPALETTE> source(tdib::makePalette({{0, 0, 255}, {255, 255, 255}}));
    kel::GlobalMem byPalette(DitherColorDib(nullptr, dib.get(), source.get(), p16.get(), ""));
    ASSERT_TRUE(byPalette);
    EXPECT_EQ((Rows{{3, 7, 7, 3}}), tdib::read(byPalette.get()).indices);
}

TEST_F(DitherColorTest, TheImagesOwnPaletteMeansNothingToDo)
{
    const std::vector<Colour> table = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    kel::GlobalMem dib(tdib::makeIndexed(8, table, {{0, 1, 2}}));
    kel::GdiObject<HPALETTE> same(tdib::makePalette(table));
    EXPECT_EQ(nullptr, DitherColorDib(nullptr, dib.get(), nullptr, same.get(), ""));

    // One colour different, or one entry more: there is work to do.
    kel::GdiObject<HPALETTE> other(tdib::makePalette({{10, 20, 30}, {40, 50, 61}, {70, 80, 90}}));
    kel::GlobalMem changed(DitherColorDib(nullptr, dib.get(), nullptr, other.get(), ""));
    EXPECT_TRUE(changed);
    kel::GdiObject<HPALETTE> longer(tdib::makePalette({{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {0, 0, 0}}));
    kel::GlobalMem longerOut(DitherColorDib(nullptr, dib.get(), nullptr, longer.get(), ""));
    ASSERT_TRUE(longerOut);
    EXPECT_EQ((Rows{{0, 1, 2}}), tdib::read(longerOut.get()).indices);
}

TEST_F(DitherColorTest, WithoutTargetTheDisplayDecides)
{
    kel::WindowDC screen;
    const bool paletteDevice = (GetDeviceCaps(screen.get(), RASTERCAPS) & RC_PALETTE) != 0;
    const Colour c{200, 30, 30};
    kel::GlobalMem dib(tdib::make24({{c, c}, {c, c}}));
    kel::GlobalMem out(DitherColorDib(nullptr, dib.get(), nullptr, nullptr, ""));
    ASSERT_TRUE(out);
    auto r = tdib::read(out.get());
    if (paletteDevice) {
        // The 256 levels of a true-colour image without a table.
        EXPECT_EQ(8, r.header.biBitCount);
        ASSERT_EQ(256u, r.table.size());
        EXPECT_EQ(160, r.table[5 + 8 * 1 + 64 * 2].rgbRed);
    } else {
        // The 16 fixed colours, reserved bytes 4.
        EXPECT_EQ(4, r.header.biBitCount);
        ASSERT_EQ(16u, r.table.size());
        EXPECT_TRUE(r.table[8].rgbRed == 128 && r.table[8].rgbGreen == 0 && r.table[8].rgbBlue == 0);
        EXPECT_EQ(4, r.table[8].rgbReserved);
        EXPECT_EQ(192, r.table[15].rgbGreen);
    }
}

// Cancels at the first progress report and notes the status text then shown.
struct CancelAtFirstProgress {
    static inline WNDPROC original = nullptr;
    static inline HWND bar = nullptr;
    static inline std::string text;
    static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        if (m == PBM_SETPOS && wp > 0 && text.empty()) {
            char buffer[256] = "";
            SendMessageA(bar, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(buffer));
            text = buffer;
            SetStatus(0);
        }
        return CallWindowProcA(original, w, m, wp, lp);
    }
    explicit CancelAtFirstProgress(const kt::StatusFrame& frame)
    {
        bar = frame.statusBar();
        text.clear();
        control = frame.progress();
        original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, LONG_PTR(proc)));
    }
    ~CancelAtFirstProgress() { SetWindowLongPtrA(control, GWLP_WNDPROC, LONG_PTR(original)); }
    HWND control;
};

TEST_F(DitherColorTest, StatusTextsAndCancel)
{
    kt::StatusFrame frame;
    const Colour red{255, 0, 0};
    kel::GlobalMem dib(tdib::make24(std::vector<std::vector<Colour>>(3, std::vector<Colour>(2, red))));
    kel::GdiObject<HPALETTE> p16(Make16ColorPalette());
    {
        CancelAtFirstProgress cancel(frame);
        kel::GlobalMem out(DitherColorDib(frame.wnd(), dib.get(), nullptr, p16.get(), "A.BMP"));
        ASSERT_TRUE(out);
        EXPECT_EQ("Converting to 16 color palette", cancel.text);
        EXPECT_EQ((Rows{{1, 1}, {0, 0}, {0, 0}}), tdib::read(out.get()).indices) << "stopped after one row";
    }
    {
        CancelAtFirstProgress cancel(frame);
        kel::GlobalMem out(DitherColorDib(frame.wnd(), dib.get(), nullptr, nullptr, "A.BMP"));
        ASSERT_TRUE(out);
        kel::WindowDC screen;
        const int n = (GetDeviceCaps(screen.get(), RASTERCAPS) & RC_PALETTE) ? 256 : 16;
        EXPECT_EQ("Dithering to " + std::to_string(n) + " colors A.BMP", cancel.text);
    }
    EXPECT_EQ("", frame.partText(1)) << "the status box is closed";
}

// Pixel x of the top line of a device bitmap, read back at 32 bits.
COLORREF bitmapPixel(HBITMAP bm, int x)
{
    BITMAP b;
    GetObjectA(bm, sizeof b, &b);
    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{40, b.bmWidth, -b.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> px(size_t(b.bmWidth) * b.bmHeight);
    kel::WindowDC screen;
    GetDIBits(screen.get(), bm, 0, UINT(b.bmHeight), px.data(), &bi, DIB_RGB_COLORS);
    const DWORD v = px[size_t(x)];
    return RGB((v >> 16) & 255, (v >> 8) & 255, v & 255);
}

TEST_F(DitherColorTest, DeviceBitmapsOfImagesThatNeedNoDither)
{
    // Auto dither on a display without a palette: an 8-bit image shown with its own palette
    // needs no dithering and is shown as it is; a true-colour one is dithered to the palette.
    kel::WindowDC screen;
    if (GetDeviceCaps(screen.get(), RASTERCAPS) & RC_PALETTE)
        GTEST_SKIP() << "palette display";
    std::vector<Colour> table;
    for (int i = 0; i < 30; ++i)
        table.push_back({uint8_t(8 * i), uint8_t(255 - 8 * i), 77});
    kel::GlobalMem eight(tdib::makeIndexed(8, table, {{0, 29, 7}}));
    kel::GdiObject<HPALETTE> own(CreateDIBPalette(eight.get()));
    kel::GdiObject<HBITMAP> bm(BitmapFromDib(nullptr, eight.get(), own.get(), 0, 1));
    ASSERT_TRUE(bm);
    EXPECT_EQ(RGB(0, 255, 77), bitmapPixel(bm.get(), 0));
    EXPECT_EQ(RGB(232, 23, 77), bitmapPixel(bm.get(), 1));

    kel::GlobalMem dib(tdib::make24({{{0, 0, 255}, {255, 255, 0}, {250, 250, 5}}}));
    kel::GdiObject<HPALETTE> p16(Make16ColorPalette());
    kel::GdiObject<HBITMAP> dithered(BitmapFromDib(nullptr, dib.get(), p16.get(), 0, 1));
    ASSERT_TRUE(dithered);
    EXPECT_EQ(RGB(0, 0, 255), bitmapPixel(dithered.get(), 0));
    EXPECT_EQ(RGB(255, 255, 0), bitmapPixel(dithered.get(), 1));
    EXPECT_EQ(RGB(255, 255, 0), bitmapPixel(dithered.get(), 2)) << "near yellow becomes yellow";
}

} // namespace
