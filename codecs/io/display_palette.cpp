#include "display_palette.h"

#include "keldll.h"
#include "win_raii.h"

#include <cstddef>
#include <cstdlib>

namespace kelio {

bool addDisplayPalette(HGLOBAL* dib, HPALETTE* palette)
{
    // A logical palette record of 256 entries: 4 + 256 x 4 = 1028 bytes (1032 with the slack the
    // record has always been given).
    constexpr size_t kRecordBytes = offsetof(LOGPALETTE, palPalEntry) + 257 * sizeof(PALETTEENTRY);
    LOGPALETTE* record = static_cast<LOGPALETTE*>(std::calloc(1, kRecordBytes));
    if (!record) {
        ErrMsg("CreateBIPalette: LocalAlloc 256 error!");
        return false;
    }
    record->palVersion = 0x300;
    WORD count = 256;
    const bool ok = quantize(&count, record->palPalEntry, *dib) != 0 && count > 0;
    if (ok) {
        DebugMsg("New colormap size =%d\n", count);
        record->palNumEntries = count;
        kel::GdiObject<HPALETTE> made(CreatePalette(record));
        *dib = RationalizePalette(*dib, record, made.get());
        if (palette) {
            if (*palette)
                DeleteObject(*palette);
            *palette = made.release();
        }
    }
    std::free(record);
    return ok;
}

} // namespace kelio
