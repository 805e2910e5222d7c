#include "dib_source.h"

#include "bytes.h"
#include "dib_layout.h"
#include "keldll.h"
#include "win_raii.h"

namespace kelio {

bool plainDib(const uint8_t* header, size_t blockSize)
{
    if (blockSize < 12)
        return false;
    const uint32_t size = kel::getU32(header);
    const bool info = size == 40 || size == 36;
    if (info && (blockSize < 40 || kel::getU32(header + 16) != BI_RGB))
        return false;
    const int64_t width = DIBWidth(header), height = DIBHeight(header);
    const int bits = DIBBitcount(header);
    if (width < 1 || height < 1 || bits < 1)
        return false;
    const uint64_t start = uint64_t(FindDIBBits(header) - header);
    const uint64_t image = kel::dibRowBytes(uint64_t(width), uint64_t(bits)) * uint64_t(height);
    return start + image <= blockSize;
}

std::vector<Rgb> dibPalette(const uint8_t* header)
{
    kel::GdiObject<HPALETTE> pal(CreateBIPalette(header));
    std::vector<Rgb> out;
    WORD count = 0;
    if (!pal || !GetObjectA(pal.get(), sizeof count, &count) || count == 0)
        return out;
    std::vector<PALETTEENTRY> entries(count);
    GetPaletteEntries(pal.get(), 0, count, entries.data());
    for (const PALETTEENTRY& e : entries)
        out.push_back({e.peRed, e.peGreen, e.peBlue});
    return out;
}

} // namespace kelio
