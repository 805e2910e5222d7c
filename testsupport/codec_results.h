// Reading what a codec produced, for the codec tests: the text of a technical information block,
// a DIB's header, colour table and pixel values.
#pragma once

#include "bytes.h"
#include "win_raii.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace kt {

// The text of a technical information block (allocated size, text length, text).
inline std::string techText(HGLOBAL tech)
{
    kel::GlobalLocked<uint8_t> p(tech);
    if (!p || GlobalSize(tech) < 8)
        return {};
    return std::string(reinterpret_cast<const char*>(p.get()) + 8, kel::getU32(p.get() + 4));
}

inline BITMAPINFOHEADER headerOf(HGLOBAL dib)
{
    BITMAPINFOHEADER bi{};
    kel::GlobalLocked<uint8_t> p(dib);
    if (p)
        std::memcpy(&bi, p.get(), sizeof bi);
    return bi;
}

// The first `count` colour-table entries after a 40-byte header as 0xRRGGBBrr (red, green, blue,
// reserved), so that expected tables read as colours.
inline std::vector<uint32_t> colourTable(HGLOBAL dib, int count)
{
    std::vector<uint32_t> out;
    kel::GlobalLocked<uint8_t> p(dib);
    for (int i = 0; p && i < count; ++i) {
        const uint8_t* e = p.get() + 40 + 4 * i;
        out.push_back(uint32_t(e[2]) << 24 | uint32_t(e[1]) << 16 | uint32_t(e[0]) << 8 | e[3]);
    }
    return out;
}

// Pixel values (colour indices, or 0xRRGGBB at 24 bits) of a DIB with a 40-byte header, top row
// first.
inline std::vector<std::vector<int>> indexRows(HGLOBAL dib)
{
    const BITMAPINFOHEADER bi = headerOf(dib);
    kel::GlobalLocked<uint8_t> p(dib);
    std::vector<std::vector<int>> out;
    if (!p)
        return out;
    const uint32_t colours = bi.biClrUsed ? bi.biClrUsed : (bi.biBitCount <= 8 ? 1u << bi.biBitCount : 0);
    const uint8_t* pixels = p.get() + 40 + uint16_t(colours * 4);
    const size_t row = size_t((bi.biWidth * bi.biBitCount + 31) / 32) * 4;
    for (int y = 0; y < bi.biHeight; ++y) {
        const uint8_t* r = pixels + row * size_t(bi.biHeight - 1 - y);
        std::vector<int> line;
        for (int x = 0; x < bi.biWidth; ++x) {
            switch (bi.biBitCount) {
            case 1: line.push_back(r[x / 8] >> (7 - x % 8) & 1); break;
            case 4: line.push_back(r[x / 2] >> (x % 2 ? 0 : 4) & 15); break;
            case 8: line.push_back(r[x]); break;
            default: line.push_back(r[3 * x + 2] << 16 | r[3 * x + 1] << 8 | r[3 * x]);
            }
        }
        out.push_back(line);
    }
    return out;
}

} // namespace kt
