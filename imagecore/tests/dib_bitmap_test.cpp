// DIBs and device bitmaps on the real GDI, and metafiles rendered into DIBs.
#include "keldll.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class GdiTest : public ::testing::Test {
protected:
    void SetUp() override { InitKelDll(&kt::testApp()); }
};

// A 24-bit DIB whose pixel (x, y) (top-down) is a colour computed from its position.
COLORREF colourAt(int x, int y) { return RGB((x * 37) & 255, (y * 53) & 255, (x * y * 11) & 255); }

HGLOBAL make24(int w, int h)
{
    BITMAPINFOHEADER bi;
    InitBitmapInfoHeader(&bi, w, h, 24);
    HGLOBAL dib = GlobalAlloc(GHND, 40 + bi.biSizeImage);
    BYTE* p = static_cast<BYTE*>(GlobalLock(dib));
    std::memcpy(p, &bi, 40);
    const int row = ((w * 24 + 31) / 32) * 4;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            BYTE* px = p + 40 + (h - 1 - y) * row + 3 * x;
            COLORREF c = colourAt(x, y);
            px[0] = GetBValue(c), px[1] = GetGValue(c), px[2] = GetRValue(c);
        }
    GlobalUnlock(dib);
    return dib;
}

// Reads a bitmap's pixel through a 24-bit GetDIBits (exact on the 24/32-bit screens we test on).
COLORREF bitmapPixel(HBITMAP bm, int x, int y)
{
    BITMAP b;
    GetObjectA(bm, sizeof b, &b);
    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{40, b.bmWidth, -b.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> px(size_t(b.bmWidth) * b.bmHeight);
    kel::WindowDC screen;
    GetDIBits(screen.get(), bm, 0, UINT(b.bmHeight), px.data(), &bi, DIB_RGB_COLORS);
    DWORD v = px[size_t(y) * b.bmWidth + x];
    return RGB((v >> 16) & 255, (v >> 8) & 255, v & 255);
}

TEST_F(GdiTest, DibToBitmapAndBackIsExactAt24Bits)
{
    kel::GlobalMem dib(make24(7, 5));
    kel::GdiObject<HBITMAP> bm(DIBToBitmap(dib.get(), nullptr));
    ASSERT_TRUE(bm);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            ASSERT_EQ(colourAt(x, y), bitmapPixel(bm.get(), x, y)) << x << "," << y;

    kel::GlobalMem back(DibFromBitmap(bm.get(), BI_RGB, 24, nullptr, DIB_RGB_COLORS));
    ASSERT_TRUE(back);
    kel::GlobalLocked<BYTE> a(dib.get()), b(back.get());
    auto* bi = reinterpret_cast<BITMAPINFOHEADER*>(b.get());
    EXPECT_EQ(16777216u, bi->biClrUsed);
    EXPECT_EQ(b.get() + 40, FindDIBBits(b.get())) << "empty colour table after the header";
    EXPECT_EQ(0, std::memcmp(FindDIBBits(a.get()), FindDIBBits(b.get()), 5 * 24));
}

TEST_F(GdiTest, DibFromBitmapChoosesDepthFromTheRequest)
{
    kel::GlobalMem dib(make24(8, 8));
    kel::GdiObject<HBITMAP> bm(DIBToBitmap(dib.get(), nullptr));
    ASSERT_TRUE(bm);
    struct {
        WORD requested, bits;
        DWORD colours;
    } cases[] = {{1, 1, 2}, {4, 4, 16}, {8, 8, 256}, {3, 8, 256}, {16, 24, 0}, {32, 24, 0}};
    for (auto c : cases) {
        kel::GlobalMem d(DibFromBitmap(bm.get(), BI_RGB, c.requested, nullptr, DIB_RGB_COLORS));
        ASSERT_TRUE(d) << c.requested;
        kel::GlobalLocked<BYTE> p(d.get());
        EXPECT_EQ(c.bits, DIBBitcount(p.get())) << c.requested;
        EXPECT_EQ(c.colours, reinterpret_cast<BITMAPINFOHEADER*>(p.get())->biClrUsed) << c.requested;
    }
    kt::testApp().autoDither = 1;
    kel::GlobalMem d(DibFromBitmap(bm.get(), BI_RGB, 3, nullptr, DIB_RGB_COLORS));
    kt::testApp().autoDither = 0;
    ASSERT_TRUE(d);
    kel::GlobalLocked<BYTE> p(d.get());
    EXPECT_EQ(24, DIBBitcount(p.get())) << "odd depths become 24 bits under auto dither";
}

TEST_F(GdiTest, BitmapToDibAndPmDibKeepThePixels)
{
    kel::GlobalMem dib(make24(6, 3));
    kel::GdiObject<HBITMAP> bm(DIBToBitmap(dib.get(), nullptr));
    ASSERT_TRUE(bm);

    kel::GlobalMem plain(BitmapToDIB(bm.get(), nullptr));
    ASSERT_TRUE(plain);
    kel::GlobalMem pm(PMDibFromBitmap(bm.get(), 0, 24, nullptr));
    ASSERT_TRUE(pm);
    kel::GlobalLocked<BYTE> a(dib.get()), b(plain.get()), c(pm.get());
    EXPECT_EQ(12u, *reinterpret_cast<DWORD*>(c.get()));
    EXPECT_EQ(6u, DIBWidth(c.get()));
    EXPECT_EQ(3u, DIBHeight(c.get()));
    EXPECT_EQ(0, std::memcmp(FindDIBBits(a.get()), FindDIBBits(c.get()), 3 * 20));
    EXPECT_EQ(0, std::memcmp(FindDIBBits(a.get()), FindDIBBits(b.get()), 3 * 20));
}

TEST_F(GdiTest, BitmapFromDibAndStripwiseBitmapFrom24Dib)
{
    kel::GlobalMem dib(make24(9, 230)); // strips of 2 rows, the last one short
    kel::GdiObject<HBITMAP> direct(BitmapFromDib(nullptr, dib.get(), nullptr, 0, 0));
    kel::GdiObject<HBITMAP> strips(BitmapFrom24Dib(nullptr, dib.get(), nullptr));
    ASSERT_TRUE(direct);
    ASSERT_TRUE(strips);
    for (int y = 0; y < 230; y += 13)
        for (int x = 0; x < 9; x += 2) {
            ASSERT_EQ(colourAt(x, y), bitmapPixel(direct.get(), x, y)) << x << "," << y;
            ASSERT_EQ(colourAt(x, y), bitmapPixel(strips.get(), x, y)) << x << "," << y;
        }
    BITMAPINFOHEADER bi;
    InitBitmapInfoHeader(&bi, 2, 2, 8);
    kel::GlobalMem eight(GlobalAlloc(GHND, 40 + 1024 + 8));
    std::memcpy(GlobalLock(eight.get()), &bi, 40);
    GlobalUnlock(eight.get());
    EXPECT_EQ(nullptr, BitmapFrom24Dib(nullptr, eight.get(), nullptr)) << "only 24-bit DIBs";
}

TEST_F(GdiTest, DibToBitmapFailureShowsDibError9)
{
    BITMAPINFOHEADER bi;
    InitBitmapInfoHeader(&bi, 4, 4, 24);
    bi.biBitCount = 7; // no device bitmap can be made from this
    kel::GlobalMem dib(GlobalAlloc(GHND, 40 + 64));
    std::memcpy(GlobalLock(dib.get()), &bi, 40);
    GlobalUnlock(dib.get());
    kt::DialogAnswerer answer(IDOK);
    EXPECT_EQ(nullptr, DIBToBitmap(dib.get(), nullptr));
    ASSERT_EQ(1u, answer.shown().size());
    EXPECT_EQ("Error creating Device Dependent Bitmap", answer.shown()[0].text);
}

// A memory metafile: an optional palette, then a red rectangle over the left half of 0..100.
HMETAFILE redHalfMetafile(int palettes)
{
    HDC mf = CreateMetaFileA(nullptr);
    for (int i = 0; i < palettes; ++i) {
        struct {
            WORD version, count;
            PALETTEENTRY pe[2];
        } lp{0x300, 2, {{BYTE(10 * (i + 1)), 0, 0, 0}, {0, BYTE(20 * (i + 1)), 0, 0}}};
        HPALETTE pal = CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp));
        SelectPalette(mf, pal, FALSE);
        DeleteObject(pal);
    }
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    SelectObject(mf, red);
    SelectObject(mf, GetStockObject(NULL_PEN));
    Rectangle(mf, 0, 0, 51, 101);
    DeleteObject(red);
    return CloseMetaFile(mf);
}

TEST_F(GdiTest, DibFromMetaFileRendersAtTheViewportSize)
{
    METAFILEPICT mfp{MM_ANISOTROPIC, 100, 100, redHalfMetafile(0)};
    kel::GdiObject<HBRUSH> white(CreateSolidBrush(RGB(255, 255, 255)));
    kel::GlobalMem dib(DibFromMetaFile(&mfp, 0, 0, 0, 0, 40, 20, 0, 0, white.get(), DIB_RGB_COLORS));
    DeleteMetaFile(mfp.hMF);
    ASSERT_TRUE(dib);
    kel::GlobalLocked<BYTE> p(dib.get());
    ASSERT_EQ(40u, DIBWidth(p.get()));
    ASSERT_EQ(20u, DIBHeight(p.get()));
    kel::GdiObject<HBITMAP> bm(DIBToBitmap(dib.get(), nullptr));
    EXPECT_EQ(RGB(255, 0, 0), bitmapPixel(bm.get(), 5, 10));
    EXPECT_EQ(RGB(255, 255, 255), bitmapPixel(bm.get(), 35, 10));
}

TEST_F(GdiTest, MetaFilePaletteIsTheLastOneCreated)
{
    METAFILEPICT none{MM_ANISOTROPIC, 100, 100, redHalfMetafile(0)};
    METAFILEPICT two{MM_ANISOTROPIC, 100, 100, redHalfMetafile(2)};
    kel::WindowDC dc;
    EXPECT_EQ(nullptr, GetMetaFilePalette(0, dc.get(), &none));
    kel::GdiObject<HPALETTE> pal(GetMetaFilePalette(0, dc.get(), &two));
    ASSERT_TRUE(pal);
    PALETTEENTRY pe[2];
    ASSERT_EQ(2u, GetPaletteEntries(pal.get(), 0, 2, pe));
    EXPECT_EQ(20, pe[0].peRed);
    EXPECT_EQ(40, pe[1].peGreen);
    DeleteMetaFile(none.hMF);
    DeleteMetaFile(two.hMF);
}

TEST_F(GdiTest, MetaFileDimensionsByMappingMode)
{
    kel::WindowDC dc;
    const int hr = GetDeviceCaps(dc.get(), HORZRES), vr = GetDeviceCaps(dc.get(), VERTRES);
    const int hs = GetDeviceCaps(dc.get(), HORZSIZE), vs = GetDeviceCaps(dc.get(), VERTSIZE);
    POINT pt{-7, -7};
    METAFILEPICT mfp{0, 500, 300, nullptr};
    GetMetaFileDimensions(nullptr, &mfp, &pt, 640, 480);
    EXPECT_EQ(-7, pt.x) << "mode 0 leaves the point untouched";
    EXPECT_EQ(-7, pt.y);

    mfp = {MM_ANISOTROPIC, 0, 0, nullptr};
    GetMetaFileDimensions(nullptr, &mfp, &pt, 640, 480);
    EXPECT_EQ(640, pt.x);
    EXPECT_EQ(480, pt.y);

    mfp = {MM_ISOTROPIC, 5000, 2500, nullptr}; // 50 x 25 mm
    GetMetaFileDimensions(nullptr, &mfp, &pt, 640, 480);
    EXPECT_EQ(hr * 5000 / hs / 100, pt.x);
    EXPECT_EQ(2500 * vr / vs / 100, pt.y);

    mfp = {MM_TEXT, 33, 44, nullptr};
    GetMetaFileDimensions(nullptr, &mfp, &pt, 640, 480);
    EXPECT_EQ(33, pt.x);
    EXPECT_EQ(44, pt.y);
}

} // namespace
