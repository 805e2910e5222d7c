// The DIB block and the questions asked of it: header kinds, sizes, colour tables, copies and
// blank images.
//
// A DIB block holds, without gaps: a header (40-byte information header, the 36-byte variant
// that ends after the colours-used field, or the 12-byte OS/2 core header), the colour table
// (4-byte blue/green/red/reserved entries, 3-byte entries after a core header) and the pixel
// rows, bottom-up, each padded to 4 bytes.
#include "dib_layout.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>

using namespace keldll;

namespace {

const BITMAPINFOHEADER* info(const void* header) { return static_cast<const BITMAPINFOHEADER*>(header); }
const BITMAPCOREHEADER* core(const void* header) { return static_cast<const BITMAPCOREHEADER*>(header); }

} // namespace

BYTE* FindDIBBits(const void* header)
{
    if (!header)
        return nullptr;
    auto* p = static_cast<BYTE*>(const_cast<void*>(header));
    return p + *static_cast<const DWORD*>(header) + PaletteSize(header);
}

DWORD DIBWidth(const void* header)
{
    if (!header)
        return 0;
    return isCoreHeader(header) ? core(header)->bcWidth : DWORD(info(header)->biWidth);
}

DWORD DIBHeight(const void* header)
{
    if (!header)
        return 0;
    return isCoreHeader(header) ? core(header)->bcHeight : DWORD(info(header)->biHeight);
}

WORD DIBBitcount(const void* header)
{
    if (!header)
        return 0;
    return isCoreHeader(header) ? core(header)->bcBitCount : info(header)->biBitCount;
}

DWORD DIBNumColors(const void* header)
{
    if (!header)
        return 0;
    // Only the full 40-byte header's colours-used field counts; the 36-byte variant's does not.
    if (*static_cast<const DWORD*>(header) == 40 && info(header)->biClrUsed != 0)
        return info(header)->biClrUsed;
    switch (DIBBitcount(header)) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

WORD PaletteSize(const void* header)
{
    if (!header)
        return 0;
    // A 16-bit quantity on purpose: a 24-bit header claiming 16777216 colours has an empty table.
    return WORD(DIBNumColors(header) * (isCoreHeader(header) ? 3 : 4));
}

void InitBitmapInfoHeader(BITMAPINFOHEADER* bi, DWORD width, DWORD height, int bits)
{
    if (!bi)
        return;
    std::memset(bi, 0, sizeof *bi);
    bi->biSize = 40;
    bi->biWidth = LONG(width);
    bi->biHeight = LONG(height);
    bi->biPlanes = 1;
    bi->biBitCount = bits <= 1 ? 1 : bits <= 4 ? 4 : bits <= 8 ? 8 : 24;
    bi->biSizeImage = DWORD(kel::dibRowBytes(width, bi->biBitCount) * height);
}

int DibInfo(HGLOBAL dib, BITMAPINFOHEADER* bi)
{
    if (!bi)
        return 0;
    std::memset(bi, 0, sizeof *bi);
    if (!dib)
        return 0;
    kel::GlobalLocked<BYTE> p(dib);
    if (!p || GlobalSize(dib) < sizeof(BITMAPCOREHEADER))
        return 0;
    if (isCoreHeader(p.get())) {
        const BITMAPCOREHEADER* c = core(p.get());
        bi->biSize = 40;
        bi->biWidth = c->bcWidth;
        bi->biHeight = c->bcHeight;
        bi->biPlanes = c->bcPlanes;
        bi->biBitCount = c->bcBitCount;
        bi->biSizeImage = DWORD(kel::dibRowBytes(c->bcWidth, c->bcBitCount) * c->bcHeight);
        bi->biClrUsed = DIBNumColors(p.get());
        return 1;
    }
    if (GlobalSize(dib) < sizeof *bi)
        return 0;
    std::memcpy(bi, p.get(), sizeof *bi);
    if (bi->biSizeImage == 0)
        bi->biSizeImage = DWORD(kel::dibRowBytes(DWORD(bi->biWidth), bi->biBitCount) * DWORD(bi->biHeight));
    if (bi->biClrUsed == 0)
        bi->biClrUsed = DIBNumColors(p.get());
    bi->biSize = 40;
    return 1;
}

HGLOBAL CopyBitmapInfo(HGLOBAL dib)
{
    if (!dib)
        return nullptr;
    kel::GlobalLocked<BYTE> p(dib);
    if (!p)
        return nullptr;
    // Header plus colour table. The table size follows the same 16-bit rule as PaletteSize, so a
    // 24-bit DIB claiming 16777216 colours copies no pixels as a "table"; never read past the block.
    SIZE_T size = std::min<SIZE_T>(40 + WORD(DIBNumColors(p.get()) * 4), GlobalSize(dib));
    kel::GlobalMem copy = kel::GlobalMem::alloc(40 + WORD(DIBNumColors(p.get()) * 4));
    if (!copy)
        return nullptr;
    kel::GlobalLocked<BYTE> q(copy.get());
    if (!q)
        return nullptr;
    std::memcpy(q.get(), p.get(), size);
    return copy.release();
}

void CopyDIBPaletteInfo(const void* source, void* destination)
{
    if (!source || !destination)
        return;
    const BYTE* s = static_cast<const BYTE*>(source) + *static_cast<const DWORD*>(source);
    BYTE* d = static_cast<BYTE*>(destination) + *static_cast<const DWORD*>(destination);
    const int sStep = isCoreHeader(source) ? 3 : 4;
    const int dStep = isCoreHeader(destination) ? 3 : 4;
    // Never more entries than either table really holds: a 24-bit header claiming 16777216
    // colours has an empty table (the 16-bit size rule), and a destination is not written past
    // the table its own header describes.
    const DWORD n = std::min({DIBNumColors(source), DWORD(PaletteSize(source) / sStep),
                              DWORD(PaletteSize(destination) / dStep)});
    for (DWORD i = 0; i < n; ++i, s += sStep, d += dStep) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
        if (dStep == 4)
            d[3] = 0;
    }
}

HGLOBAL CopyHandle(HGLOBAL block)
{
    if (!block)
        return nullptr;
    SIZE_T size = GlobalSize(block);
    kel::GlobalMem copy = kel::GlobalMem::alloc(size);
    if (!copy)
        return nullptr;
    kel::GlobalLocked<BYTE> s(block);
    kel::GlobalLocked<BYTE> d(copy.get());
    if (!s || !d)
        return nullptr;
    std::memcpy(d.get(), s.get(), size);
    return copy.release();
}

HGLOBAL CreateNewDib(HWND, int width, int height, int bits, HPALETTE palette, HBRUSH background)
{
    if (width <= 0 || height <= 0 || (bits != 1 && bits != 4 && bits != 8 && bits != 24))
        return nullptr;
    // Without a palette the stock one serves, so that the colour table always matches the
    // colours-used field that DIBNumColors will read back.
    if (!palette)
        palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
    WORD entries = 0;
    GetObjectA(palette, sizeof entries, &entries);
    DWORD count = bits == 24 ? 256 : 1u << bits;
    count = std::min<DWORD>(count, entries);

    COLORREF backColour = 0;
    UINT backIndex = 0;
    if (background) {
        LOGBRUSH lb{};
        if (GetObjectA(background, sizeof lb, &lb))
            backColour = lb.lbColor;
        backIndex = GetNearestPaletteIndex(palette, backColour);
    }

    const uint64_t row = kel::dibRowBytes(DWORD(width), DWORD(bits));
    const uint64_t imageSize = row * DWORD(height);
    const SIZE_T headerBytes = 40 + 4 * count;
    kel::GlobalMem dib = kel::GlobalMem::alloc(headerBytes);
    if (!dib)
        return nullptr;
    {
        kel::GlobalLocked<BYTE> p(dib.get());
        if (!p)
            return nullptr;
        auto* bi = reinterpret_cast<BITMAPINFOHEADER*>(p.get());
        bi->biSize = 40;
        bi->biWidth = width;
        bi->biHeight = height;
        bi->biPlanes = 1;
        bi->biBitCount = WORD(bits);
        bi->biSizeImage = DWORD(imageSize);
        bi->biClrUsed = bi->biClrImportant = count;
        PALETTEENTRY pe[256];
        GetPaletteEntries(palette, 0, count, pe);
        auto* table = reinterpret_cast<RGBQUAD*>(p.get() + 40);
        for (DWORD i = 0; i < count; ++i)
            table[i] = RGBQUAD{pe[i].peBlue, pe[i].peGreen, pe[i].peRed, pe[i].peFlags};
    }
    if (imageSize > kel::kMaxImageBytes || !dib.realloc(headerBytes + SIZE_T(imageSize))) {
        char text[128] = "";
        loadAppString(1017, text, sizeof text);
        ErrMsg("%s\r\n", text);
        return nullptr;
    }
    if (count > 2) {
        kel::GlobalLocked<BYTE> p(dib.get());
        if (!p)
            return nullptr;
        BYTE* pixels = p.get() + headerBytes;
        // The first row pixel by pixel (4-bit rows up to the end of their last byte, so that
        // every pixel byte holds the background in both nibbles), then copied to the others.
        const RGBQUAD colour{GetBValue(backColour), GetGValue(backColour), GetRValue(backColour), 0};
        const int filled = bits == 4 ? (width + 1) & ~1 : width;
        for (int x = 0; x < filled; ++x)
            FillBackground(pixels, x, bits, BYTE(backIndex), &colour);
        for (int y = 1; y < height; ++y)
            std::memcpy(pixels + SIZE_T(row) * y, pixels, SIZE_T(row));
    }
    return dib.release();
}

void FillBackground(BYTE* row, int pixel, int bits, BYTE value, const RGBQUAD* colour)
{
    if (!row || pixel < 0)
        return;
    switch (bits) {
    case 1:
        if (value & 1)
            row[pixel >> 3] = BYTE(row[pixel >> 3] | (0x80 >> (pixel & 7)));
        break;
    case 4: row[pixel >> 1] = BYTE(row[pixel >> 1] | ((pixel & 1) ? value & 15 : (value & 15) << 4)); break;
    case 8: row[pixel] = value; break;
    case 24:
        if (colour) {
            row[3 * pixel] = colour->rgbBlue;
            row[3 * pixel + 1] = colour->rgbGreen;
            row[3 * pixel + 2] = colour->rgbRed;
        }
        break;
    }
}
