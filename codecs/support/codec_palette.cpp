#include "codec_palette.h"

#include "keldll.h"

namespace kelcodec {

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
