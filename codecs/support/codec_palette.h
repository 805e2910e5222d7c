// The colours of an image as the palette routines give them: the colour table, or for a 24-bit
// image the default palette of the image core.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace codec {

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

} // namespace codec
