// q2dither: a true-colour image mapped onto a palette with Floyd-Steinberg error diffusion,
// through an inverse colour map that is computed one block of 4 x 4 x 4 cells at a time, only
// for the blocks that pixels reach.
#include "dib_layout.h"
#include "keldll.h"
#include "palette_internal.h"
#include "q2_internal.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

using namespace keldll;

namespace {

// Fills the block of 4 x 4 x 4 cells that holds cell (b, g, r) (cell indices 0-31) with the
// nearest colour of the map to each cell centre, stored as index + 1. Colours that cannot be
// nearest to any centre of the block are ruled out first by their distance bounds.
void fillBlock(uint16_t* cells, int b, int g, int r, const Rgb* map, int count)
{
    const int lo[3] = {32 * (b >> 2) + 4, 32 * (g >> 2) + 4, 32 * (r >> 2) + 4}; // blue, green, red
    int minDist[256];
    int nearestMax = 0x7FFFFFFF;
    for (int i = 0; i < count; ++i) {
        const int c[3] = {map[i].b, map[i].g, map[i].r};
        int mn = 0, mx = 0;
        for (int a = 0; a < 3; ++a) {
            const int l = lo[a], h = lo[a] + 24;
            int toNear, toFar;
            if (c[a] < l) {
                toNear = l - c[a];
                toFar = h - c[a];
            } else if (c[a] > h) {
                toNear = c[a] - h;
                toFar = c[a] - l;
            } else {
                toNear = 0;
                toFar = c[a] <= l + 12 ? h - c[a] : c[a] - l;
            }
            mn += toNear * toNear;
            mx += toFar * toFar;
        }
        minDist[i] = mn;
        nearestMax = std::min(nearestMax, mx);
    }
    int kept[256], keptCount = 0;
    for (int i = 0; i < count; ++i)
        if (minDist[i] <= nearestMax)
            kept[keptCount++] = i;

    int best[64], bestDist[64];
    std::fill(bestDist, bestDist + 64, 0x7FFFFFFF);
    std::fill(best, best + 64, 0);
    for (int k = 0; k < keptCount; ++k) {
        const Rgb& c = map[kept[k]];
        // Distances to successive centres 8 apart, updated incrementally:
        // (d + 8)^2 = d^2 + 16 d + 64.
        const int db0 = lo[0] - c.b, dg0 = lo[1] - c.g, dr0 = lo[2] - c.r;
        int cell = 0;
        int distB = db0 * db0 + dg0 * dg0 + dr0 * dr0;
        int stepB = 16 * db0 + 64;
        for (int ib = 0; ib < 4; ++ib) {
            int distG = distB, stepG = 16 * dg0 + 64;
            for (int ig = 0; ig < 4; ++ig) {
                int dist = distG, stepR = 16 * dr0 + 64;
                for (int ir = 0; ir < 4; ++ir, ++cell) {
                    if (dist < bestDist[cell]) {
                        bestDist[cell] = dist;
                        best[cell] = kept[k];
                    }
                    dist += stepR;
                    stepR += 128;
                }
                distG += stepG;
                stepG += 128;
            }
            distB += stepB;
            stepB += 128;
        }
    }
    const int b0 = b & ~3, g0 = g & ~3, r0 = r & ~3;
    int cell = 0;
    for (int ib = 0; ib < 4; ++ib)
        for (int ig = 0; ig < 4; ++ig)
            for (int ir = 0; ir < 4; ++ir, ++cell)
                cells[(b0 + ib) << 10 | (g0 + ig) << 5 | (r0 + ir)] = uint16_t(best[cell] + 1);
}

inline int limit(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

} // namespace

namespace keldll {

bool q2Map(const DibView& src, uint8_t* dst, size_t dstRow, const Rgb* map, int count, uint16_t* cells)
{
    const int width = src.width(), height = src.height();
    // Two error rows of sums of sixteenths (blue, green, red per pixel) with one pixel of
    // margin at each end; the row being read and the row below, swapped after every row.
    std::vector<int16_t> rows;
    try {
        rows.assign(2 * size_t(width + 2) * 3, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    int16_t* current = rows.data();
    int16_t* below = rows.data() + size_t(width + 2) * 3;
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = src.row(y);
        uint8_t* out = dst + dstRow * size_t(y);
        const int d = (y & 1) ? -1 : 1;
        int x = d > 0 ? 0 : width - 1;
        for (int n = 0; n < width; ++n, x += d) {
            int16_t* here = current + 3 * (x + 1);
            int16_t* down = below + 3 * (x + 1);
            const uint8_t* p = in + 3 * x;
            const int vb = limit(p[0] + ((here[0] + 8) >> 4));
            const int vg = limit(p[1] + ((here[1] + 8) >> 4));
            const int vr = limit(p[2] + ((here[2] + 8) >> 4));
            uint16_t* cell = cells + q2Cell(vb, vg, vr);
            if (*cell == 0)
                fillBlock(cells, vb >> 3, vg >> 3, vr >> 3, map, count);
            const int index = *cell - 1;
            out[x] = uint8_t(index);
            const int e[3] = {vb - map[index].b, vg - map[index].g, vr - map[index].r};
            for (int c = 0; c < 3; ++c) {
                here[3 * d + c] = int16_t(here[3 * d + c] + 7 * e[c]);
                down[-3 * d + c] = int16_t(down[-3 * d + c] + 3 * e[c]);
                down[c] = int16_t(down[c] + 5 * e[c]);
                down[3 * d + c] = int16_t(down[3 * d + c] + e[c]);
            }
        }
        UpdateStatus(DWORD(y + 1), DWORD(height));
        std::swap(current, below);
        std::fill(below, below + size_t(width + 2) * 3, int16_t(0));
    }
    return true;
}

} // namespace keldll

HGLOBAL q2dither(HGLOBAL dib, HPALETTE palette)
{
    PALETTEENTRY entries[256];
    const int count = readPalette(palette, entries, 256);
    if (count == 0)
        return nullptr;
    DibView src;
    if (!src.open(dib) || src.bits() != 24)
        return nullptr;
    Rgb map[256];
    RGBQUAD table[256] = {};
    for (int i = 0; i < count; ++i) {
        map[i] = Rgb{entries[i].peRed, entries[i].peGreen, entries[i].peBlue};
        table[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    }
    kel::GlobalMem result(newIndexedDib(src.width(), src.height(), 8, 256, DWORD(count), table, 256));
    if (!result)
        return nullptr;
    std::vector<uint16_t> cells;
    try {
        cells.assign(kQ2Cells, 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    kel::GlobalLocked<BYTE> p(result.get());
    if (!p || !q2Map(src, FindDIBBits(p.get()), size_t(kel::dibRowBytes(DWORD(src.width()), 8)), map, count,
                     cells.data()))
        return nullptr;
    return result.release();
}
