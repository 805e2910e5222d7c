// The display helpers that work on an image window and its ImageRecord: origin, scroll ranges,
// fitting the window, titles, undo copies, clipboard formats and save layouts. A stand-in window
// keeps its record the way image windows do (handle and locked pointer in its extra bytes) and
// paints it through the display helpers.
#include "bmp_file.h"
#include "keldll.h"
#include "metafile_picture.h"
#include "test_dibs.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using tdib::Colour;
using tdib::flip;
using Rows = std::vector<std::vector<int>>;
using Pixels = std::vector<std::vector<Colour>>;

namespace {

const Colour R{255, 0, 0}, G{0, 255, 0}, B{0, 0, 255}, W{255, 255, 255}, K{0, 0, 0};

class ImageWindowTest : public ::testing::Test {
protected:
    void SetUp() override { InitKelDll(&kt::testApp()); }
};

LRESULT CALLBACK imageWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A window with an ImageRecord, painting the record's image 1:1 at the top left and, when the
// record has a device bitmap, that bitmap doubled beside it.
class ImageWindow {
public:
    explicit ImageWindow(DWORD style = WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL, int width = 300, int height = 300)
    {
        static bool registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = imageWindowProc;
            wc.cbWndExtra = kRecordWindowBytes;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
            wc.lpszClassName = "KelTestImageWindow";
            return RegisterClassA(&wc) != 0;
        }();
        (void)registered;
        block_ = kel::GlobalMem::alloc(sizeof(ImageRecord));
        record_ = static_cast<ImageRecord*>(GlobalLock(block_.get()));
        wnd_ = CreateWindowA("KelTestImageWindow", "", style, 10, 10, width, height, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
        record_->kind = KIND_IMAGE;
        record_->window = wnd_;
        SetWindowLongPtrA(wnd_, kRecordHandleLong, reinterpret_cast<LONG_PTR>(block_.get()));
        SetWindowLongPtrA(wnd_, kRecordPointerLong, reinterpret_cast<LONG_PTR>(record_));
    }
    ~ImageWindow()
    {
        DestroyWindow(wnd_);
        ImageRecord& r = *record_;
        for (HGLOBAL h : {r.image, r.displayImage, r.undoImage, r.undoDisplayImage, r.header, r.metafile})
            if (reinterpret_cast<UINT_PTR>(h) > 1)
                GlobalFree(h);
        for (HGDIOBJ o : std::initializer_list<HGDIOBJ>{r.palette, r.undoPalette, r.deviceBitmap, r.previousBitmap,
                                                        r.backgroundBrush})
            if (o)
                DeleteObject(o);
        GlobalUnlock(block_.get());
    }
    HWND wnd() const { return wnd_; }
    ImageRecord& record() const { return *record_; }
    // Gives the record an image (owned by the record from now on) with its palette and header.
    void setImage(HGLOBAL dib)
    {
        record_->image = dib;
        record_->palette = CreateDIBPalette(dib);
        record_->header = CopyBitmapInfo(dib);
        kel::GlobalLocked<BYTE> p(dib);
        record_->width = uint16_t(DIBWidth(p.get()));
        record_->height = uint16_t(DIBHeight(p.get()));
        record_->bitsPerPixel = DIBBitcount(p.get());
    }
    SIZE client() const
    {
        RECT rc;
        GetClientRect(wnd_, &rc);
        return SIZE{rc.right, rc.bottom};
    }

private:
    kel::GlobalMem block_;
    ImageRecord* record_ = nullptr;
    HWND wnd_ = nullptr;
};

void paintRecord(HWND wnd, HDC dc)
{
    ImageRecord* r = imageRecordOf(wnd);
    if (!r || !hasImage(*r))
        return;
    kel::RealizedPalette pal(dc, r->palette, TRUE);
    DibBlt(dc, 0, 0, r->width, r->height, r->image, 0, 0, SRCCOPY);
    if (r->deviceBitmap)
        StretchBitmap(dc, r->width + 8, 0, r->deviceBitmap, 2 * r->width, 2 * r->height, SRCCOPY, r->palette);
}

LRESULT CALLBACK imageWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        paintRecord(wnd, dc);
        EndPaint(wnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        paintRecord(wnd, reinterpret_cast<HDC>(wParam));
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

HGLOBAL colourDib(int bits)
{
    return tdib::makeIndexed(bits, {K, R, G, B, W}, flip(Rows{{1, 2, 3, 4}, {4, 3, 2, 1}, {0, 1, 0, 1}}));
}

// ---- Origin, scroll ranges, fitting and titles ------------------------------------------

TEST_F(ImageWindowTest, OriginCentresOnlyWhereTheImageIsSmaller)
{
    ImageWindow window(WS_POPUP, 100, 80);
    const POINT wide = GetOrigin(window.wnd(), 140, 40, 1);
    EXPECT_EQ(0, wide.x) << "an image wider than the window is not centred across";
    EXPECT_EQ(20, wide.y);
    const POINT small = GetOrigin(window.wnd(), 40, 30, 1);
    EXPECT_TRUE(small.x == 30 && small.y == 25) << small.x << "," << small.y;
    const POINT off = GetOrigin(window.wnd(), 40, 30, 0);
    EXPECT_TRUE(off.x == 0 && off.y == 0);
}

struct Range {
    int low, high;
    bool operator==(const Range&) const = default;
};
Range rangeOf(HWND wnd, int bar)
{
    Range r{};
    GetScrollRange(wnd, bar, &r.low, &r.high);
    return r;
}

TEST_F(ImageWindowTest, ScrollRangesAccountForTheBarsTheyBringOrRemove)
{
    ImageWindow window(WS_POPUP | WS_HSCROLL | WS_VSCROLL | WS_VISIBLE, 100, 80);
    const int vbar = GetSystemMetrics(SM_CXVSCROLL), hbar = GetSystemMetrics(SM_CYHSCROLL);

    // Wide only: the horizontal bar shortens the client, still no vertical range.
    SetScrollRanges(window.wnd(), 300, 50);
    EXPECT_EQ((Range{0, 200}), rangeOf(window.wnd(), SB_HORZ));
    EXPECT_EQ((Range{0, 0}), rangeOf(window.wnd(), SB_VERT));
    // Both: each bar narrows the other dimension.
    SetScrollRanges(window.wnd(), 300, 200);
    EXPECT_EQ((Range{0, 300 - (100 - vbar)}), rangeOf(window.wnd(), SB_HORZ));
    EXPECT_EQ((Range{0, 200 - (80 - hbar)}), rangeOf(window.wnd(), SB_VERT));
    // Small: no ranges, the bars go.
    SetScrollRanges(window.wnd(), 50, 40);
    EXPECT_EQ((Range{0, 0}), rangeOf(window.wnd(), SB_HORZ));
    EXPECT_EQ((Range{0, 0}), rangeOf(window.wnd(), SB_VERT));
    EXPECT_EQ(100, window.client().cx);
    EXPECT_EQ(80, window.client().cy);
}

TEST_F(ImageWindowTest, ScrollPositionsBeyondTheNewRangeRepaintTheWindow)
{
    ImageWindow window(WS_POPUP | WS_HSCROLL | WS_VSCROLL | WS_VISIBLE, 100, 80);
    SetScrollRanges(window.wnd(), 300, 200);
    UpdateWindow(window.wnd());
    SetScrollPos(window.wnd(), SB_HORZ, 10, FALSE);
    ValidateRect(window.wnd(), nullptr);
    SetScrollRanges(window.wnd(), 290, 200); // position 10 still inside
    EXPECT_FALSE(GetUpdateRect(window.wnd(), nullptr, FALSE));
    SetScrollPos(window.wnd(), SB_HORZ, 150, FALSE);
    ValidateRect(window.wnd(), nullptr);
    SetScrollRanges(window.wnd(), 200, 200); // range now 0..100 + bar: position 150 beyond
    EXPECT_TRUE(GetUpdateRect(window.wnd(), nullptr, FALSE));
}

TEST_F(ImageWindowTest, SizeWindowFitsTheClientAreaToTheImage)
{
    ImageWindow window;
    ShowWindow(window.wnd(), SW_SHOWNORMAL);
    Rows rows(90, std::vector<int>(120, 2));
    window.setImage(tdib::makeIndexed(8, {K, R, G}, rows));
    window.record().width = window.record().height = 0; // SizeWindow takes the size from the image
    window.record().selectable = 1;
    std::strcpy(window.record().file, "C:\\PICS\\BOAT.BMP");
    std::strcpy(window.record().formatText, "BMP");
    SizeWindow(window.wnd());
    EXPECT_EQ(120, window.client().cx);
    EXPECT_EQ(90, window.client().cy);
    EXPECT_EQ(120, window.record().width);
    EXPECT_EQ(90, window.record().height);
    EXPECT_TRUE(IsWindowVisible(window.wnd()));
    char title[128];
    GetWindowTextA(window.wnd(), title, sizeof title);
    EXPECT_STREQ("BOAT.BMP (120x90x256 BMP)", title);
}

TEST_F(ImageWindowTest, TitlesNameFileSizeColoursAndFormat)
{
    struct Case {
        int selectable, bits;
        const char* file;
        const char* format;
        const char* title;
    } cases[] = {
        {1, 1, "C:\\SCANS\\FAX.PCX", "PCX", "FAX.PCX (640x480x2 PCX)"},
        {1, 4, "A:B.GIF", "GIF", "B.GIF (640x480x16 GIF)"},
        {1, 8, "PLAIN.BMP", "BMP", "PLAIN.BMP (640x480x256 BMP)"},
        {1, 24, "D:\\X\\PHOTO.JPG", "JPEG", "PHOTO.JPG (640x480x>256 JPEG)"},
        {0, 8, "D:\\X\\MOVIE.FLC", "FLC", "Kelgrove "},
    };
    ImageWindow window;
    for (const Case& c : cases) {
        ImageRecord& r = window.record();
        r.selectable = c.selectable;
        r.bitsPerPixel = uint16_t(c.bits);
        r.width = 640;
        r.height = 480;
        std::strcpy(r.file, c.file);
        std::strcpy(r.formatText, c.format);
        DisplayTitle(window.wnd());
        char title[128];
        GetWindowTextA(window.wnd(), title, sizeof title);
        EXPECT_STREQ(c.title, title);
    }
}

// ---- Undo ---------------------------------------------------------------------------------

std::vector<BYTE> bytesOf(HGLOBAL h)
{
    kel::GlobalLocked<BYTE> p(h);
    return std::vector<BYTE>(p.get(), p.get() + GlobalSize(h));
}

TEST_F(ImageWindowTest, SaveUndoInfoKeepsCopiesOfWhatAnEditReplaces)
{
    ImageWindow window(WS_POPUP, 64, 48);
    window.setImage(colourDib(8));
    ImageRecord& r = window.record();
    DeleteObject(r.palette);
    r.palette = tdib::makePalette({K, R, G, B, W}, PC_NOCOLLAPSE);
    r.displayImage = colourDib(4);
    r.deviceBitmap = DIBToBitmap(r.image, r.palette);
    r.metafile = GlobalAlloc(GHND, sizeof(MetafilePicture));
    {
        kel::GlobalLocked<MetafilePicture> mf(r.metafile);
        mf->viewportExtX = 11, mf->viewportExtY = 12, mf->viewportOrgX = 13, mf->viewportOrgY = 14;
        mf->windowExtX = 15, mf->windowExtY = 16, mf->windowOrgX = 17, mf->windowOrgY = 18;
    }
    EXPECT_EQ(1, SaveUndoInfo(window.wnd(), &r));
    ASSERT_TRUE(r.undoImage);
    EXPECT_NE(r.image, r.undoImage);
    EXPECT_EQ(bytesOf(r.image), bytesOf(r.undoImage));
    ASSERT_TRUE(r.undoDisplayImage);
    EXPECT_EQ(bytesOf(r.displayImage), bytesOf(r.undoDisplayImage));
    ASSERT_TRUE(r.undoPalette);
    const auto entries = tdib::entries(r.undoPalette);
    ASSERT_EQ(5u, entries.size());
    EXPECT_EQ(PC_NOCOLLAPSE, entries[2].peFlags) << "the palette's flags are kept";
    EXPECT_EQ(255, entries[2].peGreen);
    ASSERT_TRUE(r.previousBitmap);
    EXPECT_NE(r.deviceBitmap, r.previousBitmap);
    EXPECT_EQ(1, r.modified);
    const int32_t view[8] = {11, 12, 13, 14, 15, 16, 17, 18};
    EXPECT_EQ(0, std::memcmp(view, r.savedMetafileView, sizeof view));
    EXPECT_TRUE(r.savedClientRect.right == 64 && r.savedClientRect.bottom == 48);

    // A second edit replaces the saved state with the current one.
    kel::GlobalMem other(colourDib(8));
    {
        kel::GlobalLocked<BYTE> p(r.image);
        FindDIBBits(p.get())[0] = 4;
    }
    SaveUndoInfo(window.wnd(), &r);
    EXPECT_EQ(bytesOf(r.image), bytesOf(r.undoImage));

    // No image (the handle value 1): nothing to copy.
    GlobalFree(r.image);
    r.image = reinterpret_cast<HGLOBAL>(1);
    SaveUndoInfo(window.wnd(), &r);
    EXPECT_EQ(nullptr, r.undoImage);
    r.image = nullptr;
}

// ---- Clipboard formats --------------------------------------------------------------------

Pixels drawnBitmap(HBITMAP bitmap)
{
    BITMAP bm{};
    GetObjectA(bitmap, sizeof bm, &bm);
    BITMAPINFOHEADER bi{40, bm.bmWidth, bm.bmHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<BYTE> bits(tdib::rowBytes(bm.bmWidth, 24) * size_t(bm.bmHeight));
    kel::WindowDC screen;
    GetDIBits(screen.get(), bitmap, 0, UINT(bm.bmHeight), bits.data(), reinterpret_cast<BITMAPINFO*>(&bi),
              DIB_RGB_COLORS);
    Pixels out;
    for (int y = bm.bmHeight - 1; y >= 0; --y) {
        std::vector<Colour> line;
        for (int x = 0; x < bm.bmWidth; ++x) {
            const BYTE* px = bits.data() + tdib::rowBytes(bm.bmWidth, 24) * size_t(y) + 3 * size_t(x);
            line.push_back(Colour{px[2], px[1], px[0]});
        }
        out.push_back(line);
    }
    return out;
}

// What a metafile picture shows when played into a `width` x `height` bitmap.
Pixels played(HGLOBAL pictureBlock, int width, int height)
{
    kel::GlobalLocked<METAFILEPICT> mfp(pictureBlock);
    kel::WindowDC screen;
    kel::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    {
        kel::MemoryDC mem(screen.get());
        kel::Selected sel(mem.get(), bitmap.get());
        SetMapMode(mem.get(), MM_ANISOTROPIC);
        SetViewportExtEx(mem.get(), width, height, nullptr);
        PlayMetaFile(mem.get(), mfp->hMF);
    }
    return drawnBitmap(bitmap.get());
}

TEST_F(ImageWindowTest, RenderedFormatsShowTheMarquee)
{
    ImageWindow window;
    window.setImage(colourDib(8)); // displayed: R G B W / W B G R / K R K R
    ImageRecord& r = window.record();
    r.backgroundBrush = CreateSolidBrush(RGB(0, 0, 0));
    r.marquee = RECT{1, 0, 3, 2};

    kel::GlobalMem dib(static_cast<HGLOBAL>(RenderFormat(&r, CF_DIB, 4, 3)));
    ASSERT_TRUE(dib);
    EXPECT_EQ(flip(Rows{{2, 3}, {3, 2}}), tdib::read(dib.get()).indices);

    kel::GdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(RenderFormat(&r, CF_BITMAP, 4, 3)));
    ASSERT_TRUE(bitmap) << "made from the image when the window has no device bitmap";
    EXPECT_EQ((Pixels{{G, B}, {B, G}}), drawnBitmap(bitmap.get()));

    kel::GlobalMem picture(static_cast<HGLOBAL>(RenderFormat(&r, CF_METAFILEPICT, 4, 3)));
    ASSERT_TRUE(picture);
    {
        kel::GlobalLocked<METAFILEPICT> mfp(picture.get());
        EXPECT_EQ(MM_ANISOTROPIC, mfp->mm);
        EXPECT_GT(mfp->xExt, 0);
        EXPECT_GT(mfp->yExt, 0);
        ASSERT_TRUE(mfp->hMF);
    }
    EXPECT_EQ((Pixels{{G, B}, {B, G}}), played(picture.get(), 2, 2));
    DeleteMetaFile(kel::GlobalLocked<METAFILEPICT>(picture.get())->hMF);

    // With a device bitmap the cut comes from it, the marquee given in the reference size.
    r.deviceBitmap = DIBToBitmap(r.image, r.palette);
    r.marquee = RECT{0, 4, 4, 6}; // in a reference twice the image's size: display row 2, columns 0..1
    kel::GdiObject<HBITMAP> cut(static_cast<HBITMAP>(RenderFormat(&r, CF_BITMAP, 8, 6)));
    ASSERT_TRUE(cut);
    EXPECT_EQ((Pixels{{K, K, R, R}, {K, K, R, R}}), drawnBitmap(cut.get()));

    // An empty marquee is the whole image.
    r.marquee = RECT{};
    kel::GlobalMem all(static_cast<HGLOBAL>(RenderFormat(&r, CF_DIB, 4, 3)));
    ASSERT_TRUE(all);
    EXPECT_EQ(tdib::read(r.image).indices, tdib::read(all.get()).indices);

    EXPECT_EQ(nullptr, RenderFormat(&r, CF_TEXT, 4, 3));
}

TEST_F(ImageWindowTest, RenderedPaletteHasEveryFlagCleared)
{
    ImageWindow window;
    window.setImage(colourDib(8));
    ImageRecord& r = window.record();
    DeleteObject(r.palette);
    r.palette = tdib::makePalette({K, R, G}, PC_RESERVED | PC_NOCOLLAPSE);
    kel::GdiObject<HPALETTE> copy(static_cast<HPALETTE>(RenderFormat(&r, CF_PALETTE, 0, 0)));
    ASSERT_TRUE(copy);
    const auto entries = tdib::entries(copy.get());
    ASSERT_EQ(3u, entries.size());
    for (const PALETTEENTRY& e : entries)
        EXPECT_EQ(0, e.peFlags);
    EXPECT_EQ(255, entries[1].peRed);
}

TEST_F(ImageWindowTest, MetafileOfAVectorImageKeepsOnlyTheRectangle)
{
    // A picture of 100 x 100 logical units, left half red and right half green, shown at
    // 10 x 10 pixels. Pixels (5, 0)-(10, 10) are logical (50, 0)-(100, 100): all green.
    HDC recorder = CreateMetaFileA(nullptr);
    kel::GdiObject<HBRUSH> red(CreateSolidBrush(RGB(255, 0, 0))), green(CreateSolidBrush(RGB(0, 255, 0)));
    const RECT left{0, 0, 50, 100}, right{50, 0, 100, 100};
    FillRect(recorder, &left, red.get());
    FillRect(recorder, &right, green.get());
    HMETAFILE source = CloseMetaFile(recorder);
    ASSERT_TRUE(source);

    ImageWindow window;
    ImageRecord& r = window.record();
    r.metafile = GlobalAlloc(GHND, sizeof(MetafilePicture));
    {
        kel::GlobalLocked<MetafilePicture> mf(r.metafile);
        mf->pixelWidth = mf->pixelHeight = 10;
        mf->viewportExtX = mf->viewportExtY = 10;
        mf->windowExtX = mf->windowExtY = 100;
        mf->metafile = source;
        METAFILEPICT picture{MM_ANISOTROPIC, 100, 100, source};
        std::memcpy(reinterpret_cast<char*>(mf.get()) + offsetof(MetafilePicture, picture), &picture, sizeof picture);
    }
    const RECT area{5, 0, 10, 10};
    kel::GlobalMem block(GetMF(&r, &area));
    ASSERT_TRUE(block);
    EXPECT_EQ(Pixels(4, std::vector<Colour>(4, G)), played(block.get(), 4, 4));
    DeleteMetaFile(kel::GlobalLocked<METAFILEPICT>(block.get())->hMF);
    DeleteMetaFile(source);
}

// ---- Save layouts -------------------------------------------------------------------------

TEST_F(ImageWindowTest, RealizeDibFormatMakesEachLayout)
{
    ImageWindow window;
    window.setImage(colourDib(8));
    ImageRecord& r = window.record();
    const Rows pixels = tdib::read(r.image).indices;

    // The same layout: a copy.
    kel::GlobalMem same(RealizeDibFormat(nullptr, &r, 0, 8, 0));
    ASSERT_TRUE(same);
    EXPECT_NE(r.image, same.get());
    EXPECT_EQ(bytesOf(r.image), bytesOf(same.get()));

    // RLE8: encoded, and it expands back to the image.
    kel::GlobalMem rle(RealizeDibFormat(nullptr, &r, 1, 8, 0));
    ASSERT_TRUE(rle);
    EXPECT_EQ(DWORD(BI_RLE8), tdib::read(rle.get()).header.biCompression);
    kel::GlobalMem expanded(RLEtoRGB(rle.get(), r.header));
    ASSERT_TRUE(expanded);
    EXPECT_EQ(pixels, tdib::read(expanded.get()).indices);
    EXPECT_TRUE(r.deviceBitmap) << "the window now has its device bitmap";

    // OS/2: a core header at the asked depth.
    kel::GlobalMem os2(RealizeDibFormat(nullptr, &r, 3, 8, 0));
    ASSERT_TRUE(os2);
    {
        kel::GlobalLocked<BITMAPCOREHEADER> p(os2.get());
        EXPECT_EQ(12u, p->bcSize);
        EXPECT_EQ(8, p->bcBitCount);
        EXPECT_EQ(4, p->bcWidth);
        EXPECT_EQ(3, p->bcHeight);
    }

    // Another depth: through the device bitmap, onto the palette.
    kel::GlobalMem rgb(RealizeDibFormat(nullptr, &r, 0, 24, 0));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(flip(Pixels{{R, G, B, W}, {W, B, G, R}, {K, R, K, R}}), tdib::read24(rgb.get()));
}

TEST_F(ImageWindowTest, RealizeDibFormatSavesTheWholeImageWhateverTheMarquee)
{
    ImageWindow window;
    window.setImage(colourDib(8));
    ImageRecord& r = window.record();
    r.marquee = RECT{1, 1, 3, 2};
    kel::GlobalMem rgb(RealizeDibFormat(nullptr, &r, 0, 24, 0));
    ASSERT_TRUE(rgb);
    EXPECT_EQ(flip(Pixels{{R, G, B, W}, {W, B, G, R}, {K, R, K, R}}), tdib::read24(rgb.get()));
    EXPECT_EQ(1, r.marquee.left) << "the marquee is left as it was";
}

TEST_F(ImageWindowTest, RealizeDibFormatExpandsARunLengthImageForPlainRgb)
{
    ImageWindow window;
    kel::GlobalMem plain(colourDib(8));
    const Rows pixels = tdib::read(plain.get()).indices;
    window.setImage(RGBtoRLE(nullptr, plain.get(), 1, 0));
    ImageRecord& r = window.record();
    ASSERT_NE(plain.get(), r.image);
    kel::GlobalMem out(RealizeDibFormat(nullptr, &r, 0, 8, 0));
    ASSERT_TRUE(out);
    auto got = tdib::read(out.get());
    EXPECT_EQ(DWORD(BI_RGB), got.header.biCompression);
    EXPECT_EQ(pixels, got.indices);
}

// ---- On screen ----------------------------------------------------------------------------

// A test card: colour bars, a grey ramp and a diagonal, 96 x 64 at 8 bits.
HGLOBAL testCard()
{
    std::vector<Colour> table = {R, G, B, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}, W, K};
    for (int i = 0; i < 16; ++i)
        table.push_back(Colour{uint8_t(i * 17), uint8_t(i * 17), uint8_t(i * 17)});
    Rows rows(64, std::vector<int>(96));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 96; ++x) {
            const int top = 63 - y; // displayed row
            int v = top < 40 ? x / 12 : 8 + x / 6;
            if (std::abs(x - top * 3 / 2) < 2)
                v = 7;
            rows[size_t(y)][size_t(x)] = v;
        }
    return tdib::makeIndexed(8, table, rows);
}

TEST_F(ImageWindowTest, PaintedWindowShowsTheImage)
{
    ImageWindow window(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 340, 200);
    window.setImage(testCard());
    ImageRecord& r = window.record();
    r.deviceBitmap = DIBToBitmap(r.image, r.palette);
    r.selectable = 1;
    std::strcpy(r.file, "C:\\CARDS\\TESTCARD.BMP");
    std::strcpy(r.formatText, "BMP");
    DisplayTitle(window.wnd());
    UpdateWindow(window.wnd());

    // The window's own drawing of its client area, captured.
    const SIZE client = window.client();
    BITMAPINFOHEADER bi{40, client.cx, client.cy, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    kel::GdiObject<HBITMAP> shot(
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        kel::MemoryDC mem(nullptr);
        kel::Selected sel(mem.get(), shot.get());
        ASSERT_TRUE(PrintWindow(window.wnd(), mem.get(), PW_CLIENTONLY));
    }
    GdiFlush();
    auto at = [&](int x, int y) {
        const BYTE* px = static_cast<BYTE*>(bits) + tdib::rowBytes(client.cx, 24) * size_t(client.cy - 1 - y) + 3 * size_t(x);
        return Colour{px[2], px[1], px[0]};
    };
    // 1:1 through DibBlt: the bars, the ramp, the diagonal.
    EXPECT_EQ(R, at(5, 5));
    EXPECT_EQ(B, at(30, 5));
    EXPECT_EQ(W, at(78, 30));
    EXPECT_EQ((Colour{17, 17, 17}), at(7, 50));
    EXPECT_EQ(K, at(30, 20)) << "on the diagonal";
    // Doubled through StretchBitmap beside it.
    EXPECT_EQ(R, at(104 + 10, 10));
    EXPECT_EQ(B, at(104 + 60, 10));
    EXPECT_EQ(K, at(104 + 60, 40)) << "on the doubled diagonal";

    // The whole window as the screen shows it, title included, kept for a look when asked for.
    if (const char* keep = std::getenv("KEL_SCREENSHOT")) {
        SetForegroundWindow(window.wnd());
        RedrawWindow(window.wnd(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        kt::pumpUntil([] { return false; }, 300); // let the frame and title be drawn
        RECT rc;
        GetWindowRect(window.wnd(), &rc);
        kel::WindowDC screen;
        kel::GdiObject<HBITMAP> whole(CreateCompatibleBitmap(screen.get(), rc.right - rc.left, rc.bottom - rc.top));
        {
            kel::MemoryDC mem(screen.get());
            kel::Selected sel(mem.get(), whole.get());
            BitBlt(mem.get(), 0, 0, rc.right - rc.left, rc.bottom - rc.top, screen.get(), rc.left, rc.top, SRCCOPY);
        }
        kel::GlobalMem dib(BitmapToDIB(whole.get(), nullptr));
        std::string error;
        EXPECT_TRUE(pipeline::writeBmpFile(keep, dib.get(), &error)) << error;
    }
}

} // namespace
