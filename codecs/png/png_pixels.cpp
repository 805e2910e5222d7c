#include "png_pixels.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace png {

namespace {

inline uint8_t paeth(int a, int b, int c)
{
    // p = a + b - c; the distances of p to a, b and c, without forming p.
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    const int ab = pb < pa ? b : a;
    const int best = pb < pa ? pb : pa;
    return uint8_t(pc < best ? c : ab);
}

} // namespace

bool unfilterRow(uint8_t type, uint8_t* row, const uint8_t* prev, size_t n, size_t bpp)
{
    bpp = std::min(bpp, n);
    switch (type) {
    case 0: return true;
    case 1:
        for (size_t i = bpp; i < n; ++i)
            row[i] = uint8_t(row[i] + row[i - bpp]);
        return true;
    case 2:
        if (prev)
            for (size_t i = 0; i < n; ++i)
                row[i] = uint8_t(row[i] + prev[i]);
        return true;
    case 3:
        if (!prev) {
            for (size_t i = bpp; i < n; ++i)
                row[i] = uint8_t(row[i] + (row[i - bpp] >> 1));
            return true;
        }
        for (size_t i = 0; i < bpp; ++i)
            row[i] = uint8_t(row[i] + (prev[i] >> 1));
        for (size_t i = bpp; i < n; ++i)
            row[i] = uint8_t(row[i] + ((row[i - bpp] + prev[i]) >> 1));
        return true;
    case 4:
        if (!prev) {
            // Above and above-left are 0: Paeth picks the left byte.
            for (size_t i = bpp; i < n; ++i)
                row[i] = uint8_t(row[i] + row[i - bpp]);
            return true;
        }
        for (size_t i = 0; i < bpp; ++i)
            row[i] = uint8_t(row[i] + prev[i]);
        for (size_t i = bpp; i < n; ++i)
            row[i] = uint8_t(row[i] + paeth(row[i - bpp], prev[i], prev[i - bpp]));
        return true;
    default: return false;
    }
}

void filterRow(uint8_t type, const uint8_t* row, const uint8_t* prev, size_t n, size_t bpp, uint8_t* out)
{
    for (size_t i = 0; i < n; ++i) {
        const int left = i >= bpp ? row[i - bpp] : 0, up = prev ? prev[i] : 0;
        const int upLeft = i >= bpp && prev ? prev[i - bpp] : 0;
        int predictor = 0;
        switch (type) {
        case 1: predictor = left; break;
        case 2: predictor = up; break;
        case 3: predictor = (left + up) >> 1; break;
        case 4: predictor = paeth(left, up, upLeft); break;
        default: break;
        }
        out[i] = uint8_t(row[i] - predictor);
    }
}

RowPlacer::RowPlacer(const Ihdr& h, int dibBits, int paletteCount)
    : h_(h), bits_(dibBits), channels_(channels(h.colourType)),
      limit_(h.colourType == 3 && paletteCount < (1 << h.depth) ? paletteCount : 256)
{
}

uint32_t RowPlacer::sample(const uint8_t* raw, uint32_t i, int channel) const
{
    switch (h_.depth) {
    case 8: return raw[size_t(i) * channels_ + channel];
    case 16: return raw[(size_t(i) * channels_ + channel) * 2];
    default: {
        const size_t bit = size_t(i) * h_.depth;
        return (raw[bit >> 3] >> (8 - h_.depth - (bit & 7))) & ((1u << h_.depth) - 1);
    }
    }
}

void RowPlacer::place(const uint8_t* raw, uint8_t* row, uint32_t x0, uint32_t dx, uint32_t count) const
{
    if (bits_ == 24) {
        if (dx == 1 && x0 == 0 && h_.depth == 8) {
            const int c = channels_;
            for (uint32_t i = 0; i < count; ++i, raw += c, row += 3) {
                row[0] = raw[2];
                row[1] = raw[1];
                row[2] = raw[0];
            }
            return;
        }
        for (uint32_t i = 0; i < count; ++i) {
            uint8_t* p = row + size_t(x0 + i * dx) * 3;
            p[0] = uint8_t(sample(raw, i, 2));
            p[1] = uint8_t(sample(raw, i, 1));
            p[2] = uint8_t(sample(raw, i, 0));
        }
        return;
    }
    if (dx == 1 && x0 == 0 && channels_ == 1 && h_.depth == bits_ && limit_ == 256) {
        std::memcpy(row, raw, (size_t(count) * h_.depth + 7) / 8);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t v = sample(raw, i, 0);
        if (int(v) >= limit_)
            v = 0;
        const size_t x = size_t(x0) + size_t(i) * dx;
        if (bits_ == 8) {
            row[x] = uint8_t(v);
        } else if (bits_ == 4) {
            uint8_t& b = row[x >> 1];
            b = x & 1 ? uint8_t((b & 0xF0) | v) : uint8_t((b & 0x0F) | v << 4);
        } else {
            const uint8_t mask = uint8_t(0x80 >> (x & 7));
            row[x >> 3] = v ? row[x >> 3] | mask : row[x >> 3] & ~mask;
        }
    }
}

} // namespace png
