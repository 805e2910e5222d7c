// The PCX file format as this codec reads and writes it.
//
// Header, 128 bytes, little-endian:
//   off size field                         reading                          writing
//     0    1 manufacturer                  ignored                          10
//     1    1 version                       palette choice, tech. info       5
//     2    1 encoding                      1 = run-length, other = raw      options bit 0
//     3    1 bits per pixel in each plane  depth                            8 for 24-bit, else DIB bits
//     4    2 xmin (signed)                 width = xmax - xmin + 1          0
//     6    2 ymin (signed)                 height = ymax - ymin + 1         0
//     8    2 xmax (signed)                                                  width - 1
//    10    2 ymax (signed)                                                  height - 1
//    12    2 horizontal resolution         tech. info                       the image width
//    14    2 vertical resolution           tech. info                       the image height
//    16   48 colour map, 16 x (r, g, b)    palette                          palette of <= 16 entries
//    64    1 reserved                                                       0
//    65    1 number of planes              depth                            3 for 24-bit, else 1
//    66    2 bytes per line in each plane  row length                       ((bits x width + 15) / 16) x 2
//    68   60 unused                                                         0
// Then every scan line from the top: plane 0's bytes, plane 1's, ... each bytes-per-line long.
// Run-length coding: a byte 0xC0..0xFF is a count (low six bits) and the next byte the value
// repeated; any other byte is itself. Runs never continue into the next scan line.
// Palette trailer: 0x0C and 256 x (r, g, b) as the last 769 bytes of the file.
#pragma once

#include <cstdint>

namespace pcx {

constexpr int kHeaderSize = 128;
constexpr int kTrailerSize = 769;
constexpr uint8_t kTrailerMark = 12;
constexpr int kMaxRun = 63;

struct Header {
    uint8_t version = 0;
    uint8_t encoding = 0;
    uint8_t bitsPerPixel = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t hres = 0;
    uint16_t vres = 0;
    uint8_t colourMap[48] = {};
    uint8_t planes = 0;
    uint16_t bytesPerLine = 0;
};

Header parseHeader(const uint8_t* bytes);

// The DIB a file's depth becomes: bit count and colour count; bits 0 for depths this codec does
// not read (2 bits in 4 planes, 4 bits in 2 planes, 16- and 32-bit forms, ...).
struct Depth {
    int bits;
    int colours;
};
Depth dibDepth(int bitsPerPixel, int planes);

// Size of the DIB's pixel array for a header, or 0 when the header is absurd: no width or height,
// a depth this codec does not read, lines too short for the width, or an image larger than the
// file's `dataBytes` (the bytes after the header) could honestly describe. A run-length pair
// gives at most 63 bytes, and a 2-bit line doubles in the DIB, so a file expands at most
// 64-fold; the small allowance keeps tiny images with short files readable.
uint64_t imageBytes(const Header& h, uint64_t dataBytes);

// Fills `table` (count entries of blue, green, red, reserved) by the palette rules: the 256-colour
// trailer when present, the CGA scheme, black and white, the 8-colour scheme, or the header's
// colour map. `trailer` is the last 769 bytes of the file or null when the file is shorter.
void choosePalette(const Header& h, const uint8_t* header, const uint8_t* trailer, int count, uint8_t* table);

} // namespace pcx
