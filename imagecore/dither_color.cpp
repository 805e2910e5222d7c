// DitherColorDib: an image of any depth mapped onto a palette of up to 256 colours (4- or
// 8-bit result) by error diffusion to twelve neighbours (two ahead on the row, five on each of
// the next two rows), the rows scanned alternately right to left and left to right.
#include "dib_layout.h"
#include "dib_view.h"
#include "dither_internal.h"
#include "error_shares.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "nearest_colour.h"
#include "palette_internal.h"
#include "status_scope.h"
#include "win_raii.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

using namespace keldll;

namespace {

// The colours of the source's indices: the source palette's, else the DIB's own table.
int sourceColours(const DibView& src, HPALETTE source, Rgb out[256])
{
    std::fill(out, out + 256, Rgb{0, 0, 0});
    if (source) {
        PALETTEENTRY entries[256];
        const int n = readPalette(source, entries, 256);
        for (int i = 0; i < n; ++i)
            out[i] = Rgb{entries[i].peRed, entries[i].peGreen, entries[i].peBlue};
        return n;
    }
    const int n = int(std::min<DWORD>(src.tableEntries(), 256));
    for (int i = 0; i < n; ++i)
        out[i] = src.tableColour(DWORD(i));
    return n;
}

bool paletteDevice()
{
    kel::WindowDC screen;
    return (GetDeviceCaps(screen.get(), RASTERCAPS) & RC_PALETTE) != 0;
}

// The target colours: the target palette's, else what suits the display and the source depth.
int targetColours(const DibView& src, HPALETTE target, PALETTEENTRY out[256])
{
    if (target)
        return readPalette(target, out, 256);
    const bool device = paletteDevice();
    if (src.bits() == 24 && device) {
        trueColourDefault(out);
        return 256;
    }
    if (device)
        return readPalette(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), out, 256);
    std::copy(kSixteenColours, kSixteenColours + 16, out);
    return 16;
}

bool sameColours(const DibView& src, HGLOBAL dib, HPALETTE source, const PALETTEENTRY* target, int count)
{
    Rgb colours[256];
    BITMAPINFOHEADER bi;
    if (sourceColours(src, source, colours) != count || !DibInfo(dib, &bi) || bi.biClrUsed != DWORD(count))
        return false;
    for (int i = 0; i < count; ++i)
        if (colours[i].r != target[i].peRed || colours[i].g != target[i].peGreen || colours[i].b != target[i].peBlue)
            return false;
    return true;
}

// Three error rows of (width + 4) pixels of red, green and blue sums, two pixels of margin at
// each end: the row being made, the next and the one after.
class ErrorRows {
public:
    explicit ErrorRows(int width) : stride_(3 * size_t(width + 4)), store_(3 * stride_, 0)
    {
        for (int i = 0; i < 3; ++i)
            row_[i] = store_.data() + i * stride_ + 6;
    }
    int* current() const { return row_[0]; }
    int* next() const { return row_[1]; }
    int* afterNext() const { return row_[2]; }
    void rotate() { std::rotate(row_, row_ + 1, row_ + 3); }

private:
    size_t stride_;
    std::vector<int> store_;
    int* row_[3];
};

inline int limit(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

} // namespace

namespace keldll {

bool ditherChangesNothing(HGLOBAL dib, HPALETTE source, HPALETTE target)
{
    DibView src;
    PALETTEENTRY entries[256];
    if (!target || !src.open(dib))
        return false;
    const int count = readPalette(target, entries, 256);
    return count == ColorsInPalette(target) && sameColours(src, dib, source, entries, count);
}

} // namespace keldll

HGLOBAL DitherColorDib(HWND wnd, HGLOBAL dib, HPALETTE source, HPALETTE target, const char* fileName)
{
    DibView src;
    if (!src.open(dib))
        return nullptr;
    const int width = src.width(), height = src.height();
    Rgb colours[256];
    sourceColours(src, source, colours);

    PALETTEENTRY targets[256];
    const int count = targetColours(src, target, targets);
    if (count == 0)
        return nullptr;
    if (target && count == ColorsInPalette(target) && sameColours(src, dib, source, targets, count))
        return nullptr; // nothing to do

    const int bits = count <= 16 ? 4 : 8;
    RGBQUAD table[256];
    Rgb map[256];
    for (int i = 0; i < count; ++i) {
        table[i] = RGBQUAD{targets[i].peBlue, targets[i].peGreen, targets[i].peRed, targets[i].peFlags};
        map[i] = Rgb{targets[i].peRed, targets[i].peGreen, targets[i].peBlue};
    }
    kel::GlobalMem result(newIndexedDib(width, height, bits, DWORD(count), DWORD(count), table, DWORD(count)));
    if (!result) {
        showNoMemory();
        return nullptr;
    }
    kel::GlobalLocked<BYTE> p(result.get());
    if (!p)
        return nullptr;
    uint8_t* out = FindDIBBits(p.get());
    const size_t outRow = size_t(kel::dibRowBytes(DWORD(width), DWORD(bits)));

    char format[128] = "", text[400] = "";
    loadAppString(target ? 1088 : 1089, format, sizeof format);
    std::snprintf(text, sizeof text, format, count, fileName ? fileName : "");
    StatusScope status(wnd, text);

    try {
        NearestColour nearest(map, count);
        ErrorRows rows(width);
        for (int y = 0; y < height; ++y, out += outRow) {
            const uint8_t* in = src.row(y);
            const int d = (y & 1) ? 1 : -1; // the first row right to left
            const int first = d > 0 ? 0 : width - 1;
            int* cur = rows.current();
            int* next = rows.next();
            int* after = rows.afterNext();
            // The row after next is reused from the row just finished: its two first positions
            // are cleared here and every later one is set (not added to) when first reached.
            // The next row already holds what the previous row passed on.
            for (int c = 0; c < 3; ++c)
                after[3 * first + c] = after[3 * (first + d) + c] = 0;
            int carry1[3] = {0, 0, 0}, carry2[3] = {0, 0, 0};
            for (int n = 0, x = first; n < width; ++n, x += d) {
                Rgb s = src.indexed() ? colours[src.indexAt(in, x)] : src.directColour(in, x);
                const int v[3] = {limit(s.r + carry1[0] + cur[3 * x]), limit(s.g + carry1[1] + cur[3 * x + 1]),
                                  limit(s.b + carry1[2] + cur[3 * x + 2])};
                const int index = nearest.find(v[0], v[1], v[2]);
                if (bits == 8)
                    out[x] = uint8_t(index);
                else
                    out[x >> 1] |= uint8_t((x & 1) ? index : index << 4);
                const int e[3] = {v[0] - map[index].r, v[1] - map[index].g, v[2] - map[index].b};
                for (int c = 0; c < 3; ++c) {
                    const ErrorShares& f = errorShares(e[c]);
                    carry1[c] = carry2[c] + f.rest;
                    carry2[c] = f.f4;
                    int* nx = next + 3 * x + c;
                    int* af = after + 3 * x + c;
                    nx[-6 * d] += f.f2;
                    nx[-3 * d] += f.f4;
                    nx[0] += f.f8;
                    nx[3 * d] += f.f4;
                    nx[6 * d] += f.f2;
                    af[-6 * d] += f.f1;
                    af[-3 * d] += f.f2;
                    af[0] += f.f4;
                    af[3 * d] += f.f2;
                    af[6 * d] = f.f1;
                }
            }
            if (!status.progress(y + 1, height))
                break;
            rows.rotate();
        }
    } catch (const std::bad_alloc&) {
        ErrMsg("Local Alloc Err");
        return nullptr;
    }
    return result.release();
}
