// Converting a window's image to the layout a file format needs before it is saved: plain RGB,
// RLE8, RLE4 or the OS/2 core header, at a given depth.
#include "ids_transforms.h"
#include "image_record.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "status_scope.h"
#include "win_raii.h"

using namespace keldll;

HGLOBAL RealizeDibFormat(HWND wnd, ImageRecord* record, int subformat, int bits, int warn)
{
    if (!record || !hasImage(*record) || subformat < 0 || subformat > 3)
        return nullptr;
    int current = 0, currentBits = 0;
    DWORD compression = BI_RGB;
    {
        kel::GlobalLocked<BYTE> image(record->image);
        if (!image)
            return nullptr;
        currentBits = DIBBitcount(image.get());
        if (isCoreHeader(image.get())) {
            current = 3;
        } else {
            compression = reinterpret_cast<const BITMAPINFOHEADER*>(image.get())->biCompression;
            kel::GlobalLocked<BYTE> header(record->header);
            current = int(header && !isCoreHeader(header.get())
                              ? reinterpret_cast<const BITMAPINFOHEADER*>(header.get())->biCompression
                              : compression);
        }
    }
    if (subformat == current && bits == currentBits)
        return CopyHandle(record->image);

    // Every other conversion goes through the device bitmap, made from the whole image: the
    // marquee must not narrow what is saved.
    if (!record->deviceBitmap) {
        const SIZE size = recordImageSize(*record);
        const RECT marquee = record->marquee;
        record->marquee = RECT{};
        record->deviceBitmap = static_cast<HBITMAP>(RenderFormat(record, CF_BITMAP, size.cx, size.cy));
        record->marquee = marquee;
        if (!record->deviceBitmap)
            return nullptr;
    }
    if (subformat == 3)
        return PMDibFromBitmap(record->deviceBitmap, 0, WORD(bits), record->palette);

    // At the same depth the image's own pixels are kept; a run-length image is expanded first,
    // and one with a core header is rebuilt with an information header.
    kel::GlobalMem dib;
    if (bits == currentBits && current != 3 && compression == BI_RGB)
        dib.reset(CopyHandle(record->image));
    else if (bits == currentBits && (compression == BI_RLE8 || compression == BI_RLE4))
        dib.reset(RLEtoRGB(record->image, record->header));
    else
        dib.reset(DibFromBitmap(record->deviceBitmap, BI_RGB, WORD(bits), record->palette, DIB_RGB_COLORS));
    if (!dib || subformat == 0)
        return dib.release();

    char text[128];
    loadAppString(IDS_CONVERTING_TO_RLE, text, sizeof text);
    StatusScope status(wnd, text);
    HGLOBAL encoded = RGBtoRLE(wnd, dib.get(), subformat, warn);
    if (!encoded)
        return nullptr;
    if (encoded == dib.get())
        return dib.release(); // encoding does not pay: the plain image is the result
    return encoded;
}
