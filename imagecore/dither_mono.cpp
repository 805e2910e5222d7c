// DitherDib: a black-and-white image from any image by error diffusion of grey levels to five
// neighbours (two ahead on the row, five on the next row), rows in memory order, left to right.
#include "dib_layout.h"
#include "dib_view.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "palette_internal.h"
#include "status_scope.h"
#include "win_raii.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

using namespace keldll;

namespace {

int grey(Rgb c) { return (30 * c.r + 59 * c.g + 11 * c.b) / 100; }

// The status text: the file's name when there is one.
void statusText(const char* fileName, char* text, int size)
{
    char format[128] = "";
    if (fileName && *fileName) {
        loadAppString(1087, format, sizeof format);
        std::snprintf(text, size_t(size), format, fileName);
    } else {
        loadAppString(1086, text, size);
    }
}

} // namespace

HGLOBAL DitherDib(HWND wnd, HGLOBAL dib, HPALETTE palette, const char* fileName)
{
    DibView src;
    if (!src.open(dib))
        return nullptr;
    const int width = src.width(), height = src.height();

    // Grey of every index; indices past the palette or table count as black.
    int greys[256] = {};
    if (palette) {
        PALETTEENTRY entries[256];
        const int n = readPalette(palette, entries, 256);
        for (int i = 0; i < n; ++i)
            greys[i] = grey(Rgb{entries[i].peRed, entries[i].peGreen, entries[i].peBlue});
    } else {
        for (DWORD i = 0; i < std::min<DWORD>(src.tableEntries(), 256); ++i)
            greys[i] = grey(src.tableColour(i));
    }

    const RGBQUAD table[2] = {{0, 0, 0, 1}, {255, 255, 255, 1}};
    kel::GlobalMem result(newIndexedDib(width, height, 1, 2, 2, table, 2));
    if (!result) {
        showNoMemory();
        return nullptr;
    }
    // Error rows with two positions of margin at each end, where the shares that fall outside
    // the image go.
    std::vector<int> rows;
    try {
        rows.assign(2 * size_t(width + 4), 0);
    } catch (const std::bad_alloc&) {
        ErrMsg("DitherDib: LocalAlloc error!");
        return nullptr;
    }
    int* a = rows.data() + 2;              // this row
    int* b = rows.data() + (width + 4) + 2; // the next one

    kel::GlobalLocked<BYTE> p(result.get());
    if (!p)
        return nullptr;
    uint8_t* out = FindDIBBits(p.get());
    const size_t outRow = size_t(kel::dibRowBytes(DWORD(width), 1));
    char text[400];
    statusText(fileName, text, sizeof text);
    StatusScope status(wnd, text);
    for (int y = 0; y < height; ++y, out += outRow) {
        const uint8_t* in = src.row(y);
        for (int x = 0; x < width; ++x) {
            const int v = src.indexed() ? greys[src.indexAt(in, x)] : std::clamp(grey(src.directColour(in, x)), 0, 255);
            int n = std::clamp(v + a[x], 0, 255);
            if (n > 128) {
                out[x >> 3] |= uint8_t(0x80 >> (x & 7));
                n -= 255;
            }
            const int s4 = n >> 2, s8 = n >> 3, s16 = n >> 4;
            a[x + 1] += s4;
            a[x + 2] += s8;
            b[x - 2] += s16;
            b[x - 1] += s8;
            b[x + 1] += s8;
            b[x + 2] += s16;
            b[x] += n - s4 - 3 * s8 - 2 * s16;
        }
        if (!status.progress(y + 1, height))
            break;
        std::swap(a, b);
        std::fill(b - 2, b + width + 2, 0);
    }
    return result.release();
}
