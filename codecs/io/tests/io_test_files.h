// Targa and IFF files built byte by byte in the tests, and calling the codecs as the
// application does.
#pragma once

#include "bytes.h"
#include "codec_results.h"
#include "kelio.h"
#include "test_support.h"
#include "win_raii.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace io_test {

// An 18-byte Targa header and what follows it.
struct Tga {
    uint8_t idLength = 0, mapType = 0, type = 2, mapEntryBits = 0, bits = 24, descriptor = 0;
    uint16_t mapFirst = 0, mapLength = 0, width = 1, height = 1;
    int16_t x = 0, y = 0;

    std::vector<uint8_t> bytes(const std::vector<uint8_t>& rest) const
    {
        std::vector<uint8_t> b(18 + rest.size());
        b[0] = idLength;
        b[1] = mapType;
        b[2] = type;
        kel::putU16(&b[3], mapFirst);
        kel::putU16(&b[5], mapLength);
        b[7] = mapEntryBits;
        kel::putU16(&b[8], uint16_t(x));
        kel::putU16(&b[10], uint16_t(y));
        kel::putU16(&b[12], width);
        kel::putU16(&b[14], height);
        b[16] = bits;
        b[17] = descriptor;
        std::copy(rest.begin(), rest.end(), b.begin() + 18);
        return b;
    }
};

// One IFF chunk with its pad byte.
inline std::vector<uint8_t> chunk(const char* id, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> c(8 + data.size() + (data.size() & 1), 0);
    std::memcpy(c.data(), id, 4);
    kel::putU32BE(&c[4], uint32_t(data.size()));
    std::copy(data.begin(), data.end(), c.begin() + 8);
    return c;
}

inline std::vector<uint8_t> bmhd(int width, int height, int planes, int compression = 0, int masking = 0)
{
    std::vector<uint8_t> b(20);
    kel::putU16BE(&b[0], uint16_t(width));
    kel::putU16BE(&b[2], uint16_t(height));
    b[8] = uint8_t(planes);
    b[9] = uint8_t(masking);
    b[10] = uint8_t(compression);
    return b;
}

// "FORM", its length, the form type and the chunks.
inline std::vector<uint8_t> form(const char* type, const std::vector<std::vector<uint8_t>>& chunks)
{
    size_t size = 12;
    for (const auto& c : chunks)
        size += c.size();
    std::vector<uint8_t> f(size);
    std::memcpy(f.data(), "FORM", 4);
    kel::putU32BE(&f[4], uint32_t(size - 8));
    std::memcpy(f.data() + 8, type, 4);
    size_t at = 12;
    for (const auto& c : chunks) {
        std::copy(c.begin(), c.end(), f.begin() + ptrdiff_t(at));
        at += c.size();
    }
    return f;
}

// One ILBM row of pixel values as its plane rows (plane 0 first), uncompressed.
inline std::vector<uint8_t> planeRows(const std::vector<int>& values, int planes)
{
    const size_t bytes = (values.size() + 15) / 16 * 2;
    std::vector<uint8_t> out(bytes * size_t(planes), 0);
    for (int p = 0; p < planes; ++p)
        for (size_t x = 0; x < values.size(); ++x)
            if (values[x] >> p & 1)
                out[size_t(p) * bytes + x / 8] |= uint8_t(0x80 >> (x % 8));
    return out;
}

// Colour triples for a CMAP chunk.
inline std::vector<uint8_t> cmap(const std::vector<uint32_t>& colours)
{
    std::vector<uint8_t> out;
    for (uint32_t c : colours) {
        out.push_back(uint8_t(c >> 16));
        out.push_back(uint8_t(c >> 8));
        out.push_back(uint8_t(c));
    }
    return out;
}

// What an open call handed back.
struct Decoded {
    kel::GlobalMem dib;
    std::string format;
    std::string tech;
    kel::GdiObject<HPALETTE> palette;
    std::string imageId;
};

inline Decoded openTga(const std::string& path)
{
    Decoded d;
    char format[32] = "";
    HGLOBAL tech = nullptr, id = nullptr;
    HPALETTE palette = nullptr;
    d.dib.reset(OpenTGA(path.c_str(), kt::testApp().appInstance, format, &tech, &id, &palette));
    d.format = format;
    d.tech = kt::techText(tech);
    d.palette.reset(palette);
    if (id) {
        d.imageId = static_cast<const char*>(GlobalLock(id));
        GlobalUnlock(id);
        GlobalFree(id);
    }
    if (tech)
        GlobalFree(tech);
    return d;
}

inline Decoded openLbm(const std::string& path)
{
    Decoded d;
    char format[32] = "";
    HGLOBAL tech = nullptr;
    HPALETTE palette = nullptr;
    d.dib.reset(OpenLBM(path.c_str(), kt::testApp().appInstance, format, &tech, &palette));
    d.format = format;
    d.tech = kt::techText(tech);
    d.palette.reset(palette);
    if (tech)
        GlobalFree(tech);
    return d;
}

// The colour table of a DIB as 0xRRGGBB values (colours-used entries).
inline std::vector<uint32_t> colourTable(HGLOBAL dib)
{
    kel::GlobalLocked<uint8_t> p(dib);
    std::vector<uint32_t> out;
    const uint32_t used = kel::getU32(p.get() + 32);
    for (uint32_t i = 0; i < used; ++i) {
        const uint8_t* e = p.get() + 40 + 4 * i;
        out.push_back(uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0]);
    }
    return out;
}

inline BITMAPINFOHEADER headerOf(HGLOBAL dib)
{
    BITMAPINFOHEADER bi{};
    kel::GlobalLocked<uint8_t> p(dib);
    if (p)
        std::memcpy(&bi, p.get(), sizeof bi);
    return bi;
}

} // namespace io_test
