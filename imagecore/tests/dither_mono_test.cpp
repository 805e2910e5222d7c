// Black-and-white error diffusion, worked out by hand, and its status box.
#include "keldll.h"
#include "test_dibs.h"
#include "test_support.h"
#include "win_raii.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

using tdib::Colour;
using tdib::Rows;
using tdib::show;

namespace {

class DitherMonoTest : public ::testing::Test {
protected:
    void SetUp() override { InitKelDll(&kt::testApp()); }
};

TEST_F(DitherMonoTest, GreyHalfwayNeedsErrorToTurnWhite)
{
    // Grey 128 everywhere (an 8-bit image). 128 is not above 128: the first pixel is black and
    // passes 32 / 16 ahead, 16 / 8 and the remainder 32 below. Worked through:
    //   row 0: 128 black; 160 white (n -95: -24, -12, -6, remainder -23); 120 black; 146 white.
    //   row 1 errors 27, 1, 13, -16: 155 white; 104 black; 154 white; 99 black.
    kel::GlobalMem dib(tdib::makeIndexed(8, {{128, 128, 128}}, {{0, 0, 0, 0}, {0, 0, 0, 0}}));
    kel::GlobalMem mono(DitherDib(nullptr, dib.get(), nullptr, ""));
    ASSERT_TRUE(mono);
    auto r = tdib::read(mono.get());
    EXPECT_EQ((Rows{{0, 1, 0, 1}, {1, 0, 1, 0}}), r.indices) << show(r.indices);
    EXPECT_EQ(1, r.header.biBitCount);
    EXPECT_EQ(2u, r.header.biClrUsed);
    EXPECT_EQ(2u, r.header.biClrImportant);
    EXPECT_EQ(8u, r.header.biSizeImage);
    ASSERT_EQ(2u, r.table.size());
    EXPECT_TRUE(r.table[0].rgbRed == 0 && r.table[0].rgbGreen == 0 && r.table[0].rgbBlue == 0);
    EXPECT_TRUE(r.table[1].rgbRed == 255 && r.table[1].rgbGreen == 255 && r.table[1].rgbBlue == 255);
    EXPECT_EQ(1, r.table[0].rgbReserved);
    EXPECT_EQ(1, r.table[1].rgbReserved);
}

TEST_F(DitherMonoTest, GreyAboveHalfwayIsMostlyWhite)
{
    kel::GlobalMem dib(tdib::makeIndexed(8, {{129, 129, 129}}, Rows(16, std::vector<int>(16, 0))));
    kel::GlobalMem mono(DitherDib(nullptr, dib.get(), nullptr, nullptr));
    ASSERT_TRUE(mono);
    auto r = tdib::read(mono.get());
    int white = 0;
    for (auto& row : r.indices)
        for (int v : row)
            white += v;
    EXPECT_EQ(1, r.indices[0][0]) << "129 is above 128";
    EXPECT_GT(white, 128) << show(r.indices);
}

TEST_F(DitherMonoTest, WhiteTrueColourStaysWhite)
{
    const Colour w{255, 255, 255};
    kel::GlobalMem dib(tdib::make24(std::vector<std::vector<Colour>>(3, std::vector<Colour>(10, w))));
    kel::GlobalMem mono(DitherDib(nullptr, dib.get(), nullptr, ""));
    ASSERT_TRUE(mono);
    EXPECT_EQ(Rows(3, std::vector<int>(10, 1)), tdib::read(mono.get()).indices);
    kel::GlobalLocked<BYTE> p(mono.get());
    EXPECT_EQ(0xC0, FindDIBBits(p.get())[1]) << "pad bits stay clear";
}

TEST_F(DitherMonoTest, GreysComeFromThePaletteOrTheTable)
{
    // 4-bit source, high nibble first; index 1 is white in the table. A palette argument
    // overrides the table: there index 0 is white and 1 black.
    kel::GlobalMem dib(tdib::makeIndexed(4, {{0, 0, 0}, {255, 255, 255}}, {{1, 0, 0}}));
    kel::GlobalMem fromTable(DitherDib(nullptr, dib.get(), nullptr, ""));
    ASSERT_TRUE(fromTable);
    EXPECT_EQ((Rows{{1, 0, 0}}), tdib::read(fromTable.get()).indices);

    kel::GdiObject<HPALETTE> inverted(tdib::makePalette({{255, 255, 255}, {0, 0, 0}}));
    kel::GlobalMem fromPalette(DitherDib(nullptr, dib.get(), inverted.get(), ""));
    ASSERT_TRUE(fromPalette);
    EXPECT_EQ((Rows{{0, 1, 1}}), tdib::read(fromPalette.get()).indices);
}

TEST_F(DitherMonoTest, RefusesCompressedAndBrokenSources)
{
    EXPECT_EQ(nullptr, DitherDib(nullptr, nullptr, nullptr, ""));
    kel::GlobalMem dib(tdib::makeIndexed(8, {{0, 0, 0}}, {{0, 0}}));
    {
        kel::GlobalLocked<BITMAPINFOHEADER> p(dib.get());
        p->biCompression = BI_RLE8;
    }
    EXPECT_EQ(nullptr, DitherDib(nullptr, dib.get(), nullptr, ""));
    {
        kel::GlobalLocked<BITMAPINFOHEADER> p(dib.get());
        p->biCompression = BI_RGB;
        p->biHeight = 5000; // more rows than the block holds
    }
    EXPECT_EQ(nullptr, DitherDib(nullptr, dib.get(), nullptr, ""));
}

// Cancels the operation at its first progress report, noting the status text shown then.
struct CancelAtFirstProgress {
    static inline WNDPROC original = nullptr;
    static inline HWND bar = nullptr;
    static inline std::string text;
    static inline int reports = 0;
    static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        if (m == PBM_SETPOS && wp > 0 && reports++ == 0) {
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
        reports = 0;
        control = frame.progress();
        original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(control, GWLP_WNDPROC, LONG_PTR(proc)));
    }
    ~CancelAtFirstProgress() { SetWindowLongPtrA(control, GWLP_WNDPROC, LONG_PTR(original)); }
    HWND control;
};

TEST_F(DitherMonoTest, StatusTextAndCancelReturnThePartlyDitheredImage)
{
    kt::StatusFrame frame;
    const Colour w{255, 255, 255};
    kel::GlobalMem dib(tdib::make24(std::vector<std::vector<Colour>>(4, std::vector<Colour>(3, w))));
    {
        CancelAtFirstProgress cancel(frame);
        kel::GlobalMem mono(DitherDib(frame.wnd(), dib.get(), nullptr, "C:\\PICS\\CAT.BMP"));
        ASSERT_TRUE(mono);
        EXPECT_EQ("Dithering to 2 colors, file: C:\\PICS\\CAT.BMP", cancel.text);
        EXPECT_EQ((Rows{{1, 1, 1}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}), tdib::read(mono.get()).indices)
            << "only the first row was made before the cancel";
        EXPECT_EQ("", frame.partText(1)) << "the status box is closed";
        EXPECT_EQ(nullptr, GetStatusWnd());
    }
    {
        CancelAtFirstProgress cancel(frame);
        kel::GlobalMem mono(DitherDib(frame.wnd(), dib.get(), nullptr, ""));
        EXPECT_EQ("Dithering to 2 colors", cancel.text);
    }
}

} // namespace
