// The PNG file format as this codec reads and writes it. Big-endian.
//
// Signature, 8 bytes: 0x89 "PNG" 0x0D 0x0A 0x1A 0x0A (the reader finds it at any offset).
// Chunks: length (u32, data bytes only), type (4 letters), data, CRC-32 over type and data.
//   IHDR  off size field
//           0    4 width
//           4    4 height
//           8    1 bit depth
//           9    1 colour type: 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGB + alpha
//          10    1 compression method (0)
//          11    1 filter method (0)
//          12    1 interlace method: 0 none, 1 Adam7
//   PLTE  entries of red, green, blue
//   tEXt  keyword, a zero byte, text
//   tIME  year (u16), month, day, hour, minute, second
//   IDAT  the zlib stream of the filtered rows, split over consecutive IDAT chunks
//   IEND
// Filtered rows: per pass (one, or Adam7's seven), each row a filter type byte (0 none, 1 sub,
// 2 up, 3 average, 4 Paeth) and the row's bytes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace png {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
constexpr int kIhdrSize = 13;

struct Ihdr {
    uint32_t width = 0, height = 0;
    uint8_t depth = 0, colourType = 0, compression = 0, filter = 0, interlace = 0;
};
Ihdr parseIhdr(const uint8_t* data);

// The DIB an IHDR becomes: bits (0 for a header no PNG reader accepts) and colour count.
struct DibForm {
    int bits = 0;
    int colours = 0; // 2^depth entries of a grey ramp or room for the palette; 0 for 24 bits
};
DibForm dibForm(const Ihdr& h);

// Samples per pixel and bits per pixel of the filtered rows.
int channels(uint8_t colourType);
inline int pixelBits(const Ihdr& h) { return channels(h.colourType) * h.depth; }

// Bytes of all filtered rows (filter bytes included, every Adam7 pass), or 0 on overflow.
uint64_t filteredBytes(const Ihdr& h);

// One chunk as read: its type and data; the CRC was right.
struct Chunk {
    char type[5] = "";
    std::vector<uint8_t> data;
    bool is(const char* t) const { return std::memcmp(type, t, 4) == 0; }
};

// Sequential chunk reading on an open file.
class ChunkReader {
public:
    explicit ChunkReader(HANDLE file);
    // Positions the file right after the first signature found from offset 0; false when none.
    bool findSignature();
    // The next chunk; false (the chunk unreadable) on a short read, a length the rest of the
    // file cannot hold, or a wrong CRC. With `idatSink` the data of an IDAT chunk is appended
    // there instead (the compressed stream is gathered without a copy per chunk).
    bool next(Chunk* chunk, std::vector<uint8_t>* idatSink = nullptr);
    int64_t position() const { return pos_; }
    void seek(int64_t pos);

private:
    bool read(void* out, size_t n);
    HANDLE file_;
    int64_t pos_ = 0, size_ = 0;
    // Files of many small IDAT chunks are read through a buffer, not a call per field.
    std::vector<uint8_t> buffer_;
    size_t bufferPos_ = 0, bufferFill_ = 0;
};

} // namespace png
