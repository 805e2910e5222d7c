// The Targa file format as this codec reads and writes it.
//
// Header, 18 bytes, little-endian:
//   off size field                  reading                                writing
//     0    1 ID length              bytes of image ID after the header     9
//     1    1 colour-map type        1 = a colour map follows the ID        1
//     2    1 image type             1, 2, 3, 9, 10 (below)                 1 or 2, + 8 when compressed
//     3    2 colour-map first index table position of the first entry     0
//     5    2 colour-map length      entries in the file                    the palette's entry count
//     7    1 colour-map entry size  15/16 (5-5-5), 24 (B G R), 32 (B G R A) 24
//     8    2 X origin               technical information                  0
//    10    2 Y origin               technical information                  0
//    12    2 width                                                         DIB width
//    14    2 height                                                        DIB height
//    16    1 bits per pixel         1, 4, 8; 15/16, 24, 32 for RGB types   DIB bit count
//    17    1 image descriptor       bit 5 = top row first; bits 6-7 =      0 (bottom row first)
//                                   interleave (refused); others ignored
// Then the image ID, the colour map, the pixels.
// Image types: 1 colour-mapped, 2 RGB, 3 grey (raw); 9, 10 the same run-length coded: a packet
// header h, count = (h & 0x7F) + 1; bit 7 set: one pixel repeated count times, else count pixels.
// Packets may continue into the next row. Pixels: 5-5-5 words (bit 15 unused), B G R, B G R A.
#pragma once

#include <cstdint>

namespace targa {

constexpr int kHeaderSize = 18;

struct Header {
    uint8_t idLength = 0;
    uint8_t mapType = 0;
    uint8_t type = 0;
    uint16_t mapFirst = 0;
    uint16_t mapLength = 0;
    uint8_t mapEntryBits = 0;
    int16_t xOrigin = 0;
    int16_t yOrigin = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t bits = 0;
    uint8_t descriptor = 0;

    bool compressed() const { return type == 9 || type == 10; }
    bool topDown() const { return (descriptor & 0x20) != 0; }
    bool interleaved() const { return (descriptor & 0xC0) != 0; }
};

Header parseHeader(const uint8_t* bytes);
void writeHeader(const Header& h, uint8_t* bytes);

// "1 - Uncompressed, color-mapped" ... for the technical information; null for other types.
const char* typeText(int type);

// Bytes of one pixel unit in the file (1 for 1-, 4- and 8-bit pixels), 0 for other depths.
int unitBytes(int bits);

// Bytes of one colour-map entry, 0 for entry sizes this codec does not read.
int mapEntryBytes(int bits);

// The DIB a header describes: bit count (1, 4, 8 or 24), colour-table entries, and the size of the
// pixel array; bits 0 when the header is refused: a type or depth this codec does not read, no
// width or height, or more image than `dataBytes` (the bytes after the header) could honestly
// give. A run packet of one byte gives 128 units, and a unit of a narrow image fills a padded
// row of four bytes, so a file expands at most 256-fold; the allowance keeps tiny images with
// short files readable.
struct Layout {
    int bits = 0;
    int colours = 0;
    uint64_t imageBytes = 0;
};
Layout layoutOf(const Header& h, uint64_t dataBytes);

// Row encoding of the writer: `units` units of `unit` bytes into `out` (room for twice the
// input plus one byte); the bytes written.
size_t encodeRow(const uint8_t* in, size_t units, int unit, uint8_t* out);

} // namespace targa
