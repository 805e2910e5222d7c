#include "ras_format.h"

#include "bytes.h"

namespace ras {

Header parseHeader(const uint8_t* b)
{
    return {kel::getU32BE(b),      kel::getU32BE(b + 4),  kel::getU32BE(b + 8),  kel::getU32BE(b + 12),
            kel::getU32BE(b + 16), kel::getU32BE(b + 20), kel::getU32BE(b + 24), kel::getU32BE(b + 28)};
}

uint64_t pixelBytes(const Header& h) { return (uint64_t(h.width) * h.depth + 7) / 8; }

uint64_t fileRowBytes(const Header& h) { return (pixelBytes(h) + 1) & ~uint64_t(1); }

uint32_t mapEntries(const Header& h) { return h.mapType == kRgbPlanes ? h.mapLength / 3 : 0; }

} // namespace ras
