// quant2: the two-pass quantizer's first pass. A histogram over cells of the top five bits of
// each channel, cut into up to 256 boxes (most populated boxes first, then the largest), each
// box's colour the count-weighted mean of its cell centres. Optionally maps the image onto the
// result (the second pass, shared with q2dither).
#include "dib_layout.h"
#include "keldll.h"
#include "q2_internal.h"
#include "win_raii.h"

#include <algorithm>
#include <new>
#include <vector>

using namespace keldll;

namespace {

constexpr int kMaxBoxes = 256;

// Inclusive cell ranges on the blue, green and red axes, and the non-empty cells inside.
struct Box {
    int min[3], max[3];
    int cells;
};

struct Histogram {
    const uint16_t* h;
    uint16_t at(const int v[3]) const { return h[v[0] << 10 | v[1] << 5 | v[2]]; }

    // Whether any cell of the box on plane `value` of `axis` is non-zero.
    bool planeUsed(const Box& box, int axis, int value) const
    {
        const int a1 = axis == 0 ? 1 : 0, a2 = axis == 2 ? 1 : 2;
        int v[3];
        v[axis] = value;
        for (v[a1] = box.min[a1]; v[a1] <= box.max[a1]; ++v[a1])
            for (v[a2] = box.min[a2]; v[a2] <= box.max[a2]; ++v[a2])
                if (at(v))
                    return true;
        return false;
    }

    // Narrows the box to the planes that hold counted cells, axis by axis, and counts them.
    void shrink(Box& box) const
    {
        for (int a = 0; a < 3; ++a) {
            if (box.min[a] >= box.max[a])
                continue;
            int lo = box.min[a], hi = box.max[a];
            while (lo < hi && !planeUsed(box, a, lo))
                ++lo;
            while (hi > lo && !planeUsed(box, a, hi))
                --hi;
            box.min[a] = lo;
            box.max[a] = hi;
        }
        box.cells = 0;
        int v[3];
        for (v[0] = box.min[0]; v[0] <= box.max[0]; ++v[0])
            for (v[1] = box.min[1]; v[1] <= box.max[1]; ++v[1])
                for (v[2] = box.min[2]; v[2] <= box.max[2]; ++v[2])
                    box.cells += at(v) != 0;
    }

    // Count-weighted mean of the cell centres (8k + 4) on each axis, rounded.
    Rgb colour(const Box& box) const
    {
        uint64_t total = 0, sum[3] = {0, 0, 0};
        int v[3];
        for (v[0] = box.min[0]; v[0] <= box.max[0]; ++v[0])
            for (v[1] = box.min[1]; v[1] <= box.max[1]; ++v[1])
                for (v[2] = box.min[2]; v[2] <= box.max[2]; ++v[2])
                    if (const uint64_t n = at(v)) {
                        total += n;
                        for (int a = 0; a < 3; ++a)
                            sum[a] += n * uint64_t(8 * v[a] + 4);
                    }
        if (total == 0)
            return Rgb{0, 0, 0};
        uint8_t mean[3];
        for (int a = 0; a < 3; ++a)
            mean[a] = uint8_t(std::min<uint64_t>((sum[a] + total / 2) / total, 255));
        return Rgb{mean[2], mean[1], mean[0]};
    }
};

int volume(const Box& b)
{
    int v = 0;
    for (int a = 0; a < 3; ++a)
        v += (b.max[a] - b.min[a]) * (b.max[a] - b.min[a]);
    return v;
}

bool splittable(const Box& b) { return b.min[0] < b.max[0] || b.min[1] < b.max[1] || b.min[2] < b.max[2]; }

// The box to split next, or -1. Early on the most populated box, later the largest one; only a
// value above the best so far counts, so the first box wins ties and a value of 0 never wins.
int pickBox(const std::vector<Box>& boxes)
{
    const bool byVolume = kMaxBoxes < 2 * int(boxes.size());
    int pick = -1, best = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
        const int value = byVolume ? volume(boxes[i]) : splittable(boxes[i]) ? boxes[i].cells : 0;
        if (value > best) {
            best = value;
            pick = int(i);
        }
    }
    return pick;
}

void split(std::vector<Box>& boxes, int i, const Histogram& hist)
{
    Box& box = boxes[size_t(i)];
    const int eb = box.max[0] - box.min[0], eg = box.max[1] - box.min[1], er = box.max[2] - box.min[2];
    const int axis = (er > eg && er > eb) ? 2 : eg > eb ? 1 : 0;
    const int mid = (box.max[axis] + box.min[axis]) / 2;
    Box upper = box;
    box.max[axis] = mid;
    upper.min[axis] = mid + 1;
    hist.shrink(box);
    hist.shrink(upper);
    boxes.push_back(upper);
}

} // namespace

HGLOBAL quant2(WORD* colours, PALETTEENTRY* out, HGLOBAL dib, int makeImage)
{
    if (colours)
        *colours = 0;
    if (!colours || !out)
        return dib;
    DibView src;
    if (!src.open(dib) || src.bits() != 24)
        return dib;
    std::vector<uint16_t> cells;
    std::vector<Box> boxes;
    try {
        cells.assign(kQ2Cells, 0);
        boxes.reserve(kMaxBoxes);
    } catch (const std::bad_alloc&) {
        DebugMsg("quant2: no memory for the histogram");
        return dib;
    }

    for (int y = 0; y < src.height(); ++y) {
        const uint8_t* p = src.row(y);
        for (int x = 0; x < src.width(); ++x, p += 3) {
            uint16_t& n = cells[size_t(q2Cell(p[0], p[1], p[2]))];
            if (n != 0xFFFF)
                ++n;
        }
    }

    const Histogram hist{cells.data()};
    boxes.push_back(Box{{0, 0, 0}, {31, 31, 31}, 0});
    hist.shrink(boxes[0]);
    while (int(boxes.size()) < kMaxBoxes) {
        const int pick = pickBox(boxes);
        if (pick < 0)
            break;
        split(boxes, pick, hist);
    }

    Rgb map[kMaxBoxes];
    RGBQUAD table[kMaxBoxes] = {};
    const int count = int(boxes.size());
    for (int i = 0; i < count; ++i) {
        map[i] = hist.colour(boxes[size_t(i)]);
        out[i] = PALETTEENTRY{map[i].r, map[i].g, map[i].b, 0};
        table[i] = RGBQUAD{map[i].b, map[i].g, map[i].r, 0};
    }
    *colours = WORD(count);
    if (!makeImage)
        return dib;

    kel::GlobalMem result(newIndexedDib(src.width(), src.height(), 8, 256, DWORD(count), table, 256));
    if (!result)
        return dib;
    std::fill(cells.begin(), cells.end(), uint16_t(0));
    kel::GlobalLocked<BYTE> p(result.get());
    if (!p || !q2Map(src, FindDIBBits(p.get()), size_t(kel::dibRowBytes(DWORD(src.width()), 8)), map, count,
                     cells.data()))
        return dib;
    return result.release();
}
