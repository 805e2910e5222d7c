// Putting DIBs and device bitmaps on a device: plain, stretched, and row by row in interlace
// order.
#include "dib_layout.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>
#include <cstdlib>

using namespace keldll;

namespace {

// The pixel rows of a locked DIB as far as its block really holds them: GDI reads every row the
// header claims, so a short block is clipped here instead of being read past its end.
struct DibRows {
    const BITMAPINFO* info = nullptr;
    const BYTE* bits = nullptr;
    int width = 0, height = 0;     // height as stored (negative: top-down)
    size_t rowBytes = 0;
    int rowsHeld = 0;              // uncompressed: whole rows inside the block
    bool compressed = false;

    bool open(const BYTE* p, SIZE_T blockSize)
    {
        if (!p || blockSize < sizeof(BITMAPCOREHEADER))
            return false;
        const SIZE_T start = SIZE_T(FindDIBBits(p) - p);
        if (start > blockSize || (!isCoreHeader(p) && blockSize < *reinterpret_cast<const DWORD*>(p)))
            return false;
        info = reinterpret_cast<const BITMAPINFO*>(p);
        bits = p + start;
        width = int(DIBWidth(p));
        height = int(DIBHeight(p));
        compressed = !isCoreHeader(p) && info->bmiHeader.biCompression != BI_RGB;
        if (compressed) // the run-length form: GDI stops at the end of its stream
            return info->bmiHeader.biSizeImage <= blockSize - start;
        rowBytes = size_t(kel::dibRowBytes(uint64_t(std::max(width, 0)), DIBBitcount(p)));
        if (width <= 0 || rowBytes == 0)
            return false;
        rowsHeld = int(std::min<uint64_t>((blockSize - start) / rowBytes, uint64_t(std::abs(height))));
        return rowsHeld >= std::abs(height);
    }
};

} // namespace

int DibBlt(HDC dc, int x, int y, int width, int height, HGLOBAL dib, int srcX, int srcY, DWORD rop)
{
    DebugMsg("DIBBLT x0:%d, y0:%d, dx:%d, dy:%d, x1:%d, y1:%d\n", x, y, width, height, srcX, srcY);
    if (!dib) {
        PatBlt(dc, x, y, width, height, rop);
        return 1;
    }
    kel::GlobalLocked<BYTE> p(dib);
    DibRows d;
    if (!d.open(p.get(), GlobalSize(dib)))
        return 1;
    if (d.compressed || d.height < 0) {
        SetDIBitsToDevice(dc, x, y, DWORD(width), DWORD(height), srcX, srcY, 0, UINT(std::abs(d.height)), d.bits,
                          d.info, DIB_RGB_COLORS);
        return 1;
    }
    // The scans handed over start at the source row asked for: rows srcY .. srcY + height - 1
    // (counted from the bottom), as many of them as the image has.
    if (srcY < 0 || srcY >= d.height || height <= 0)
        return 1;
    const UINT scans = UINT(std::min(height, d.height - srcY));
    SetDIBitsToDevice(dc, x, y, DWORD(width), DWORD(height), srcX, srcY, UINT(srcY), scans,
                      d.bits + d.rowBytes * size_t(srcY), d.info, DIB_RGB_COLORS);
    return 1;
}

int StretchDibBlt(HDC dc, int x, int y, int width, int height, HGLOBAL dib, int srcX, int srcY, int srcWidth,
                  int srcHeight, DWORD rop)
{
    if (!dib)
        return PatBlt(dc, x, y, width, height, rop);
    kel::GlobalLocked<BYTE> p(dib);
    DibRows d;
    if (!d.open(p.get(), GlobalSize(dib)))
        return 0;
    return StretchDIBits(dc, x, y, width, height, srcX, srcY, srcWidth, srcHeight, d.bits, d.info, DIB_RGB_COLORS,
                         rop);
}

int InterlaceBitBlt(HDC dc, int x, int y, int width, int height, HDC source, int srcX, int, DWORD rop)
{
    // Every eighth row, then the rows between them at 4, then at 2, then the odd rows.
    static const int kStart[4] = {0, 4, 2, 1};
    static const int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int row = kStart[pass]; row < height; row += kStep[pass])
            BitBlt(dc, x, y + row, width, 1, source, srcX, y + row, rop);
    return 1;
}

BOOL DrawBitmap(HDC dc, int x, int y, HBITMAP bitmap, DWORD rop)
{
    BITMAP bm{};
    if (!dc || !bitmap || !GetObjectA(bitmap, sizeof bm, &bm))
        return 0;
    kel::MemoryDC mem(dc);
    if (!mem)
        return 0;
    kel::Selected sel(mem.get(), bitmap);
    return BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem.get(), 0, 0, rop);
}

BOOL StretchBitmap(HDC dc, int x, int y, HBITMAP bitmap, int width, int height, DWORD rop, HPALETTE palette)
{
    BITMAP bm{};
    if (!dc || !bitmap || !GetObjectA(bitmap, sizeof bm, &bm))
        return 0;
    kel::MemoryDC mem(dc);
    if (!mem)
        return 0;
    kel::Selected sel(mem.get(), bitmap);
    kel::RealizedPalette pal(mem.get(), palette, TRUE);
    return StretchBlt(dc, x, y, width, height, mem.get(), 0, 0, bm.bmWidth, bm.bmHeight, rop);
}
