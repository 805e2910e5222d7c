// Small DIBs built pixel by pixel for exact tests, and reading back what a routine made.
// Rows are given and read in memory order: row 0 is the bottom line of the image.
#pragma once

#include "keldll.h"
#include "win_raii.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tdib {

struct Colour {
    uint8_t r, g, b;
    bool operator==(const Colour&) const = default;
};

inline size_t rowBytes(int width, int bits) { return size_t((width * bits + 31) / 32) * 4; }

// A 24-bit DIB (no colour table) from rows of colours.
inline HGLOBAL make24(const std::vector<std::vector<Colour>>& rows)
{
    const int h = int(rows.size()), w = int(rows[0].size());
    const size_t row = rowBytes(w, 24);
    HGLOBAL dib = GlobalAlloc(GHND, 40 + row * h);
    auto* p = static_cast<BYTE*>(GlobalLock(dib));
    BITMAPINFOHEADER bi{40, w, h, 1, 24, BI_RGB, DWORD(row * h), 0, 0, 0, 0};
    std::memcpy(p, &bi, 40);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            BYTE* px = p + 40 + row * y + 3 * x;
            px[0] = rows[size_t(y)][size_t(x)].b, px[1] = rows[size_t(y)][size_t(x)].g, px[2] = rows[size_t(y)][size_t(x)].r;
        }
    GlobalUnlock(dib);
    return dib;
}

// A 4- or 8-bit DIB from rows of indices, with `table` as its colour table (colours used =
// the table's size).
inline HGLOBAL makeIndexed(int bits, const std::vector<Colour>& table, const std::vector<std::vector<int>>& rows)
{
    const int h = int(rows.size()), w = int(rows[0].size());
    const size_t row = rowBytes(w, bits);
    const size_t head = 40 + 4 * table.size();
    HGLOBAL dib = GlobalAlloc(GHND, head + row * h);
    auto* p = static_cast<BYTE*>(GlobalLock(dib));
    BITMAPINFOHEADER bi{40, w, h, 1, WORD(bits), BI_RGB, DWORD(row * h), 0, 0, DWORD(table.size()), 0};
    std::memcpy(p, &bi, 40);
    for (size_t i = 0; i < table.size(); ++i) {
        p[40 + 4 * i] = table[i].b, p[41 + 4 * i] = table[i].g, p[42 + 4 * i] = table[i].r;
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            BYTE* r = p + head + row * y;
            const int v = rows[size_t(y)][size_t(x)];
            if (bits == 8)
                r[x] = BYTE(v);
            else if (bits == 4)
                r[x / 2] |= BYTE(x % 2 ? v : v << 4);
            else
                r[x / 8] |= BYTE(v ? 0x80 >> (x % 8) : 0);
        }
    GlobalUnlock(dib);
    return dib;
}

inline HPALETTE makePalette(const std::vector<Colour>& colours, BYTE flags = 0)
{
    std::vector<BYTE> record(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * colours.size());
    auto* lp = reinterpret_cast<LOGPALETTE*>(record.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = WORD(colours.size());
    for (size_t i = 0; i < colours.size(); ++i)
        lp->palPalEntry[i] = PALETTEENTRY{colours[i].r, colours[i].g, colours[i].b, flags};
    return CreatePalette(lp);
}

inline std::vector<PALETTEENTRY> entries(HPALETTE palette)
{
    std::vector<PALETTEENTRY> out(ColorsInPalette(palette));
    if (!out.empty())
        GetPaletteEntries(palette, 0, UINT(out.size()), out.data());
    return out;
}

// What a routine returned: header fields, colour table and the pixel indices (or colours).
struct Result {
    BITMAPINFOHEADER header{};
    std::vector<RGBQUAD> table;              // colours-used entries
    std::vector<std::vector<int>> indices;   // for 1-, 4- and 8-bit results
};

inline Result read(HGLOBAL dib)
{
    Result r;
    kel::GlobalLocked<BYTE> p(dib);
    std::memcpy(&r.header, p.get(), 40);
    const auto* table = reinterpret_cast<const RGBQUAD*>(p.get() + 40);
    r.table.assign(table, table + r.header.biClrUsed);
    const int w = r.header.biWidth, h = r.header.biHeight, bits = r.header.biBitCount;
    const BYTE* bitsStart = FindDIBBits(p.get());
    for (int y = 0; y < h; ++y) {
        const BYTE* row = bitsStart + rowBytes(w, bits) * y;
        std::vector<int> line;
        for (int x = 0; x < w; ++x)
            line.push_back(bits == 8 ? row[x] : bits == 4 ? (x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4)
                                                          : (row[x / 8] >> (7 - x % 8)) & 1);
        r.indices.push_back(line);
    }
    return r;
}

// Pixel rows (indices) as a test writes them, top row first, and their text for failure messages.
using Rows = std::vector<std::vector<int>>;
inline std::string show(const Rows& rows)
{
    std::string s;
    for (const auto& row : rows) {
        s += "[";
        for (int v : row)
            s += " " + std::to_string(v);
        s += " ]";
    }
    return s;
}

// Rows written as they are displayed (top row first) turned into memory order, and back.
template <typename Row> std::vector<Row> flip(std::vector<Row> rows)
{
    return std::vector<Row>(rows.rbegin(), rows.rend());
}

// The pixels of a 24-bit result in memory order.
inline std::vector<std::vector<Colour>> read24(HGLOBAL dib)
{
    kel::GlobalLocked<BYTE> p(dib);
    const auto* bi = reinterpret_cast<const BITMAPINFOHEADER*>(p.get());
    const BYTE* bits = FindDIBBits(p.get());
    std::vector<std::vector<Colour>> rows;
    for (int y = 0; y < bi->biHeight; ++y) {
        const BYTE* row = bits + rowBytes(bi->biWidth, 24) * y;
        std::vector<Colour> line;
        for (int x = 0; x < bi->biWidth; ++x)
            line.push_back(Colour{row[3 * x + 2], row[3 * x + 1], row[3 * x]});
        rows.push_back(line);
    }
    return rows;
}

} // namespace tdib
