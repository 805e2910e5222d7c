// An image window's clipboard formats: device bitmap, metafile picture, DIB and palette, each of
// the marquee (or the whole image when the marquee is empty).
#include "image_record.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "metafile_picture.h"
#include "win_raii.h"

using namespace keldll;

namespace {

// The marquee, or the whole image when it is empty.
RECT areaOf(const ImageRecord& record, const RECT* rect)
{
    RECT area = rect ? *rect : RECT{};
    NormalizeRect(&area);
    if (IsRectEmpty(&area)) {
        const SIZE size = recordImageSize(record);
        area = RECT{0, 0, size.cx, size.cy};
    }
    return area;
}

HBITMAP bitmapFromImage(const ImageRecord& record)
{
    int bits = 0;
    {
        kel::GlobalLocked<BYTE> p(record.image);
        if (!p)
            return nullptr;
        bits = DIBBitcount(p.get());
    }
    HWND frame = app() ? app()->frameWnd : nullptr;
    if (bits == 24)
        return BitmapFrom24Dib(frame, record.image, record.palette);
    return BitmapFromDib(frame, record.image, record.palette, 0, app() ? app()->autoDither : 0);
}

// The area of a raster image drawn over the background brush into a screen-compatible bitmap.
HBITMAP rasterArea(const ImageRecord& record, const RECT& area)
{
    const int w = area.right - area.left, h = area.bottom - area.top;
    kel::WindowDC screen;
    kel::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), w, h));
    kel::MemoryDC mem(screen.get());
    if (!bitmap || !mem)
        return nullptr;
    kel::Selected sel(mem.get(), bitmap.get());
    kel::RealizedPalette pal(mem.get(), record.palette, TRUE);
    const RECT all{0, 0, w, h};
    if (record.backgroundBrush)
        FillRect(mem.get(), &all, record.backgroundBrush);
    if (hasImage(record)) {
        kel::GlobalMem cut(CropDIB(record.image, &area, record.palette, record.backgroundBrush, DIB_RGB_COLORS));
        if (!cut)
            return nullptr;
        DibBlt(mem.get(), 0, 0, w, h, cut.get(), 0, 0, SRCCOPY);
    } else if (record.deviceBitmap) {
        BITMAP bm{};
        GetObjectA(record.deviceBitmap, sizeof bm, &bm);
        kel::GdiObject<HBITMAP> cut(CropBitmap(record.deviceBitmap, record.palette, &area, bm.bmWidth, bm.bmHeight));
        if (!cut)
            return nullptr;
        DrawBitmap(mem.get(), 0, 0, cut.get(), SRCCOPY);
    }
    return bitmap.release();
}

} // namespace

HGLOBAL GetMF(ImageRecord* record, const RECT* rect)
{
    if (!record)
        return nullptr;
    const RECT area = areaOf(*record, rect);
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0)
        return nullptr;

    HMETAFILE made = nullptr;
    if (record->metafile) {
        kel::GlobalLocked<MetafilePicture> mf(record->metafile);
        if (!mf)
            return nullptr;
        HMETAFILE source = kel::pictureOf(*mf.get()).hMF;
        if (!source)
            source = mf->metafile;
        // Screen pixels of the picture back to its own logical units through its stored view.
        const int vx = mf->viewportExtX ? mf->viewportExtX : mf->windowExtX;
        const int vy = mf->viewportExtY ? mf->viewportExtY : mf->windowExtY;
        const auto toLogical = [](int pixel, int viewOrg, int viewExt, int winOrg, int winExt) {
            return viewExt ? winOrg + MulDiv(pixel - viewOrg, winExt, viewExt) : pixel;
        };
        const int lx0 = toLogical(area.left, mf->viewportOrgX, vx, mf->windowOrgX, mf->windowExtX);
        const int ly0 = toLogical(area.top, mf->viewportOrgY, vy, mf->windowOrgY, mf->windowExtY);
        const int lx1 = toLogical(area.right, mf->viewportOrgX, vx, mf->windowOrgX, mf->windowExtX);
        const int ly1 = toLogical(area.bottom, mf->viewportOrgY, vy, mf->windowOrgY, mf->windowExtY);
        HDC dc = CreateMetaFileA(nullptr);
        if (!dc)
            return nullptr;
        SetWindowOrgEx(dc, lx0, ly0, nullptr);
        SetWindowExtEx(dc, lx1 - lx0, ly1 - ly0, nullptr);
        if (source)
            PlayMetaFile(dc, source);
        made = CloseMetaFile(dc);
    } else {
        kel::GdiObject<HBITMAP> picture(rasterArea(*record, area));
        if (!picture)
            return nullptr;
        HDC dc = CreateMetaFileA(nullptr);
        if (!dc)
            return nullptr;
        {
            kel::MemoryDC mem(nullptr);
            kel::Selected sel(mem.get(), picture.get());
            SetWindowOrgEx(dc, 0, 0, nullptr);
            SetWindowExtEx(dc, w, h, nullptr);
            if (record->palette) {
                SelectPalette(dc, record->palette, FALSE);
                RealizePalette(dc);
            }
            StretchBlt(dc, 0, 0, w, h, mem.get(), 0, 0, w, h, SRCCOPY);
        }
        made = CloseMetaFile(dc);
    }
    if (!made)
        return nullptr;

    kel::GlobalMem block = kel::GlobalMem::alloc(sizeof(METAFILEPICT));
    kel::GlobalLocked<METAFILEPICT> mfp(block.get());
    if (!mfp) {
        DeleteMetaFile(made);
        return nullptr;
    }
    // Extents in hundredths of a millimetre of the rectangle as the screen shows it.
    kel::WindowDC screen;
    mfp->mm = MM_ANISOTROPIC;
    mfp->xExt = MulDiv(w, GetDeviceCaps(screen.get(), HORZSIZE) * 100, GetDeviceCaps(screen.get(), HORZRES));
    mfp->yExt = MulDiv(h, GetDeviceCaps(screen.get(), VERTSIZE) * 100, GetDeviceCaps(screen.get(), VERTRES));
    mfp->hMF = made;
    return block.release();
}

HANDLE RenderFormat(ImageRecord* record, UINT format, int refWidth, int refHeight)
{
    if (!record)
        return nullptr;
    RECT marquee = record->marquee;
    NormalizeRect(&marquee);
    const bool hasMarquee = !IsRectEmpty(&marquee);
    switch (format) {
    case CF_BITMAP: {
        if (record->deviceBitmap)
            return hasMarquee ? CropBitmap(record->deviceBitmap, record->palette, &marquee, refWidth, refHeight)
                              : CopyBitmap(record->deviceBitmap, record->palette);
        if (!hasImage(*record))
            return nullptr;
        HBITMAP made = bitmapFromImage(*record);
        if (!made || !hasMarquee)
            return made;
        HBITMAP cut = CropBitmap(made, record->palette, &marquee, refWidth, refHeight);
        DeleteObject(made);
        return cut;
    }
    case CF_METAFILEPICT: return GetMF(record, &marquee);
    case CF_DIB: {
        if (!hasImage(*record))
            return nullptr;
        const RECT area = areaOf(*record, &marquee);
        return CropDIB(record->image, &area, record->palette, record->backgroundBrush, 1);
    }
    case CF_PALETTE: return record->palette ? CopyPaletteChangingFlags(record->palette, 0) : nullptr;
    default: return nullptr;
    }
}
