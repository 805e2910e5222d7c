// The palette a 24-bit image read by these codecs gets for palette displays: an optimal
// 256-colour palette from the median-cut quantizer, written into the image's colour table and
// handed to the caller as a logical palette.
#pragma once

#include <windows.h>

#include <cstddef>

namespace kelio {

// Quantizes `*dib` (24-bit, 40-byte header), places the colours in its colour table (the block
// may move: *dib is updated) and replaces *palette (the old one is deleted) with the new
// palette. False when the quantizer fails or no palette can be made; "CreateBIPalette:
// LocalAlloc 256 error!" is shown when there is no memory for the palette record.
bool addDisplayPalette(HGLOBAL* dib, HPALETTE* palette);

// Bytes a decoder leaves free at the end of a DIB of this depth that will get the display
// palette, so that the colour table goes in without the image being copied to a larger block.
inline size_t displayPaletteRoom(int bits) { return bits == 24 ? 256 * 4 : 0; }

} // namespace kelio
