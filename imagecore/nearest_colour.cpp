// Candidate lists per cell of 8 x 8 x 8 colours: only the palette entries that can be nearest
// to some colour of the cell are searched. An entry whose smallest possible distance to the
// cell exceeds another entry's largest possible distance is strictly farther for every colour
// of the cell, so leaving it out never changes the answer, ties included.
#include "nearest_colour.h"

#include <algorithm>

namespace keldll {

NearestColour::NearestColour(const Rgb* colours, int count)
    : colours_(colours, colours + count), cellStart_(32768, -1), cellCount_(32768, 0)
{
    candidates_.reserve(4096);
}

void NearestColour::fillCell(int cell)
{
    const int lo[3] = {(cell >> 10) << 3, ((cell >> 5) & 31) << 3, (cell & 31) << 3}; // red, green, blue
    const int count = int(colours_.size());
    int minDist[256], nearestMax = 0x7FFFFFFF;
    for (int i = 0; i < count; ++i) {
        const int c[3] = {colours_[size_t(i)].r, colours_[size_t(i)].g, colours_[size_t(i)].b};
        int mn = 0, mx = 0;
        for (int a = 0; a < 3; ++a) {
            const int l = lo[a], h = lo[a] + 7;
            const int toNear = c[a] < l ? l - c[a] : c[a] > h ? c[a] - h : 0;
            const int toFar = std::max(c[a] - l, h - c[a]);
            mn += toNear * toNear;
            mx += toFar * toFar;
        }
        minDist[i] = mn;
        nearestMax = std::min(nearestMax, mx);
    }
    cellStart_[size_t(cell)] = int32_t(candidates_.size());
    for (int i = 0; i < count; ++i)
        if (minDist[i] <= nearestMax)
            candidates_.push_back(uint8_t(i));
    cellCount_[size_t(cell)] = uint16_t(candidates_.size() - size_t(cellStart_[size_t(cell)]));
}

} // namespace keldll
