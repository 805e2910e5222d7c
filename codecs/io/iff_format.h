// The IFF picture formats as this codec reads and writes them (big-endian throughout).
//
// File: "FORM", length (u32: the bytes after this field), form type ("ILBM" planar or "PBM "
// chunky), then chunks: id (4 characters), length (u32), data, and a pad byte after data of odd
// length. Chunks read:
//   BMHD (20 bytes)
//     off size field                reading                            writing
//       0    2 width                DIB width                          DIB width
//       2    2 height               DIB height                         DIB height
//       4    2 x (signed)           technical information              0
//       6    2 y (signed)           technical information              0
//       8    1 number of planes     depth: 1-8, 24                     DIB bit count
//       9    1 masking              1 = a mask plane follows each row  0
//      10    1 compression          0 none, other ByteRun1             options low byte
//      11    1 pad                                                     0
//      12    2 transparent colour                                      0
//      14    1 x aspect             technical information              0
//      15    1 y aspect             technical information              0
//      16    2 page width                                              width
//      18    2 page height                                             height
//   CMAP  red, green, blue per colour (length / 3 colours)
//   CAMG  u32 display mode: 0x800 hold-and-modify, 0x80 extra half-brite
//   BODY  rows from the top. ILBM: the planes' rows in order (plane 0 first) and the mask row,
//         each ((width + 15) / 16) x 2 bytes, bit 7 of a byte the leftmost pixel. PBM: one byte
//         per pixel, rows of even length. Compressed: each plane row (ILBM) or row (PBM)
//         ByteRun1-coded on its own: a byte h < 128 is followed by h + 1 literal bytes, h > 128
//         by one byte repeated 257 - h times; 128 is nothing. Compression 2 (Atari ST) codes
//         each plane down its columns of 16-bit words, in a VDAT chunk per plane inside BODY:
//         the number of command bytes + 2 (u16), the command bytes, then data words. A command
//         c of 0 copies n words (n the next data word), 1 repeats a word n times (n, then the
//         word), c < 0 copies -c words, c > 1 repeats the next word c times.
// The writer puts BMHD, CMAP (8 bits or fewer) and BODY after "FORM" "ILBM".
#pragma once

#include "buffered_io.h"

#include <cstddef>
#include <cstdint>

namespace iff {

constexpr uint32_t kCamgHam = 0x800;
constexpr uint32_t kCamgHalfBrite = 0x80;

inline uint32_t id(const char* text)
{
    return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 | uint32_t(uint8_t(text[2])) << 8 |
           uint8_t(text[3]);
}

struct Bmhd {
    uint16_t width = 0, height = 0;
    int16_t x = 0, y = 0;
    uint8_t planes = 0, masking = 0, compression = 0;
    uint8_t xAspect = 0, yAspect = 0;
};
Bmhd parseBmhd(const uint8_t* bytes);
void writeBmhd(const Bmhd& b, uint8_t* bytes);

// Bytes of one plane row.
inline size_t planeRowBytes(size_t width) { return (width + 15) / 16 * 2; }

// Reads n bytes of ByteRun1 data into `out`. Whatever the file no longer holds is 0; what is left
// of the last packet is dropped (rows are coded on their own).
void unpackRow(kel::BufferedReader& in, uint8_t* out, size_t n);

// Reads the planes of a picture coded column by column (compression 2: one VDAT chunk per plane,
// 16-bit words down each column of two bytes) into `planes`, plane after plane, each `height`
// rows of `rowBytes`. Whatever the chunks do not give stays 0. `fileBytes` bounds what is read.
void unpackVertical(kel::BufferedReader& in, uint8_t* planes, int count, size_t rowBytes, size_t height,
                    uint64_t fileBytes);

// Packs one plane row into `out` (room for n + n / 127 + 1 bytes); the bytes written.
size_t packRow(const uint8_t* in, size_t n, uint8_t* out);

// Bit `plane` of eight pixel bytes as one plane byte (pixel 0 in bit 7), and back: the eight
// bits of a plane byte spread over eight pixel bytes (pixel 0 in the lowest byte), as bit 0 of
// each byte.
uint8_t gatherPlane(uint64_t eightPixels, int plane);
uint64_t spreadPlane(uint8_t planeByte);

} // namespace iff
