// What the writers of this library need of the DIB they are given: that its layout holds
// together, and its colours as the image core's palette functions give them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelio {

struct Rgb {
    uint8_t r, g, b;
};

// True for an uncompressed DIB (either header kind) with a positive size whose pixel array lies
// inside its block of `blockSize` bytes.
bool plainDib(const uint8_t* header, size_t blockSize);

// The colour table as a logical palette made from the header gives it (for a 24-bit image
// without a table, the image core's 256-colour default); empty when there is none.
std::vector<Rgb> dibPalette(const uint8_t* header);

} // namespace kelio
