// Colours and palettes as the codecs need them: the colours of an image as the palette routines
// give them (the colour table, or for a 24-bit image the default palette of the image core), and
// the optimal palette that a reader gives its 24-bit result so that it can be shown on a palette
// display.
#pragma once

#include "win_raii.h"

#include <windows.h>

#include <cstdint>
#include <vector>

namespace kelcodec {

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// The entries of a logical palette (empty for a null palette).
std::vector<Rgb> paletteColours(HPALETTE palette);

// The entries of the palette the image core makes for a locked DIB's header.
std::vector<Rgb> dibColours(const void* header);

// A logical palette of these colours (flags 0), or null when there are none or no memory.
HPALETTE createPalette(const std::vector<Rgb>& colours);

// Replaces the colour table of the DIB in *dib by these colours (the image core's
// RationalizePalette, which moves the pixels and may reallocate the block, so *dib may change).
// False when the table could not be replaced (no memory).
bool setColourTable(HGLOBAL* dib, const std::vector<Rgb>& colours);


// Median-cut palette of up to 256 colours for a 24-bit DIB: the DIB's colour table becomes the
// 256 entries (those beyond the colours made are black) and the palette goes to `*palette` (or
// is deleted when the caller gave no variable). The DIB may move. False when the work palette
// cannot be allocated ("CreateBIPalette: LocalAlloc 256 error!" is shown) or quantization fails.
bool giveOptimalPalette(kel::GlobalMem& dib, HPALETTE* palette);

} // namespace kelcodec
