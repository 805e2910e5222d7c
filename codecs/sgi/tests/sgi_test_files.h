// SGI files built byte by byte in the tests, and opening them through the codec.
#pragma once

#include "bytes.h"
#include "codec_results.h"
#include "kelsgi.h"
#include "test_support.h"
#include "win_raii.h"

#include <string>
#include <vector>

namespace sgi_test {

struct Header {
    uint16_t magic = 474;
    uint8_t storage = 0, bytesPerChannel = 1;
    uint16_t dimension = 3, width = 2, height = 2, channels = 1;
    uint32_t colourMap = 0;
    std::string name = "test";

    // The 512-byte header followed by `data`.
    std::vector<uint8_t> bytes(const std::vector<uint8_t>& data) const
    {
        std::vector<uint8_t> b(512, 0);
        kel::putU16BE(&b[0], magic);
        b[2] = storage;
        b[3] = bytesPerChannel;
        kel::putU16BE(&b[4], dimension);
        kel::putU16BE(&b[6], width);
        kel::putU16BE(&b[8], height);
        kel::putU16BE(&b[10], channels);
        kel::putU32BE(&b[16], 255);
        kel::putField(&b[24], 80, name.c_str());
        kel::putU32BE(&b[104], colourMap);
        b.insert(b.end(), data.begin(), data.end());
        return b;
    }

    // A run-length file: the tables, then each scanline (index c x height + r) as given.
    std::vector<uint8_t> runLength(const std::vector<std::vector<uint8_t>>& scanlines) const
    {
        std::vector<uint8_t> tables(scanlines.size() * 8), data;
        uint32_t at = uint32_t(512 + tables.size());
        for (size_t i = 0; i < scanlines.size(); ++i) {
            kel::putU32BE(&tables[4 * i], at);
            kel::putU32BE(&tables[4 * (scanlines.size() + i)], uint32_t(scanlines[i].size()));
            data.insert(data.end(), scanlines[i].begin(), scanlines[i].end());
            at += uint32_t(scanlines[i].size());
        }
        tables.insert(tables.end(), data.begin(), data.end());
        Header h = *this;
        h.storage = 1;
        return h.bytes(tables);
    }
};

struct Decoded {
    kel::GlobalMem dib;
    std::string format;
    std::string tech;
    kel::GdiObject<HPALETTE> palette;
};

inline Decoded open(const std::string& path)
{
    Decoded d;
    char format[32] = "";
    HGLOBAL tech = nullptr;
    HPALETTE palette = nullptr;
    d.dib.reset(OpenRGB(path.c_str(), kt::testApp().appInstance, format, nullptr, &tech, &palette, 0));
    d.format = format;
    d.tech = kt::techText(tech);
    d.palette.reset(palette);
    if (tech)
        GlobalFree(tech);
    return d;
}

} // namespace sgi_test
