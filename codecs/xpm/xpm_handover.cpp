// The open entries of both formats hand over the DIB their information entry made; neither
// format is written.
#include "kelxpm.h"

#include "keldll.h"
#include "win_raii.h"

namespace {

// Whether a block holds a whole DIB (header, colour table and the rows its header claims) rather
// than a header copy.
bool wholeDib(HGLOBAL h)
{
    const SIZE_T size = GlobalSize(h);
    kel::GlobalLocked<BITMAPINFOHEADER> bi(h);
    return bi && size >= 40 && bi->biSize == 40 && size >= 40 + PaletteSize(bi.get()) + SIZE_T(bi->biSizeImage);
}

HGLOBAL handOver(HGLOBAL* info, const char* format)
{
    if (!info || !*info || !wholeDib(*info))
        return nullptr;
    HGLOBAL dib = *info;
    FormatSpecs(dib, format);
    *info = CopyBitmapInfo(dib);
    return dib;
}

} // namespace

HGLOBAL OpenXPM(const char* /*path*/, HINSTANCE /*instance*/, char* format, HGLOBAL* info, HGLOBAL* /*techInfo*/,
                HPALETTE* /*palette*/, int /*warnings*/)
{
    return handOver(info, format ? format : "XPM");
}

HGLOBAL OpenXBM(const char* /*path*/, HINSTANCE /*instance*/, char* format, HGLOBAL* info, HGLOBAL* /*techInfo*/,
                HPALETTE* /*palette*/, int /*warnings*/)
{
    return handOver(info, format ? format : "XBM");
}

int WriteXPM(const char* /*path*/, HGLOBAL /*dib*/, int /*options*/) { return 0; }
int WriteXBM(const char* /*path*/, HGLOBAL /*dib*/, int /*options*/) { return 0; }
