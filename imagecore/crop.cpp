// Cutting a rectangle out of a DIB. The part of the rectangle that lies outside the image keeps
// the background brush's colour: the colour itself at 24 bits, else the index of the nearest
// colour of the image's own table, which the new image shares.
//
// The new image is built directly rather than read back from a screen bitmap filled with the
// brush: the platform converts such a bitmap against its own default colour table, whose indices
// mean other colours once the image's table is copied in.
#include "dib_layout.h"
#include "dib_view.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "nearest_colour.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

using namespace keldll;

HGLOBAL CropDIB(HGLOBAL dib, const RECT* rect, HPALETTE, HBRUSH background, UINT)
{
    if (!dib || !rect || rect->right <= rect->left || rect->bottom <= rect->top)
        return nullptr;
    DibView src;
    if (!src.open(dib))
        return nullptr;
    const int bits = src.bits();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return nullptr;
    const int64_t cw = int64_t(rect->right) - rect->left, ch = int64_t(rect->bottom) - rect->top;
    if (uint64_t(kel::dibRowBytes(uint64_t(cw), uint64_t(bits))) * uint64_t(ch) > kel::kMaxImageBytes)
        return nullptr;
    const int w = int(cw), h = int(ch);
    BITMAPINFOHEADER bi = src.header();
    bi.biWidth = w;
    bi.biHeight = h;
    const std::vector<RGBQUAD> table = src.table();
    kel::GlobalMem result(newDib(bi, table.data(), DWORD(table.size())));
    if (!result)
        return nullptr;
    kel::GlobalLocked<BYTE> out(result.get());
    if (!out)
        return nullptr;

    LOGBRUSH lb{};
    const COLORREF colour = background && GetObjectA(background, sizeof lb, &lb) ? lb.lbColor : RGB(0, 0, 0);
    BYTE index = 0;
    if (bits <= 8 && !table.empty()) {
        std::vector<Rgb> colours;
        for (size_t i = 0; i < table.size() && i < 256; ++i)
            colours.push_back(Rgb{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue});
        try {
            index = BYTE(NearestColour(colours.data(), int(colours.size()))
                             .find(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    BYTE* bitsOut = FindDIBBits(out.get());
    const size_t outRow = size_t(kel::dibRowBytes(uint64_t(w), uint64_t(bits)));
    const RGBQUAD fill{GetBValue(colour), GetGValue(colour), GetRValue(colour), 0};
    for (int x = 0; x < w; ++x)
        FillBackground(bitsOut, x, bits, index, &fill);
    for (int y = 1; y < h; ++y)
        std::memcpy(bitsOut + outRow * size_t(y), bitsOut, outRow);

    // Columns of the rectangle that lie inside the image.
    const int x0 = int(std::max<int64_t>(0, rect->left)), x1 = int(std::min<int64_t>(src.width(), rect->right));
    for (int j = 0; j < h && x0 < x1; ++j) {
        const int64_t sy = int64_t(rect->top) + j; // image rows counted from the top
        if (sy < 0 || sy >= src.height())
            continue;
        const BYTE* s = src.row(src.height() - 1 - int(sy));
        BYTE* d = bitsOut + outRow * size_t(h - 1 - j);
        const int dx0 = int(x0 - rect->left);
        if (bits == 8 || bits == 24) {
            const int size = bits / 8;
            std::memcpy(d + size_t(dx0) * size, s + size_t(x0) * size, size_t(x1 - x0) * size);
            continue;
        }
        for (int x = x0, dx = dx0; x < x1; ++x, ++dx) {
            const int v = src.indexAt(s, x);
            if (bits == 1) {
                const BYTE mask = BYTE(0x80 >> (dx & 7));
                d[dx >> 3] = BYTE(v ? d[dx >> 3] | mask : d[dx >> 3] & ~mask);
            } else {
                d[dx >> 1] = BYTE((dx & 1) ? (d[dx >> 1] & 0xF0) | v : (d[dx >> 1] & 0x0F) | v << 4);
            }
        }
    }
    return result.release();
}
