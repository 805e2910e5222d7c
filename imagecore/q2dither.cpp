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

namespace {

// One row of the mapping in scan direction D (+1 left to right, -1 right to left). `known`
// caches, per cell of the inverse map, the chosen index and its colour packed together
// (index | blue << 8 | green << 16 | red << 24; 0 until the cell is computed) so that the
// colour needs no second look-up on the path from one pixel's error to the next pixel.
template <int D>
void mapRow(const uint8_t* in, uint8_t* out, const int16_t* current, int16_t* below, int width, uint32_t* known,
           uint16_t* cells, const Rgb* map, int count)
{
    int x = D > 0 ? 0 : width - 1;
    int ahead[3] = {0, 0, 0};      // 7 e of the previous pixel, for this one
    int behind[3] = {0, 0, 0};     // collected so far for the entry below the previous pixel
    int underneath[3] = {0, 0, 0}; // collected so far for the entry below this pixel
    for (int n = 0; n < width; ++n, x += D) {
        const int16_t* here = current + 3 * (x + 1);
        int16_t* down = below + 3 * (x + 1);
        const uint8_t* p = in + 3 * x;
        const int vb = limit(p[0] + ((here[0] + ahead[0] + 8) >> 4));
        const int vg = limit(p[1] + ((here[1] + ahead[1] + 8) >> 4));
        const int vr = limit(p[2] + ((here[2] + ahead[2] + 8) >> 4));
        const int cell = q2Cell(vb, vg, vr);
        uint32_t k = known[cell];
        if (k == 0) {
            if (cells[cell] == 0)
                fillBlock(cells, vb >> 3, vg >> 3, vr >> 3, map, count);
            const int index = cells[cell] - 1;
            k = known[cell] = uint32_t(index) | uint32_t(map[index].b) << 8 | uint32_t(map[index].g) << 16 |
                              uint32_t(map[index].r) << 24;
        }
        out[x] = uint8_t(k);
        const int e[3] = {vb - int((k >> 8) & 255), vg - int((k >> 16) & 255), vr - int(k >> 24)};
        for (int c = 0; c < 3; ++c) {
            down[-3 * D + c] = int16_t(behind[c] + 3 * e[c]); // below and behind: complete now
            behind[c] = underneath[c] + 5 * e[c];
            underneath[c] = e[c];
            ahead[c] = 7 * e[c];
        }
    }
    for (int c = 0; c < 3; ++c)
        below[3 * (x - D + 1) + c] = int16_t(behind[c]); // below the last pixel
}

} // namespace

bool q2Map(const DibView& src, uint8_t* dst, size_t dstRow, const Rgb* map, int count, uint16_t* cells)
{
    const int width = src.width(), height = src.height();
    // Two error rows of sums of sixteenths (blue, green, red per pixel) with one pixel of
    // margin at each end: the row being read and the row below, swapped after every row. Each
    // entry of the row below is written once, when the three pixels above it are done, so it
    // needs no clearing; the same-row share travels in a register.
    std::vector<int16_t> rows;
    std::vector<uint32_t> known;
    try {
        rows.assign(2 * size_t(width + 2) * 3, 0);
        known.assign(kQ2Cells, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    int16_t* current = rows.data();
    int16_t* below = rows.data() + size_t(width + 2) * 3;
    for (int y = 0; y < height; ++y) {
        uint8_t* out = dst + dstRow * size_t(y);
        if (y & 1)
            mapRow<-1>(src.row(y), out, current, below, width, known.data(), cells, map, count);
        else
            mapRow<1>(src.row(y), out, current, below, width, known.data(), cells, map, count);
        UpdateStatus(DWORD(y + 1), DWORD(height));
        std::swap(current, below);
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
