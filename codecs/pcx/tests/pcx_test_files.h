// Small PCX files built byte by byte in the tests, and reading back what the codec produced.
#pragma once

#include "bytes.h"
#include "codec_results.h"
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

// Reading back what the codec made (shared with the other codecs' tests).
using kt::indexRows;
using kt::techText;

} // namespace pcx_test
