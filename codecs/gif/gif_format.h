// The GIF file format (87a and 89a) as this codec reads and writes it. Little-endian.
//
// Signature, 6 bytes: "GIF87a" or "GIF89a" (the reader takes any "GIF8" and finds it at any
// offset, skipping leading data).
// Logical screen descriptor, 7 bytes:
//   off size field
//     0    2 screen width
//     2    2 screen height
//     4    1 packed: bit 7 global colour table, bits 4-6 colour resolution, bits 0-2 table size s
//     5    1 background colour index
//     6    1 aspect ratio
// Global colour table: (2 << s) entries of red, green, blue.
// Blocks, each introduced by one byte:
//   0x21 '!' extension: label, then data sub-blocks (size 1-255, data) ending with a size 0
//        0xF9 graphic control: packed (bit 0 transparent, bit 1 user input, bits 2-4 disposal),
//             delay in 1/100 s (u16), transparent index (u8)
//        0x01 plain text: grid left, top, width, height (u16 each), cell width and height,
//             foreground and background index (u8 each); the text in further sub-blocks
//        0xFE comment: text sub-blocks
//   0x2C ',' image: left, top, width, height (u16 each), packed (bit 7 local colour table,
//        bit 6 interlaced, bits 0-2 table size), the local table, the LZW minimum code size,
//        image data sub-blocks ending with a size 0
//   0x3B ';' trailer
#pragma once

#include <cstdint>

namespace gif {

constexpr int kScreenDescriptorSize = 7;
constexpr int kImageDescriptorSize = 9; // after the ','
constexpr uint8_t kExtension = 0x21, kImage = 0x2C, kTrailer = 0x3B;
constexpr uint8_t kGraphicControl = 0xF9, kPlainText = 0x01, kComment = 0xFE;
constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;

// Bits per DIB pixel for a colour count: 2 -> 1, up to 16 -> 4, up to 256 -> 8.
inline int dibBitsFor(int colours) { return colours <= 2 ? 1 : colours <= 16 ? 4 : 8; }

} // namespace gif
