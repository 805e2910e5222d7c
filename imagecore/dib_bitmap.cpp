// Conversions between DIBs and screen-compatible (device-dependent) bitmaps on the real GDI.
#include "dib_layout.h"
#include "dither_internal.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>

using namespace keldll;

HBITMAP DIBToBitmap(HGLOBAL dib, HPALETTE palette)
{
    if (!dib)
        return nullptr;
    kel::GlobalLocked<BYTE> p(dib);
    if (!p)
        return nullptr;
    kel::WindowDC screen;
    if (!screen)
        return nullptr;
    HBITMAP bitmap;
    {
        kel::RealizedPalette pal(screen.get(), palette);
        bitmap = CreateDIBitmap(screen.get(), reinterpret_cast<BITMAPINFOHEADER*>(p.get()), CBM_INIT,
                                FindDIBBits(p.get()), reinterpret_cast<BITMAPINFO*>(p.get()), DIB_RGB_COLORS);
    }
    if (!bitmap)
        DIBError(9);
    return bitmap;
}

HGLOBAL BitmapToDIB(HBITMAP bitmap, HPALETTE palette)
{
    if (!bitmap)
        return nullptr;
    BITMAP bm{};
    if (!GetObjectA(bitmap, sizeof bm, &bm))
        return nullptr;
    BITMAPINFOHEADER bi;
    InitBitmapInfoHeader(&bi, DWORD(bm.bmWidth), DWORD(bm.bmHeight), bm.bmPlanes * bm.bmBitsPixel);
    const SIZE_T headerBytes = 40 + PaletteSize(&bi);
    kel::GlobalMem dib = kel::GlobalMem::alloc(headerBytes + bi.biSizeImage);
    if (!dib)
        return nullptr;
    kel::GlobalLocked<BYTE> p(dib.get());
    if (!p)
        return nullptr;
    std::memcpy(p.get(), &bi, sizeof bi);
    kel::WindowDC screen;
    kel::RealizedPalette pal(screen.get(), palette);
    if (!GetDIBits(screen.get(), bitmap, 0, UINT(bi.biHeight), p.get() + headerBytes,
                   reinterpret_cast<BITMAPINFO*>(p.get()), DIB_RGB_COLORS))
        return nullptr;
    return dib.release();
}

HGLOBAL DibFromBitmap(HBITMAP bitmap, DWORD compression, WORD bits, HPALETTE palette, UINT usage)
{
    if (!bitmap)
        return nullptr;
    BITMAP bm{};
    if (!GetObjectA(bitmap, sizeof bm, &bm))
        return nullptr;
    if (!palette)
        palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    if (bits == 0)
        bits = WORD(bm.bmPlanes * bm.bmBitsPixel);

    DWORD colours;
    switch (bits) {
    case 1: case 4: case 8: case 24:
        colours = 1u << bits; // 16777216 for 24 bits: PaletteSize then gives an empty table
        break;
    case 2: case 3: case 5: case 6: case 7:
        if (app() && app()->autoDither) {
            bits = 24;
            colours = 0;
            compression = BI_RGB;
        } else {
            bits = 8;
            colours = 256;
        }
        break;
    default:
        bits = 24;
        colours = 0;
        compression = BI_RGB;
        break;
    }

    BITMAPINFOHEADER bi;
    InitBitmapInfoHeader(&bi, DWORD(bm.bmWidth), DWORD(bm.bmHeight), bits);
    bi.biCompression = compression;
    bi.biClrUsed = bi.biClrImportant = colours;
    const SIZE_T headerBytes = 40 + PaletteSize(&bi);

    kel::GlobalMem dib = kel::GlobalMem::alloc(headerBytes);
    if (!dib)
        return nullptr;
    kel::WindowDC screen;
    kel::RealizedPalette pal(screen.get(), palette);
    {
        kel::GlobalLocked<BYTE> p(dib.get());
        if (!p)
            return nullptr;
        std::memcpy(p.get(), &bi, sizeof bi);
        // Let GDI settle the image size (it knows the compressed size) without reading bits.
        GetDIBits(screen.get(), bitmap, 0, UINT(bm.bmHeight), nullptr, reinterpret_cast<BITMAPINFO*>(p.get()), usage);
        std::memcpy(&bi, p.get(), sizeof bi);
    }
    if (bi.biSizeImage == 0) {
        bi.biSizeImage = DWORD(kel::dibRowBytes(DWORD(bm.bmWidth), bits) * DWORD(bm.bmHeight));
        if (compression != BI_RGB)
            bi.biSizeImage = bi.biSizeImage * 3 / 2;
    }
    if (!dib.realloc(headerBytes + bi.biSizeImage))
        return nullptr;
    kel::GlobalLocked<BYTE> p(dib.get());
    if (!p)
        return nullptr;
    // GDI may rewrite the colour counts while answering; the header keeps the values chosen here.
    bi.biClrUsed = bi.biClrImportant = colours;
    std::memcpy(p.get(), &bi, sizeof bi);
    if (!GetDIBits(screen.get(), bitmap, 0, UINT(bm.bmHeight), p.get() + headerBytes,
                   reinterpret_cast<BITMAPINFO*>(p.get()), usage))
        return nullptr;
    auto* h = reinterpret_cast<BITMAPINFOHEADER*>(p.get());
    h->biClrUsed = h->biClrImportant = colours;
    return dib.release();
}

HGLOBAL PMDibFromBitmap(HBITMAP bitmap, DWORD, WORD bits, HPALETTE palette)
{
    if (!bitmap)
        return nullptr;
    BITMAP bm{};
    if (!GetObjectA(bitmap, sizeof bm, &bm))
        return nullptr;
    if (!palette)
        palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    if (bits == 0)
        bits = WORD(bm.bmPlanes * bm.bmBitsPixel);
    BITMAPCOREHEADER bc{sizeof(BITMAPCOREHEADER), WORD(bm.bmWidth), WORD(bm.bmHeight), 1, bits};
    const SIZE_T headerBytes = sizeof bc + PaletteSize(&bc);
    const SIZE_T imageSize = SIZE_T(kel::dibRowBytes(bc.bcWidth, bits) * bc.bcHeight);
    kel::GlobalMem dib = kel::GlobalMem::alloc(headerBytes + imageSize);
    if (!dib)
        return nullptr;
    kel::GlobalLocked<BYTE> p(dib.get());
    if (!p)
        return nullptr;
    std::memcpy(p.get(), &bc, sizeof bc);
    kel::WindowDC screen;
    kel::RealizedPalette pal(screen.get(), palette);
    if (!GetDIBits(screen.get(), bitmap, 0, bc.bcHeight, p.get() + headerBytes, reinterpret_cast<BITMAPINFO*>(p.get()),
                   DIB_RGB_COLORS))
        return nullptr;
    return dib.release();
}

HBITMAP BitmapFromDib(HWND, HGLOBAL dib, HPALETTE palette, int noDither, int autoDither)
{
    if (!dib)
        return nullptr;
    BITMAPINFOHEADER bi;
    if (!DibInfo(dib, &bi))
        return nullptr;

    kel::WindowDC screen;
    const bool paletteDevice = (GetDeviceCaps(screen.get(), RASTERCAPS) & RC_PALETTE) != 0;
    const bool direct = !autoDither || (bi.biClrUsed >= 1 && bi.biClrUsed <= 20) || noDither ||
                        (paletteDevice && bi.biBitCount <= 8);
    kel::GlobalMem dithered;
    if (!direct) {
        dithered.reset(DitherColorDib(nullptr, dib, nullptr, palette, ""));
        // A DIB that already holds exactly the palette's colours needs no dithering: use it.
        if (!dithered && !ditherChangesNothing(dib, nullptr, palette))
            return nullptr;
    }
    HGLOBAL source = dithered ? dithered.get() : dib;

    kel::MemoryDC mem(screen.get());
    kel::GdiObject<HBITMAP> one(CreateCompatibleBitmap(screen.get(), 1, 1));
    if (!mem || !one)
        return nullptr;
    kel::Selected keep(mem.get(), one.get());
    kel::RealizedPalette pal(mem.get(), palette);
    kel::GlobalLocked<BYTE> p(source);
    if (!p)
        return nullptr;
    return CreateDIBitmap(mem.get(), reinterpret_cast<BITMAPINFOHEADER*>(p.get()), CBM_INIT, FindDIBBits(p.get()),
                          reinterpret_cast<BITMAPINFO*>(p.get()), DIB_RGB_COLORS);
}

HBITMAP BitmapFrom24Dib(HWND statusOwner, HGLOBAL dib, HPALETTE palette)
{
    if (!dib)
        return nullptr;
    kel::GlobalLocked<BYTE> p(dib);
    if (!p || DIBBitcount(p.get()) != 24)
        return nullptr;
    const int width = int(DIBWidth(p.get()));
    const int height = int(DIBHeight(p.get()));
    kel::WindowDC screen;
    HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), width, height);
    if (!bitmap)
        return nullptr;

    WORD goOn = 1;
    DisplayStatusBox(statusOwner, &goOn, 0);
    char text[128] = "";
    loadAppString(1084, text, sizeof text);
    setStatusText(1, text);

    const uint64_t row = kel::dibRowBytes(DWORD(width), 24);
    const int strip = height / 100 ? height / 100 : 5;
    {
        kel::RealizedPalette pal(screen.get(), palette);
        for (int start = 0; start < height; start += strip) {
            const int rows = std::min(strip, height - start);
            SetDIBits(screen.get(), bitmap, UINT(start), UINT(rows), FindDIBBits(p.get()) + SIZE_T(row) * start,
                      reinterpret_cast<BITMAPINFO*>(p.get()), DIB_RGB_COLORS);
            if (!UpdateStatus(DWORD(start + 1), DWORD(height)))
                break;
        }
    }
    DestroyStatus();
    return bitmap;
}
