// quantize: an optimal palette for a true-colour image by median cut over cells of the top four
// bits of each channel. Only the palette is made; the image is not touched.
//
// Box bounds are kept in 0-255 units (multiples of 16): a lower bound and an extent per
// channel. Splitting picks the widest box channel, sorts the box's cells on it and cuts where
// the pixel count passes half the box's pixels.
#include "dib_view.h"
#include "keldll.h"

#include <algorithm>
#include <new>
#include <vector>

using namespace keldll;

namespace {

constexpr int kCells = 4096;
constexpr int kMaxBoxes = 256;
enum Channel { kBlue, kGreen, kRed };

struct Cell {
    uint8_t value[3];   // 4-bit blue, green, red
    uint32_t count = 0; // pixels in the cell
    int box = 0;        // the box that finally owns it
    int next = -1;      // next cell of the same box
};

struct Box {
    int lower[3] = {0, 0, 0};
    int extent[3] = {255, 255, 255};
    int cells = 0;       // cells owned (16-bit in the record)
    uint32_t pixels = 0; // pixels owned
    int head = -1;       // first cell of the box's list
};

int cellIndex(const uint8_t* bgr) { return (bgr[0] >> 4) | (bgr[1] >> 4) << 4 | (bgr[2] >> 4) << 8; }

// Splits box `b` on `channel` into itself and the new box `n`. False when the sort buffer
// cannot be had.
bool divide(std::vector<Cell>& cells, std::vector<Box>& boxes, int b, int n, int channel)
{
    Box& box = boxes[size_t(b)];
    std::vector<int> order;
    try {
        order.reserve(size_t(box.cells));
    } catch (const std::bad_alloc&) {
        DebugMsg("Alloc hSORT failed");
        return false;
    }
    for (int c = box.head; c >= 0; c = cells[size_t(c)].next)
        order.push_back(c);
    // Cells with equal values keep their list order, so that a result never depends on the
    // sorting routine.
    std::stable_sort(order.begin(), order.end(), [&](int a, int z) {
        return cells[size_t(a)].value[channel] < cells[size_t(z)].value[channel];
    });

    const uint32_t half = box.pixels / 2;
    size_t last = 0; // last cell of the lower part
    uint32_t lowerPixels = cells[size_t(order[0])].count;
    while (order.size() - last - 1 >= 2 && lowerPixels + cells[size_t(order[last + 1])].count <= half)
        lowerPixels += cells[size_t(order[++last])].count;

    for (size_t i = 0; i + 1 < order.size(); ++i)
        cells[size_t(order[i])].next = order[i + 1];
    cells[size_t(order[last])].next = -1;
    cells[size_t(order.back())].next = -1;

    Box& upper = boxes[size_t(n)];
    upper = box;
    upper.head = order[last + 1];
    upper.cells = int(order.size() - last - 1);
    upper.pixels = 0;
    for (size_t i = last + 1; i < order.size(); ++i)
        upper.pixels += cells[size_t(order[i])].count;
    const int upperEnd = box.lower[channel] + box.extent[channel];
    upper.lower[channel] = 16 * cells[size_t(order[last + 1])].value[channel];
    upper.extent[channel] = upperEnd - upper.lower[channel];

    box.head = order[0];
    box.cells = int(last + 1);
    box.pixels = lowerPixels;
    box.extent[channel] = 16 * cells[size_t(order[last])].value[channel] - box.lower[channel];
    return true;
}

} // namespace

int quantize(WORD* colours, PALETTEENTRY* out, HGLOBAL dib)
{
    if (!colours || !out)
        return 0;
    DibView src;
    if (!src.open(dib) || src.bits() != 24)
        return 0;
    std::vector<Cell> cells;
    std::vector<Box> boxes;
    try {
        cells.resize(kCells);
    } catch (const std::bad_alloc&) {
        DebugMsg("Alloc hQCOLOUR failed");
        return 0;
    }
    try {
        boxes.resize(kMaxBoxes);
    } catch (const std::bad_alloc&) {
        DebugMsg("Alloc hNEWCOLOUR failed");
        return 0;
    }

    for (int i = 0; i < kCells; ++i) {
        cells[size_t(i)].value[kBlue] = uint8_t(i & 15);
        cells[size_t(i)].value[kGreen] = uint8_t((i >> 4) & 15);
        cells[size_t(i)].value[kRed] = uint8_t(i >> 8);
    }
    for (int y = 0; y < src.height(); ++y) {
        const uint8_t* p = src.row(y);
        for (int x = 0; x < src.width(); ++x, p += 3)
            ++cells[size_t(cellIndex(p))].count;
    }

    Box& first = boxes[0];
    int* link = &first.head;
    for (int i = 0; i < kCells; ++i)
        if (cells[size_t(i)].count) {
            *link = i;
            link = &cells[size_t(i)].next;
            ++first.cells;
        }
    first.pixels = uint32_t(src.width()) * uint32_t(src.height());

    const int wanted = std::min<int>(*colours, kMaxBoxes);
    int count = 1;
    while (count < wanted) {
        int pick = -1, channel = 0, widest = -1;
        for (int b = 0; b < count; ++b) {
            if (boxes[size_t(b)].cells <= 1)
                continue;
            for (int c : {kBlue, kGreen, kRed})
                if (boxes[size_t(b)].extent[c] > widest) {
                    widest = boxes[size_t(b)].extent[c];
                    pick = b;
                    channel = c;
                }
        }
        if (pick < 0)
            break;
        if (!divide(cells, boxes, pick, count, channel)) {
            DebugMsg("DivideMap failed");
            return 0;
        }
        ++count;
    }

    for (int b = 0; b < count; ++b) {
        const Box& box = boxes[size_t(b)];
        if (box.cells == 0)
            continue;
        uint32_t sum[3] = {0, 0, 0};
        for (int c = box.head; c >= 0; c = cells[size_t(c)].next) {
            cells[size_t(c)].box = b;
            for (int ch : {kBlue, kGreen, kRed})
                sum[ch] += cells[size_t(c)].value[ch];
        }
        // The mean over cells, not weighted by their pixel counts.
        const uint32_t n = uint32_t(box.cells);
        out[b] = PALETTEENTRY{BYTE(16 * sum[kRed] / n), BYTE(16 * sum[kGreen] / n), BYTE(16 * sum[kBlue] / n), 0};
    }
    *colours = WORD(count);
    return 1;
}
