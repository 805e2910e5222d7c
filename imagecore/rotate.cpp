// Rotation of a DIB by quarter and half turns.
//
// Source pixel (x, r) in memory coordinates (r counts rows from the bottom, W x H the source
// size) goes to: quarter turn clockwise (1) column r, row W - 1 - x; half turn (2) column
// W - 1 - x, row H - 1 - r; quarter turn counter-clockwise (3) column H - 1 - r, row x.
#include "dib_layout.h"
#include "dib_view.h"
#include "ids_transforms.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "status_scope.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>

using namespace keldll;

namespace {

// Rows are handed over in bands so that quarter turns walk the destination in cache-sized
// tiles; progress is still reported row by row.
constexpr int kBand = 32;

struct Plane {
    BYTE* bits;
    size_t rowBytes;
    BYTE* row(int y) const { return bits + rowBytes * size_t(y); }
};

// Destination position of source pixel (x, r).
inline void target(int kind, int w, int h, int x, int r, int* dx, int* dy)
{
    switch (kind) {
    case 1: *dx = r, *dy = w - 1 - x; break;
    case 2: *dx = w - 1 - x, *dy = h - 1 - r; break;
    default: *dx = h - 1 - r, *dy = x; break;
    }
}

// Whole-byte pixels (8 and 24 bits): `Size` bytes each, moved tile by tile.
template <int Size> void rotateBand(const DibView& src, const Plane& dst, int kind, int r0, int r1)
{
    const int w = src.width(), h = src.height();
    if (kind == 2) {
        for (int r = r0; r < r1; ++r) {
            const BYTE* s = src.row(r);
            BYTE* d = dst.row(h - 1 - r) + size_t(w - 1) * Size;
            for (int x = 0; x < w; ++x, s += Size, d -= Size)
                std::memcpy(d, s, Size);
        }
        return;
    }
    for (int x0 = 0; x0 < w; x0 += kBand) {
        const int x1 = std::min(w, x0 + kBand);
        for (int r = r0; r < r1; ++r) {
            const BYTE* s = src.row(r) + size_t(x0) * Size;
            if (kind == 1) {
                // Destination column r, rows W - 1 - x going down as x goes right.
                BYTE* d = dst.row(w - 1 - x0) + size_t(r) * Size;
                for (int x = x0; x < x1; ++x, s += Size, d -= dst.rowBytes)
                    std::memcpy(d, s, Size);
            } else {
                BYTE* d = dst.row(x0) + size_t(h - 1 - r) * Size;
                for (int x = x0; x < x1; ++x, s += Size, d += dst.rowBytes)
                    std::memcpy(d, s, Size);
            }
        }
    }
}

// 1- and 4-bit pixels, moved one at a time (most significant bits first; high nibble first).
void rotateBandPacked(const DibView& src, const Plane& dst, int kind, int r0, int r1)
{
    const int w = src.width(), h = src.height(), bits = src.bits();
    for (int r = r0; r < r1; ++r) {
        const BYTE* s = src.row(r);
        for (int x = 0; x < w; ++x) {
            const int v = src.indexAt(s, x);
            int dx, dy;
            target(kind, w, h, x, r, &dx, &dy);
            BYTE* d = dst.row(dy);
            if (bits == 1)
                d[dx >> 3] = BYTE(d[dx >> 3] | (v << (7 - (dx & 7))));
            else
                d[dx >> 1] = BYTE(d[dx >> 1] | ((dx & 1) ? v : v << 4));
        }
    }
}

} // namespace

HGLOBAL RotateDib(HGLOBAL dib, int kind)
{
    if (kind < 1 || kind > 3)
        return nullptr;
    DibView src;
    if (!src.open(dib))
        return nullptr;
    const int bits = src.bits();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return nullptr;
    BITMAPINFOHEADER bi = src.header();
    if (kind != 2)
        std::swap(bi.biWidth, bi.biHeight);
    const std::vector<RGBQUAD> table = src.table();
    kel::GlobalMem result(newDib(bi, table.data(), DWORD(table.size())));
    if (!result)
        return nullptr;
    kel::GlobalLocked<BYTE> out(result.get());
    if (!out)
        return nullptr;
    const Plane dst{FindDIBBits(out.get()), size_t(kel::dibRowBytes(uint64_t(bi.biWidth), uint64_t(bits)))};

    char text[128];
    loadAppString(IDS_ROTATING_BITMAP, text, sizeof text);
    StatusScope status(app() ? app()->frameWnd : nullptr, text);
    const int h = src.height();
    // A half turn goes row by row anyway: it can stop right after the row at which it is cancelled.
    const int band = kind == 2 ? 1 : kBand;
    for (int r0 = 0; r0 < h; r0 += band) {
        const int r1 = std::min(h, r0 + band);
        switch (bits) {
        case 8: rotateBand<1>(src, dst, kind, r0, r1); break;
        case 24: rotateBand<3>(src, dst, kind, r0, r1); break;
        default: rotateBandPacked(src, dst, kind, r0, r1); break;
        }
        for (int r = r0; r < r1; ++r)
            if (!status.progress(r + 1, h))
                return result.release(); // cancelled: the partly turned image
    }
    return result.release();
}
