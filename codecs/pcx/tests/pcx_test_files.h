// Small PCX files built byte by byte in the tests, and reading back what the codec produced.
#pragma once

#include "bytes.h"
#include "win_raii.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace pcx_test {

struct Header {
    uint8_t version = 5, encoding = 1, bits = 8, planes = 1;
    int width = 1, height = 1;
    uint16_t bpl = 2, hres = 0, vres = 0;
    uint8_t map[48] = {};

    // The 128-byte header followed by `data`.
    std::vector<uint8_t> bytes(const std::vector<uint8_t>& data) const
    {
        std::vector<uint8_t> b(128 + data.size(), 0);
        b[0] = 10;
        b[1] = version;
        b[2] = encoding;
        b[3] = bits;
        kel::putU16(&b[8], uint16_t(width - 1));
        kel::putU16(&b[10], uint16_t(height - 1));
        kel::putU16(&b[12], hres);
        kel::putU16(&b[14], vres);
        std::memcpy(&b[16], map, sizeof map);
        b[65] = planes;
        kel::putU16(&b[66], bpl);
        std::copy(data.begin(), data.end(), b.begin() + 128);
        return b;
    }
};

// The text of a technical information block.
inline std::string techText(HGLOBAL tech)
{
    if (!tech)
        return {};
    kel::GlobalLocked<uint8_t> p(tech);
    return std::string(reinterpret_cast<const char*>(p.get()) + 8, kel::getU32(p.get() + 4));
}

// Pixel values (colour indices, or 0xRRGGBB at 24 bits) of a DIB, top row first.
inline std::vector<std::vector<int>> indexRows(HGLOBAL dib)
{
    kel::GlobalLocked<uint8_t> p(dib);
    BITMAPINFOHEADER bi;
    std::memcpy(&bi, p.get(), sizeof bi);
    const uint32_t colours = bi.biClrUsed ? bi.biClrUsed : (bi.biBitCount <= 8 ? 1u << bi.biBitCount : 0);
    const uint8_t* pixels = p.get() + 40 + uint16_t(colours * 4);
    const size_t row = size_t((bi.biWidth * bi.biBitCount + 31) / 32) * 4;
    std::vector<std::vector<int>> out;
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

} // namespace pcx_test
