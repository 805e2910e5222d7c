#include "codec_palette.h"

#include "keldll.h"
#include "win_raii.h"

#include <algorithm>

namespace kelcodec {

std::vector<Rgb> paletteColours(HPALETTE palette)
{
    std::vector<Rgb> out;
    WORD count = 0;
    if (!palette || !GetObjectA(palette, sizeof count, &count) || count == 0)
        return out;
    std::vector<PALETTEENTRY> entries(count);
    GetPaletteEntries(palette, 0, count, entries.data());
    out.reserve(count);
    for (const PALETTEENTRY& e : entries)
        out.push_back({e.peRed, e.peGreen, e.peBlue});
    return out;
}

std::vector<Rgb> dibColours(const void* header)
{
    kel::GdiObject<HPALETTE> palette(CreateBIPalette(header));
    return paletteColours(palette.get());
}

namespace {

// A LOGPALETTE of the colours in `storage` (kept alive by the caller).
const LOGPALETTE* logPalette(const std::vector<Rgb>& colours, std::vector<uint8_t>& storage)
{
    storage.assign(4 + 4 * std::max<size_t>(colours.size(), 1), 0);
    auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = WORD(colours.size());
    for (size_t i = 0; i < colours.size(); ++i)
        lp->palPalEntry[i] = PALETTEENTRY{colours[i].r, colours[i].g, colours[i].b, 0};
    return lp;
}

} // namespace

HPALETTE createPalette(const std::vector<Rgb>& colours)
{
    if (colours.empty())
        return nullptr;
    std::vector<uint8_t> storage;
    return CreatePalette(logPalette(colours, storage));
}

bool setColourTable(HGLOBAL* dib, const std::vector<Rgb>& colours)
{
    if (colours.empty())
        return false;
    std::vector<uint8_t> storage;
    *dib = RationalizePalette(*dib, logPalette(colours, storage), nullptr);
    kel::GlobalLocked<BITMAPINFOHEADER> bi(*dib);
    return bi && bi->biClrUsed == colours.size();
}


bool giveOptimalPalette(kel::GlobalMem& dib, HPALETTE* palette)
{
    constexpr WORD kWanted = 256;
    const SIZE_T recordBytes = sizeof(LOGPALETTE) + (kWanted - 1) * sizeof(PALETTEENTRY);
    HLOCAL block = LocalAlloc(LHND, recordBytes);
    auto* record = block ? static_cast<LOGPALETTE*>(LocalLock(block)) : nullptr;
    if (!record) {
        if (block)
            LocalFree(block);
        ErrMsg("CreateBIPalette: LocalAlloc 256 error!");
        return false;
    }
    struct Release {
        HLOCAL h;
        ~Release()
        {
            LocalUnlock(h);
            LocalFree(h);
        }
    } release{block};
    record->palVersion = 0x300;
    record->palNumEntries = kWanted;
    WORD made = kWanted;
    if (!quantize(&made, record->palPalEntry, dib.get()))
        return false;
    DebugMsg("New colormap size =%d\n", made);
    kel::GdiObject<HPALETTE> created(CreatePalette(record));
    dib.reset(RationalizePalette(dib.release(), record, created.get()));
    if (palette)
        *palette = created.release();
    return true;
}

} // namespace kelcodec
