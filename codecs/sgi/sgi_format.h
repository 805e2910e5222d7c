// The SGI image file as this codec reads and writes it.
//
// Header, 512 bytes, big-endian:
//   off size field                   reading                         writing
//     0    2 magic                   474                             474
//     2    1 storage                 0 verbatim, 1 run-length        options bit 0
//     3    1 bytes per channel       1                               1
//     4    2 dimension               2 (one channel) or 3            3
//     6    2 width                                                   DIB width
//     8    2 height                                                  DIB height
//    10    2 channels                dimension 3: 1 or more          1 (grey) or 3
//    12    4 minimum pixel value     not read                        0
//    16    4 maximum pixel value     not read                        255
//    20    4 reserved                                                0
//    24   80 image name              technical information           the file name, 79 at most
//   104    4 colour map identifier   0                               0
//   108  404 reserved                                                0
// Channel 0 is red, 1 green, 2 blue; row 0 is the bottom row.
// Verbatim: after the header every row of channel 0 bottom to top, then channel 1, ...
// Run-length: after the header a table of scanline offsets (from the file's start) and a table
// of scanline lengths, each channels x height big-endian 32-bit values, entry c x height + r for
// row r of channel c. A scanline is packets: a count byte n (low seven bits) followed by n
// literal bytes when bit 7 is set, else by one byte repeated n times; a count of 0 ends it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sgi {

constexpr uint16_t kMagic = 474;
constexpr int kHeaderSize = 512;
constexpr int kNameSize = 80;
constexpr int kMaxPacket = 127;

struct Header {
    uint16_t magic = 0;
    uint8_t storage = 0;
    uint8_t bytesPerChannel = 0;
    uint16_t dimension = 0;
    uint16_t width = 0, height = 0, channels = 0;
    char name[kNameSize + 1] = {};
    uint32_t colourMap = 0;
};

Header parseHeader(const uint8_t* bytes);

// The header the writer puts before its data (the name cut to 79 characters).
void buildHeader(uint8_t* out, uint16_t width, uint16_t height, uint16_t channels, bool runLength,
                 const char* name);

// Channels of the file the DIB is made of: 1 for one or two channels (the second of a grey
// file being its alpha), 3 for three or more; 0 when the file has none. A two-dimensional file
// has one channel whatever its channel field says.
int dibChannels(const Header& h);

// Expands a scanline's packets into `out`, one value every `step` bytes, at most `count`
// values; stops at a count of 0 or at the end of the input. Returns the values written.
size_t expandScanline(const uint8_t* in, size_t n, uint8_t* out, size_t step, size_t count);

// Appends the packets of one scanline to `out` (no closing zero count). Chunks of 127 bytes;
// runs of three or more become repeat packets, singles and pairs between them literals, and
// pairs that stand alone repeat packets of two.
void encodeScanline(const uint8_t* in, size_t n, std::vector<uint8_t>& out);

} // namespace sgi
