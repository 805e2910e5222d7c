#include "dib_reading.h"

#include "bytes.h"
#include "win_raii.h"

#include <cstring>

namespace kt {

std::vector<std::vector<int>> indexRows(HGLOBAL dib)
{
    kel::GlobalLocked<uint8_t> p(dib);
    std::vector<std::vector<int>> out;
    if (!p)
        return out;
    BITMAPINFOHEADER bi;
    std::memcpy(&bi, p.get(), sizeof bi);
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

std::string techText(HGLOBAL tech)
{
    if (!tech)
        return {};
    kel::GlobalLocked<uint8_t> p(tech);
    return std::string(reinterpret_cast<const char*>(p.get()) + 8, kel::getU32(p.get() + 4));
}

} // namespace kt
