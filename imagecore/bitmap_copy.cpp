// Copies and cuts of device bitmaps.
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>

HBITMAP CropBitmap(HBITMAP bitmap, HPALETTE palette, const RECT* rect, int refWidth, int refHeight)
{
    BITMAP bm{};
    if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return nullptr;
    RECT r = rect ? *rect : RECT{0, 0, 0, 0};
    NormalizeRect(&r);
    int width = r.right - r.left, height = r.bottom - r.top;
    int sx = 0, sy = 0, sw = bm.bmWidth, sh = bm.bmHeight;
    if (width == 0 || height == 0) {
        width = bm.bmWidth;
        height = bm.bmHeight;
    } else {
        // The rectangle is given in a reference size (a window's, or the image's when the
        // bitmap has been made at another size); a reference of 0 means the bitmap's own.
        const double fx = refWidth > 0 ? double(bm.bmWidth) / refWidth : 1.0;
        const double fy = refHeight > 0 ? double(bm.bmHeight) / refHeight : 1.0;
        sx = int(r.left * fx);
        sy = int(r.top * fy);
        sw = std::max(1, int(width * fx));
        sh = std::max(1, int(height * fy));
    }
    kel::GdiObject<HBITMAP> result(CreateBitmap(width, height, bm.bmPlanes, bm.bmBitsPixel, nullptr));
    kel::WindowDC screen;
    kel::MemoryDC from(screen.get()), to(screen.get());
    if (!result || !from || !to)
        return nullptr;
    {
        kel::Selected selFrom(from.get(), bitmap);
        kel::Selected selTo(to.get(), result.get());
        kel::RealizedPalette palFrom(from.get(), palette, TRUE);
        kel::RealizedPalette palTo(to.get(), palette, TRUE);
        SetStretchBltMode(to.get(), COLORONCOLOR);
        if (!StretchBlt(to.get(), 0, 0, width, height, from.get(), sx, sy, sw, sh, SRCCOPY))
            return nullptr;
    }
    return result.release();
}

HBITMAP CopyBitmap(HBITMAP bitmap, HPALETTE palette)
{
    BITMAP bm{};
    if (!bitmap || !GetObjectA(bitmap, sizeof bm, &bm))
        return nullptr;
    const RECT all{0, 0, bm.bmWidth, bm.bmHeight};
    return CropBitmap(bitmap, palette, &all, bm.bmWidth, bm.bmHeight);
}
