// Nearest palette colour, answered exactly as the system's nearest-index search of a logical
// palette answers it (smallest squared distance in RGB, the first entry winning ties), but fast
// enough for every pixel of a large image. Not exported.
#pragma once

#include "dib_view.h"

#include <cstdint>
#include <vector>

namespace keldll {

class NearestColour {
public:
    // Throws std::bad_alloc when the lookup tables cannot be allocated.
    NearestColour(const Rgb* colours, int count);
    int find(int r, int g, int b)
    {
        const int cell = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
        if (cellStart_[size_t(cell)] < 0)
            fillCell(cell);
        const uint8_t* c = candidates_.data() + cellStart_[size_t(cell)];
        const int n = cellCount_[size_t(cell)];
        if (n == 1)
            return c[0];
        int best = c[0], bestDist = 0x7FFFFFFF;
        for (int i = 0; i < n; ++i) {
            const Rgb& p = colours_[c[i]];
            const int dr = p.r - r, dg = p.g - g, db = p.b - b;
            const int dist = dr * dr + dg * dg + db * db;
            if (dist < bestDist) {
                bestDist = dist;
                best = c[i];
            }
        }
        return best;
    }

private:
    void fillCell(int cell);
    std::vector<Rgb> colours_;
    std::vector<int32_t> cellStart_;   // per 8 x 8 x 8 cell: first candidate, -1 until needed
    std::vector<uint16_t> cellCount_;
    std::vector<uint8_t> candidates_; // candidate indices of every filled cell, palette order
};

} // namespace keldll
