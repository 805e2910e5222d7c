// The Sun raster file as this codec reads it.
//
// Header, 32 bytes, eight big-endian 32-bit values:
//   off field              reading
//     0 magic              0x59A66A95, else "Invalid magic value"
//     4 width              pixels
//     8 height             pixels
//    12 depth              bits per pixel: 1, 8 or 24
//    16 length             bytes of image data (not consulted)
//    20 type               1 = standard (uncompressed); anything else is refused
//    24 colour map type    0 none, 1 red, green and blue planes
//    28 colour map length  bytes
// Then the colour map: length / 3 red values, as many green, as many blue (a remainder byte or
// two is passed over). Then the rows, top row first, each width x depth / 8 bytes (1-bit rows:
// (width + 7) / 8, leftmost pixel in the high bit, 1 = black) padded to an even length; 24-bit
// pixels are stored blue, green, red.
#pragma once

#include <cstdint>

namespace ras {

constexpr uint32_t kMagic = 0x59A66A95;
constexpr int kHeaderSize = 32;
constexpr uint32_t kStandard = 1;
constexpr uint32_t kRgbPlanes = 1;

struct Header {
    uint32_t magic, width, height, depth, length, type, mapType, mapLength;
};

Header parseHeader(const uint8_t* bytes);

// Bytes of a row's pixels, and of the row in the file (padded to an even length).
uint64_t pixelBytes(const Header& h);
uint64_t fileRowBytes(const Header& h);

// Colour map entries a file's map holds (0 when it has none).
uint32_t mapEntries(const Header& h);

} // namespace ras
