// Palette helpers shared by the palette, quantizer and dithering sources (not exported).
#pragma once

#include <windows.h>

namespace keldll {

// The 16 fixed colours (flags 4, no-collapse) in their documented order.
extern const PALETTEENTRY kSixteenColours[16];

// The 256 colours given to a true-colour DIB that has no colour table: 8 levels of red and
// green, 4 of blue, flags 0.
void trueColourDefault(PALETTEENTRY out[256]);

// A logical palette of `count` entries. When the work record cannot be allocated, shows
// `noMemoryText` (if any) in a warning box and returns null.
HPALETTE makePalette(const PALETTEENTRY* entries, int count, const char* noMemoryText);

// Up to `max` entries of a palette; the number read (0 for a null palette).
int readPalette(HPALETTE palette, PALETTEENTRY* out, int max);

} // namespace keldll
