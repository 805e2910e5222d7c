// Checked access to the pixels of a DIB, and the indexed result images of the quantizers and
// the dithering routines.
#include "dib_view.h"

#include "dib_layout.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "win_raii.h"

#include <cstring>

namespace keldll {

bool DibView::open(HGLOBAL dib)
{
    if (!dib || base_)
        return false;
    const SIZE_T blockSize = GlobalSize(dib);
    if (blockSize < sizeof(BITMAPCOREHEADER))
        return false;
    base_ = static_cast<uint8_t*>(GlobalLock(dib));
    if (!base_)
        return false;
    handle_ = dib;
    const DWORD headerSize = *reinterpret_cast<const DWORD*>(base_);
    if (isCoreHeader(base_) ? headerSize != sizeof(BITMAPCOREHEADER) : blockSize < headerSize)
        return false;
    const uint64_t width = DIBWidth(base_);
    const uint64_t height = DIBHeight(base_);
    bits_ = DIBBitcount(base_);
    compression_ = isCoreHeader(base_) ? BI_RGB : reinterpret_cast<const BITMAPINFOHEADER*>(base_)->biCompression;
    // Top-down (negative height) and empty images are refused along with absurd sizes.
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF || compression_ != BI_RGB)
        return false;
    if (bits_ != 1 && bits_ != 4 && bits_ != 8 && bits_ != 16 && bits_ != 24 && bits_ != 32)
        return false;
    entrySize_ = isCoreHeader(base_) ? 3 : 4;
    colours_ = DIBNumColors(base_);
    tableEntries_ = PaletteSize(base_) / entrySize_;
    const uint64_t rowBytes = kel::dibRowBytes(width, uint64_t(bits_));
    const uint64_t pixelStart = uint64_t(headerSize) + PaletteSize(base_);
    if (rowBytes * height > kel::kMaxImageBytes || pixelStart + rowBytes * height > blockSize)
        return false;
    width_ = int(width);
    height_ = int(height);
    rowBytes_ = size_t(rowBytes);
    table_ = base_ + headerSize;
    pixels_ = base_ + pixelStart;
    return true;
}

DibView::~DibView()
{
    if (base_)
        GlobalUnlock(handle_);
}

Rgb DibView::tableColour(DWORD i) const
{
    if (i >= tableEntries_)
        return Rgb{0, 0, 0};
    const uint8_t* e = table_ + size_t(i) * entrySize_;
    return Rgb{e[2], e[1], e[0]};
}

std::vector<RGBQUAD> DibView::table() const
{
    std::vector<RGBQUAD> out(tableEntries_);
    for (DWORD i = 0; i < tableEntries_; ++i) {
        const Rgb c = tableColour(i);
        out[i] = RGBQUAD{c.b, c.g, c.r, 0};
    }
    return out;
}

BITMAPINFOHEADER DibView::header() const
{
    BITMAPINFOHEADER bi{};
    if (!isCoreHeader(base_)) {
        const auto* own = reinterpret_cast<const BITMAPINFOHEADER*>(base_);
        bi.biXPelsPerMeter = own->biXPelsPerMeter;
        bi.biYPelsPerMeter = own->biYPelsPerMeter;
        if (headerSize() >= sizeof bi)
            bi.biClrImportant = own->biClrImportant; // a 36-byte header has no such field
    }
    bi.biSize = sizeof bi;
    bi.biWidth = width_;
    bi.biHeight = height_;
    bi.biPlanes = 1;
    bi.biBitCount = WORD(bits_);
    bi.biCompression = BI_RGB;
    bi.biSizeImage = DWORD(rowBytes_ * size_t(height_));
    bi.biClrUsed = colours_;
    return bi;
}

int DibView::indexAt(const uint8_t* row, int x) const
{
    switch (bits_) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4;
    default: return row[x];
    }
}

Rgb DibView::directColour(const uint8_t* row, int x) const
{
    switch (bits_) {
    case 16: {
        const int v = row[2 * x] | row[2 * x + 1] << 8;
        const int r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        return Rgb{uint8_t(r << 3 | r >> 2), uint8_t(g << 3 | g >> 2), uint8_t(b << 3 | b >> 2)};
    }
    case 32: return Rgb{row[4 * x + 2], row[4 * x + 1], row[4 * x]};
    default: return Rgb{row[3 * x + 2], row[3 * x + 1], row[3 * x]};
    }
}

HGLOBAL newDib(const BITMAPINFOHEADER& header, const RGBQUAD* table, DWORD tableEntries)
{
    if (header.biWidth <= 0 || header.biHeight <= 0 || tableEntries > 16384)
        return nullptr;
    const uint64_t imageSize = kel::dibRowBytes(uint64_t(header.biWidth), header.biBitCount) * uint64_t(header.biHeight);
    if (imageSize > kel::kMaxImageBytes)
        return nullptr;
    kel::GlobalMem dib = kel::GlobalMem::alloc(SIZE_T(40 + 4 * uint64_t(tableEntries) + imageSize));
    if (!dib)
        return nullptr;
    kel::GlobalLocked<BYTE> p(dib.get());
    if (!p)
        return nullptr;
    BITMAPINFOHEADER bi = header;
    bi.biSize = 40;
    bi.biPlanes = 1;
    bi.biCompression = BI_RGB;
    bi.biSizeImage = DWORD(imageSize);
    std::memcpy(p.get(), &bi, sizeof bi);
    if (table)
        std::memcpy(p.get() + 40, table, 4 * size_t(tableEntries));
    return dib.release();
}

HGLOBAL newIndexedDib(int width, int height, int bits, DWORD coloursUsed, DWORD coloursImportant,
                      const RGBQUAD* table, DWORD tableEntries)
{
    BITMAPINFOHEADER bi{};
    bi.biWidth = width;
    bi.biHeight = height;
    bi.biBitCount = WORD(bits);
    bi.biClrUsed = coloursUsed;
    bi.biClrImportant = coloursImportant;
    return newDib(bi, table, tableEntries);
}

void showNoMemory()
{
    char text[128] = "";
    loadAppString(1017, text, sizeof text);
    ErrMsg("%s\r\n", text);
}

} // namespace keldll
