// Header fields, the depth table and the palette rules (layout in pcx_format.h).
#include "pcx_format.h"

#include "bytes.h"
#include "dib_layout.h"

#include <algorithm>
#include <cstring>

namespace pcx {

Header parseHeader(const uint8_t* b)
{
    Header h;
    h.version = b[1];
    h.encoding = b[2];
    h.bitsPerPixel = b[3];
    h.width = int32_t(kel::getI16(b + 8)) - kel::getI16(b + 4) + 1;
    h.height = int32_t(kel::getI16(b + 10)) - kel::getI16(b + 6) + 1;
    h.hres = kel::getU16(b + 12);
    h.vres = kel::getU16(b + 14);
    std::memcpy(h.colourMap, b + 16, sizeof h.colourMap);
    h.planes = b[65];
    h.bytesPerLine = kel::getU16(b + 66);
    return h;
}

Depth dibDepth(int bitsPerPixel, int planes)
{
    struct Row {
        int bits, planes;
        Depth depth;
    };
    static const Row kTable[] = {
        {1, 1, {1, 2}},  {1, 2, {4, 4}},  {2, 1, {4, 4}},    {1, 3, {4, 8}},
        {1, 4, {4, 16}}, {4, 1, {4, 16}}, {8, 1, {8, 256}}, {8, 3, {24, 256}},
    };
    for (const Row& r : kTable)
        if (r.bits == bitsPerPixel && r.planes == planes)
            return r.depth;
    return {0, 0};
}

uint64_t imageBytes(const Header& h, uint64_t dataBytes)
{
    const Depth d = dibDepth(h.bitsPerPixel, h.planes);
    if (!d.bits || h.width <= 0 || h.height <= 0)
        return 0;
    if (uint64_t(h.bytesPerLine) * 8 < uint64_t(h.width) * h.bitsPerPixel)
        return 0;
    constexpr uint64_t kAllowance = 64 * 1024;
    const uint64_t lineBytes = uint64_t(h.bytesPerLine) * h.planes * uint64_t(h.height);
    const uint64_t image = kel::dibRowBytes(uint64_t(h.width), uint64_t(d.bits)) * uint64_t(h.height);
    if (image > kel::kMaxImageBytes || image > 64 * dataBytes + kAllowance || lineBytes > 32 * dataBytes + kAllowance)
        return 0;
    return image;
}

namespace {

// One colour-table entry set by the reader: blue, green, red and the reserved byte 1.
void put(uint8_t* table, int index, int red, int green, int blue)
{
    uint8_t* e = table + 4 * index;
    e[0] = uint8_t(blue);
    e[1] = uint8_t(green);
    e[2] = uint8_t(red);
    e[3] = 1;
}

} // namespace

void choosePalette(const Header& h, const uint8_t* header, const uint8_t* trailer, int count, uint8_t* table)
{
    if (trailer && trailer[0] == kTrailerMark && h.version == 5) {
        for (int i = 0; i < count; ++i)
            put(table, i, trailer[1 + 3 * i], trailer[2 + 3 * i], trailer[3 + 3 * i]);
        return;
    }
    if (h.bitsPerPixel == 2 && h.planes == 1) {
        // CGA: the background colour in byte 16, the foreground palette and intensity in byte 19.
        const int l0 = header[16] & 0x80 ? 255 : 128;
        put(table, 0, header[16] & 0x40 ? l0 : 0, header[16] & 0x20 ? l0 : 0, header[16] & 0x10 ? l0 : 0);
        const int l = header[19] & 0x20 ? 255 : 128;
        const int p = header[19] & 0xC0 ? l : 0;
        put(table, 1, 0, l, p);
        put(table, 2, l, 0, p);
        put(table, 3, l, l, p);
        return;
    }
    const int red0 = h.colourMap[0], red1 = h.colourMap[3];
    const bool mapIsMonochrome = (red0 == 0 && red1 == 255) || (red0 == 255 && red1 == 0);
    if (count == 2 && (h.version == 2 || h.version == 3 || (h.version == 5 && !mapIsMonochrome))) {
        put(table, 0, 0, 0, 0);
        put(table, 1, 255, 255, 255);
        return;
    }
    if (h.bitsPerPixel == 1 && h.planes == 3) {
        for (int i = 0; i < 8; ++i)
            put(table, i, i & 4 ? 255 : 0, i & 2 ? 255 : 0, i & 1 ? 255 : 0);
        return;
    }
    for (int i = 0; i < std::min(count, 16); ++i)
        put(table, i, h.colourMap[3 * i], h.colourMap[3 * i + 1], h.colourMap[3 * i + 2]);
}

} // namespace pcx
