// Metafiles: rendering into a DIB at a chosen size, the size at which one is shown, and the
// palette it carries.
#include "imagecore_internal.h"
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using namespace keldll;

namespace {

constexpr WORD kMetaCreatePalette = 0x00F7;

// A palette made from the entries of the stock default palette (a copy the caller may delete).
HPALETTE copyOfDefaultPalette()
{
    HPALETTE stock = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    WORD count = 0;
    GetObjectA(stock, sizeof count, &count);
    struct {
        WORD version, entries;
        PALETTEENTRY pe[256];
    } lp{0x300, count, {}};
    GetPaletteEntries(stock, 0, count, lp.pe);
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp));
}

} // namespace

int CALLBACK EnumFunct(HDC, HANDLETABLE*, METARECORD* record, int, LPARAM data)
{
    // The record's parameters hold a LOGPALETTE; refuse one whose entries run past the record.
    if (record && record->rdFunction == kMetaCreatePalette && record->rdSize > 5) {
        const auto* lp = reinterpret_cast<const LOGPALETTE*>(record->rdParm);
        const uint64_t paramBytes = (uint64_t(record->rdSize) - 3) * 2;
        if (4 + uint64_t(lp->palNumEntries) * 4 <= paramBytes) {
            auto* result = reinterpret_cast<HPALETTE*>(data);
            if (HPALETTE made = CreatePalette(lp)) {
                if (*result)
                    DeleteObject(*result); // only the last palette of the metafile is kept
                *result = made;
            }
        }
    }
    return 1;
}

HPALETTE GetMetaFilePalette(int, HDC dc, const METAFILEPICT* mfp)
{
    if (!mfp || !mfp->hMF)
        return nullptr;
    HPALETTE result = nullptr;
    EnumMetaFile(dc, mfp->hMF, reinterpret_cast<MFENUMPROC>(EnumFunct), reinterpret_cast<LPARAM>(&result));
    return result;
}

HGLOBAL DibFromMetaFile(const METAFILEPICT* mfp, int windowOrgX, int windowOrgY, int viewportOrgX, int viewportOrgY,
                        int viewportExtX, int viewportExtY, int, int, HBRUSH background, UINT usage)
{
    if (!mfp || !mfp->hMF)
        return nullptr;
    kel::WindowDC screen;
    kel::GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), abs(viewportExtX), abs(viewportExtY)));
    if (!bitmap)
        return nullptr;
    HPALETTE madePalette = GetMetaFilePalette(0, screen.get(), mfp);
    kel::GdiObject<HPALETTE> palette(madePalette ? madePalette : copyOfDefaultPalette());
    {
        kel::MemoryDC mem(screen.get());
        if (!mem)
            return nullptr;
        kel::Selected keepBitmap(mem.get(), bitmap.get());
        kel::Selected keepBrush(mem.get(), background);
        kel::RealizedPalette pal(mem.get(), palette.get(), TRUE);
        PatBlt(mem.get(), 0, 0, abs(viewportExtX), abs(viewportExtY), PATCOPY);
        SetMapMode(mem.get(), mfp->mm);
        // The window extent goes first: in the isotropic mode the viewport extent is adjusted
        // against the window extent already set.
        SetWindowExtEx(mem.get(), mfp->xExt, mfp->yExt, nullptr);
        if (mfp->mm == MM_ISOTROPIC || mfp->mm == MM_ANISOTROPIC)
            SetViewportExtEx(mem.get(), viewportExtX, viewportExtY, nullptr);
        SetViewportOrgEx(mem.get(), viewportOrgX, viewportOrgY, nullptr);
        SetWindowOrgEx(mem.get(), windowOrgX, windowOrgY, nullptr);
        PlayMetaFile(mem.get(), mfp->hMF);
    } // the bitmap must be out of the context before its bits are read
    return DibFromBitmap(bitmap.get(), BI_RGB, 0, palette.get(), usage);
}

void GetMetaFileDimensions(HWND wnd, const METAFILEPICT* mfp, POINT* size, int availableWidth, int availableHeight)
{
    if (!mfp || !size)
        return;
    kel::WindowDC dc(wnd);
    SetMapMode(dc.get(), mfp->mm);
    // Signed integer arithmetic, left to right, widened so that large extents cannot overflow.
    const int64_t hr = GetDeviceCaps(dc.get(), HORZRES), vr = GetDeviceCaps(dc.get(), VERTRES);
    const int64_t hs = GetDeviceCaps(dc.get(), HORZSIZE), vs = GetDeviceCaps(dc.get(), VERTSIZE);
    const int64_t xe = mfp->xExt, ye = mfp->yExt;
    switch (mfp->mm) {
    case MM_TEXT: case MM_LOMETRIC: case MM_HIMETRIC: case MM_LOENGLISH: case MM_HIENGLISH: case MM_TWIPS: {
        POINT p{mfp->xExt, mfp->yExt};
        LPtoDP(dc.get(), &p, 1);
        *size = p;
        break;
    }
    case MM_ISOTROPIC: case MM_ANISOTROPIC:
        if (hr == 0 || vr == 0 || hs == 0 || vs == 0)
            break;
        if (xe == 0) {
            *size = POINT{availableWidth, availableHeight};
        } else if (xe > 0) {
            size->x = LONG(hr * xe / hs / 100);
            size->y = LONG(ye * vr / vs / 100);
        } else if (ye != 0) { // only an aspect ratio: fit it into the available area
            const int64_t m = std::min(-(vs * availableHeight * 100) / vr / ye, -(hs * availableWidth * 100) / hr / xe);
            size->x = LONG(hr * m * xe / hs / -100);
            size->y = LONG(ye * vr * m / vs / 100);
        }
        break;
    default:
        break;
    }
}
