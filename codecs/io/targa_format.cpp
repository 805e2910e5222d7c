// Header fields, the DIB a header describes, and the writer's row encoding (layout in
// targa_format.h).
#include "targa_format.h"

#include "bytes.h"
#include "dib_layout.h"

#include <algorithm>
#include <cstring>

namespace targa {

Header parseHeader(const uint8_t* b)
{
    Header h;
    h.idLength = b[0];
    h.mapType = b[1];
    h.type = b[2];
    h.mapFirst = kel::getU16(b + 3);
    h.mapLength = kel::getU16(b + 5);
    h.mapEntryBits = b[7];
    h.xOrigin = kel::getI16(b + 8);
    h.yOrigin = kel::getI16(b + 10);
    h.width = kel::getU16(b + 12);
    h.height = kel::getU16(b + 14);
    h.bits = b[16];
    h.descriptor = b[17];
    return h;
}

void writeHeader(const Header& h, uint8_t* b)
{
    b[0] = h.idLength;
    b[1] = h.mapType;
    b[2] = h.type;
    kel::putU16(b + 3, h.mapFirst);
    kel::putU16(b + 5, h.mapLength);
    b[7] = h.mapEntryBits;
    kel::putU16(b + 8, uint16_t(h.xOrigin));
    kel::putU16(b + 10, uint16_t(h.yOrigin));
    kel::putU16(b + 12, h.width);
    kel::putU16(b + 14, h.height);
    b[16] = h.bits;
    b[17] = h.descriptor;
}

const char* typeText(int type)
{
    switch (type) {
    case 1: return "1 - Uncompressed, color-mapped";
    case 2: return "2 - Uncompressed RGB";
    case 3: return "3 - Uncompressed B&W";
    case 9: return "9 - RLE encoded,color-mapped";
    case 10: return "10 - RLE encoded RGB";
    default: return nullptr;
    }
}

int unitBytes(int bits)
{
    switch (bits) {
    case 1:
    case 4:
    case 8: return 1;
    case 15:
    case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 0;
    }
}

int mapEntryBytes(int bits)
{
    switch (bits) {
    case 15:
    case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 0;
    }
}

Layout layoutOf(const Header& h, uint64_t dataBytes)
{
    Layout none;
    if (!typeText(h.type) || h.width == 0 || h.height == 0 || !unitBytes(h.bits))
        return none;
    const bool rgb = h.type == 2 || h.type == 10;
    if (!rgb && h.bits > 8)
        return none; // colour-mapped and grey pixels are indices of at most 8 bits
    if (h.mapType == 1 && h.mapLength > 0 && !mapEntryBytes(h.mapEntryBits))
        return none; // the map could not be stepped over
    Layout l;
    l.bits = h.bits <= 8 ? h.bits : 24;
    if (l.bits <= 8) {
        const int room = 1 << l.bits;
        if (h.type == 3 || h.mapType == 0)
            l.colours = room;
        else
            l.colours = std::min(room, (h.mapType == 1 ? int(h.mapFirst) : 0) + int(h.mapLength));
        if (l.colours == 0)
            l.colours = room; // a map that gives no entries: the table stays black
    } else {
        l.colours = h.mapType ? std::min<int>(h.mapLength, 256) : 0;
    }
    l.imageBytes = kel::dibRowBytes(h.width, uint64_t(l.bits)) * h.height;
    constexpr uint64_t kAllowance = 64 * 1024;
    if (l.imageBytes > kel::kMaxImageBytes || l.imageBytes > 256 * dataBytes + kAllowance)
        return none;
    return l;
}

size_t encodeRow(const uint8_t* in, size_t units, int unit, uint8_t* out)
{
    uint8_t* o = out;
    const size_t u = size_t(unit);
    auto run = [&](size_t count, const uint8_t* value) {
        *o++ = uint8_t(0x80 | (count - 1));
        std::memcpy(o, value, u);
        o += u;
    };
    auto raw = [&](size_t first, size_t count) {
        *o++ = uint8_t(count - 1);
        std::memcpy(o, in + first * u, count * u);
        o += count * u;
    };
    if (units == 0)
        return 0;
    // The pending literals are the units first .. first + literals - 1; a repeat holds `repeat`
    // copies of the previous unit.
    size_t first = 0, literals = 1, repeat = 0;
    for (size_t i = 1; i < units; ++i) {
        const uint8_t* prev = in + (i - 1) * u;
        const uint8_t* cur = in + i * u;
        if (std::memcmp(cur, prev, u) == 0 && (literals > 0 || repeat > 0)) {
            if (repeat == 0) {
                // The last pending literal starts the repeat; the ones before it go out raw.
                if (literals >= 2)
                    raw(first, literals - 1);
                literals = 0;
                repeat = 1;
            }
            if (++repeat == 128) {
                run(repeat, cur);
                repeat = 0;
            }
        } else {
            if (repeat > 0) {
                run(repeat, prev);
                repeat = 0;
            }
            if (literals == 0)
                first = i;
            if (++literals == 128) {
                raw(first, literals);
                literals = 0;
            }
        }
    }
    if (repeat > 0)
        run(repeat, in + (units - 1) * u);
    else if (literals > 0)
        raw(first, literals);
    return size_t(o - out);
}

} // namespace targa
