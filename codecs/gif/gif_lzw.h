// The LZW coding of GIF image data: codes of 3 to 12 bits packed least-significant bit first
// into data sub-blocks, a clear code of 2^c and an end code of 2^c + 1 for a minimum code
// size c.
#pragma once

#include "gif_format.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace gif {

// Where the decoder takes its bytes from: the next byte of the file (0 past its end).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint8_t next() = 0;
};

class LzwDecoder {
public:
    enum class Status { Ok, End, InvalidCode, InvalidStack };

    // `minCodeSize` must be 1 to 8 (otherwise the first read reports InvalidCode).
    LzwDecoder(ByteSource& source, int minCodeSize);

    // Up to n pixel values; fewer only when the data ended or went wrong (see status()).
    size_t read(uint8_t* out, size_t n);
    Status status() const { return status_; }

    // Skips what is left of the image data up to and including its terminating sub-block.
    void skipRest();

private:
    int code();
    bool decodeString(); // fills the stack with the next code's string

    ByteSource& src_;
    int minCodeSize_, clear_, end_, firstFree_;
    int width_ = 0, limit_ = 0, free_ = 0;
    int prev_ = -1, firstChar_ = 0;
    uint32_t bits_ = 0, bitCount_ = 0;
    int blockLeft_ = 0;
    bool terminated_ = false; // the size-0 sub-block has been read
    Status status_ = Status::Ok;
    uint16_t prefix_[kTableSize];
    uint8_t suffix_[kTableSize];
    // A chain can be no longer than the table (every prefix is an older code), plus the
    // first character of the code-not-yet-in-the-table case.
    uint8_t stack_[kTableSize + 1];
    int sp_ = 0;
};

// Encodes pixel values into codes packed into sub-blocks of 254 data bytes, written through
// `sink` (sub-block size byte included).
class LzwEncoder {
public:
    using Sink = std::function<void(const uint8_t* bytes, size_t n)>;
    LzwEncoder(int minCodeSize, Sink sink);
    bool ok() const { return keys_ && codes_; } // false when the tables could not be allocated
    void put(const uint8_t* pixels, size_t n);
    // Emits the current string and the end code, flushes, and writes the 0 terminator.
    void finish();

private:
    void emit(int code);
    void resetTable();
    void flushBlock();

    Sink sink_;
    int minCodeSize_, clear_, end_;
    int width_ = 0, free_ = 0;
    int current_ = -1;
    uint32_t bits_ = 0, bitCount_ = 0;
    uint8_t block_[255];
    int blockFill_ = 0;
    // Open addressing on (prefix << 8 | pixel); a key of 0xFFFFFFFF marks an empty slot.
    static constexpr int kHashSize = 8192;
    std::unique_ptr<uint32_t[]> keys_;
    std::unique_ptr<uint16_t[]> codes_;
};

} // namespace gif
