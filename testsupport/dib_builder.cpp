#include "dib_builder.h"

#include "win_raii.h"

#include <cstring>

namespace kt {

HGLOBAL makeDib(int width, int height, int bits, const std::vector<uint32_t>& colours,
                const std::function<uint32_t(int x, int y)>& pixel)
{
    const size_t row = size_t((width * bits + 31) / 32) * 4;
    const size_t table = colours.size() * 4;
    kel::GlobalMem dib = kel::GlobalMem::alloc(40 + table + row * size_t(height));
    kel::GlobalLocked<uint8_t> p(dib.get());
    if (!p)
        return nullptr;
    BITMAPINFOHEADER bi{};
    bi.biSize = 40;
    bi.biWidth = width;
    bi.biHeight = height;
    bi.biPlanes = 1;
    bi.biBitCount = WORD(bits);
    bi.biSizeImage = DWORD(row * size_t(height));
    bi.biClrUsed = bi.biClrImportant = DWORD(colours.size());
    std::memcpy(p.get(), &bi, sizeof bi);
    for (size_t i = 0; i < colours.size(); ++i) {
        uint8_t* e = p.get() + 40 + 4 * i;
        e[0] = uint8_t(colours[i]);
        e[1] = uint8_t(colours[i] >> 8);
        e[2] = uint8_t(colours[i] >> 16);
    }
    uint8_t* pixels = p.get() + 40 + table;
    for (int y = 0; y < height; ++y) {
        uint8_t* r = pixels + row * size_t(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const uint32_t v = pixel(x, y);
            switch (bits) {
            case 1: r[x / 8] |= uint8_t((v & 1) << (7 - x % 8)); break;
            case 4: r[x / 2] |= uint8_t((v & 15) << (x % 2 ? 0 : 4)); break;
            case 8: r[x] = uint8_t(v); break;
            default:
                r[3 * x] = uint8_t(v);
                r[3 * x + 1] = uint8_t(v >> 8);
                r[3 * x + 2] = uint8_t(v >> 16);
            }
        }
    }
    return dib.release();
}

std::function<uint32_t(int x, int y)> pattern(int bits, int colourCount)
{
    if (bits == 24)
        return [](int x, int y) {
            return uint32_t((x * 37 + y * 11) & 255) << 16 | uint32_t((x * y + 7 * y) & 255) << 8 |
                   uint32_t((x ^ y) * 5 & 255);
        };
    // Runs of equal pixels and single ones, so that coded forms meet both.
    return [colourCount](int x, int y) { return uint32_t(((x / 3) * 7 + y * 3 + (x % 5 == 0 ? x : 0)) % colourCount); };
}

std::vector<uint32_t> spreadColours(int count)
{
    std::vector<uint32_t> out;
    for (int i = 0; i < count; ++i)
        out.push_back(uint32_t((i * 53) & 255) << 16 | uint32_t((i * 97 + 31) & 255) << 8 | uint32_t((i * 151 + 7) & 255));
    return out;
}

} // namespace kt
