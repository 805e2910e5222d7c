// Logical palettes made from DIB colour tables, palette copies, and colour tables replaced
// from palettes.
#include "dib_layout.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "palette_internal.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

using namespace keldll;

namespace keldll {

HPALETTE makePalette(const PALETTEENTRY* entries, int count, const char* noMemoryText)
{
    std::unique_ptr<BYTE[]> record(new (std::nothrow) BYTE[sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * count]);
    if (!record) {
        if (noMemoryText)
            ErrMsg("%s", noMemoryText);
        return nullptr;
    }
    auto* lp = reinterpret_cast<LOGPALETTE*>(record.get());
    lp->palVersion = 0x300;
    lp->palNumEntries = WORD(count);
    std::memcpy(lp->palPalEntry, entries, sizeof(PALETTEENTRY) * count);
    return CreatePalette(lp);
}

int readPalette(HPALETTE palette, PALETTEENTRY* out, int max)
{
    const int count = std::min<int>(ColorsInPalette(palette), max);
    return count > 0 ? int(GetPaletteEntries(palette, 0, UINT(count), out)) : 0;
}

void trueColourDefault(PALETTEENTRY out[256])
{
    for (int i = 0; i < 256; ++i)
        out[i] = PALETTEENTRY{BYTE(32 * (i % 8)), BYTE(32 * ((i / 8) % 8)), BYTE(64 * (i / 64)), 0};
}

} // namespace keldll

namespace {

// Colour-table entries of a header that really exist. A count whose table would not fit the
// 16-bit table size (a 24-bit header claiming 16777216 colours) means there is no table.
DWORD tableEntries(const void* header)
{
    const DWORD entrySize = isCoreHeader(header) ? 3 : 4;
    const uint64_t count = DIBNumColors(header);
    return count * entrySize > 0xFFFF ? 0 : DWORD(count);
}

// The pixel bytes of a 40-byte-header DIB that the block really holds after its current table.
SIZE_T pixelBytes(HGLOBAL dib, const BYTE* header)
{
    BITMAPINFOHEADER bi;
    if (!DibInfo(dib, &bi))
        return 0;
    const SIZE_T start = 40 + PaletteSize(header);
    const SIZE_T size = GlobalSize(dib);
    return size > start ? std::min<SIZE_T>(bi.biSizeImage, size - start) : 0;
}

void writeTable(BYTE* header, const PALETTEENTRY* entries, int count)
{
    auto* table = reinterpret_cast<RGBQUAD*>(header + 40);
    for (int i = 0; i < count; ++i)
        table[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    reinterpret_cast<BITMAPINFOHEADER*>(header)->biClrUsed = DWORD(count);
}

} // namespace

WORD ColorsInPalette(HPALETTE palette)
{
    WORD count = 0;
    if (!palette || !GetObjectA(palette, sizeof count, &count))
        return 0;
    return count;
}

HPALETTE CopyPaletteChangingFlags(HPALETTE palette, UINT flags)
{
    const int count = ColorsInPalette(palette);
    if (count == 0)
        return nullptr;
    std::vector<PALETTEENTRY> entries;
    try {
        entries.resize(size_t(count));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    GetPaletteEntries(palette, 0, UINT(count), entries.data());
    const BYTE f = BYTE(flags);
    if (f == 0 || f == PC_RESERVED || f == PC_EXPLICIT || f == PC_NOCOLLAPSE)
        for (PALETTEENTRY& e : entries)
            e.peFlags = f;
    return makePalette(entries.data(), count, nullptr);
}

HPALETTE CreateDIBPalette(HGLOBAL dib)
{
    kel::GlobalLocked<BYTE> p(dib);
    if (!p || GlobalSize(dib) < sizeof(BITMAPCOREHEADER))
        return nullptr;
    return CreateBIPalette(p.get());
}

HPALETTE CreateBIPalette(const void* header)
{
    if (!header)
        return nullptr;
    // The 36-byte header is read like the 40-byte one: its table starts after its own 36 bytes.
    const DWORD count = tableEntries(header);
    if (count == 0 && DIBBitcount(header) != 24)
        return CopyPaletteChangingFlags(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 255);

    std::vector<PALETTEENTRY> entries;
    try {
        entries.resize(count ? count : 256);
    } catch (const std::bad_alloc&) {
        ErrMsg("CreateBIPalette: LocalAlloc error!");
        return nullptr;
    }
    if (count == 0) {
        trueColourDefault(entries.data());
    } else {
        const BYTE* table = static_cast<const BYTE*>(header) + *static_cast<const DWORD*>(header);
        const int entrySize = isCoreHeader(header) ? 3 : 4;
        for (DWORD i = 0; i < count; ++i, table += entrySize)
            entries[i] = PALETTEENTRY{table[2], table[1], table[0], 0};
    }
    return makePalette(entries.data(), int(entries.size()), "CreateBIPalette: LocalAlloc error!");
}

HGLOBAL RationalizePalette(HGLOBAL dib, const LOGPALETTE* record, HPALETTE)
{
    if (!dib || !record || record->palNumEntries == 0)
        return dib;
    const int n = record->palNumEntries;
    SIZE_T oldStart, pixels, needed;
    {
        kel::GlobalLocked<BYTE> p(dib);
        if (!p || GlobalSize(dib) < 40 || *reinterpret_cast<DWORD*>(p.get()) != 40)
            return dib;
        oldStart = 40 + PaletteSize(p.get());
        pixels = pixelBytes(dib, p.get());
        needed = 40 + 4 * SIZE_T(n) + pixels;
    }
    if (GlobalSize(dib) < needed) {
        HGLOBAL grown = GlobalReAlloc(dib, needed, GHND);
        if (!grown)
            return dib;
        dib = grown;
    }
    kel::GlobalLocked<BYTE> p(dib);
    if (!p)
        return dib;
    std::memmove(p.get() + 40 + 4 * SIZE_T(n), p.get() + oldStart, pixels);
    writeTable(p.get(), record->palPalEntry, n);
    return dib;
}

int ReplaceDIBPalette(HPALETTE palette, HGLOBAL dib)
{
    const int count = ColorsInPalette(palette);
    if (!dib || count == 0)
        return 0;
    std::vector<PALETTEENTRY> entries;
    try {
        entries.resize(size_t(count));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    GetPaletteEntries(palette, 0, UINT(count), entries.data());
    kel::GlobalLocked<BYTE> p(dib);
    if (!p || GlobalSize(dib) < 40 || *reinterpret_cast<DWORD*>(p.get()) != 40)
        return 0;
    // The block keeps its size: a palette larger than the table would overwrite the pixels, and
    // a smaller one moves them up so that they still follow the table.
    const DWORD room = PaletteSize(p.get()) / 4;
    if (DWORD(count) > room)
        return 0;
    const SIZE_T pixels = pixelBytes(dib, p.get());
    std::memmove(p.get() + 40 + 4 * SIZE_T(count), p.get() + 40 + 4 * SIZE_T(room), pixels);
    writeTable(p.get(), entries.data(), count);
    return 1;
}
