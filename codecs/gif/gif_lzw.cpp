#include "gif_lzw.h"

#include <cstring>
#include <new>

namespace gif {

// ---- Decoding ---------------------------------------------------------------------------------

LzwDecoder::LzwDecoder(ByteSource& source, int minCodeSize)
    : src_(source), minCodeSize_(minCodeSize), clear_(1 << minCodeSize), end_(clear_ + 1), firstFree_(clear_ + 2)
{
    if (minCodeSize < 1 || minCodeSize > 8)
        status_ = Status::InvalidCode;
    width_ = minCodeSize + 1;
    limit_ = 1 << width_;
    free_ = firstFree_;
}

// The next code; a sub-block size of 0 (also what the end of the file reads as) is the end code.
int LzwDecoder::code()
{
    while (bitCount_ < uint32_t(width_)) {
        if (blockLeft_ == 0) {
            if (terminated_)
                return end_;
            blockLeft_ = src_.next();
            if (blockLeft_ == 0) {
                terminated_ = true;
                return end_;
            }
        }
        bits_ |= uint32_t(src_.next()) << bitCount_;
        bitCount_ += 8;
        --blockLeft_;
    }
    const int c = int(bits_ & ((1u << width_) - 1));
    bits_ >>= width_;
    bitCount_ -= uint32_t(width_);
    return c;
}

bool LzwDecoder::decodeString()
{
    int c = code();
    while (c == clear_) {
        width_ = minCodeSize_ + 1;
        limit_ = 1 << width_;
        free_ = firstFree_;
        prev_ = -1;
        c = code();
    }
    if (c == end_) {
        status_ = Status::End;
        return false;
    }
    if (prev_ < 0) {
        // The first code after a clear (or of data that starts without one) is a pixel value.
        if (c > clear_) {
            status_ = Status::InvalidCode;
            return false;
        }
        prev_ = firstChar_ = c;
        stack_[sp_++] = uint8_t(c);
        return true;
    }
    const int in = c;
    if (c > free_ || (c == free_ && free_ >= kTableSize)) {
        status_ = Status::InvalidCode;
        return false;
    }
    if (c == free_) {
        stack_[sp_++] = uint8_t(firstChar_);
        c = prev_;
    }
    while (c >= firstFree_) {
        if (sp_ >= kTableSize) {
            status_ = Status::InvalidStack;
            return false;
        }
        stack_[sp_++] = suffix_[c];
        c = prefix_[c];
    }
    firstChar_ = c;
    stack_[sp_++] = uint8_t(c);
    if (free_ < kTableSize) {
        prefix_[free_] = uint16_t(prev_);
        suffix_[free_] = uint8_t(firstChar_);
        ++free_;
        if (free_ >= limit_ && width_ < kMaxCodeBits) {
            ++width_;
            limit_ <<= 1;
        }
    }
    prev_ = in;
    return true;
}

size_t LzwDecoder::read(uint8_t* out, size_t n)
{
    size_t done = 0;
    while (done < n) {
        if (sp_ == 0 && (status_ != Status::Ok || !decodeString()))
            break;
        while (sp_ > 0 && done < n)
            out[done++] = stack_[--sp_];
    }
    return done;
}

void LzwDecoder::skipRest()
{
    if (terminated_)
        return;
    for (;;) {
        while (blockLeft_ > 0) {
            src_.next();
            --blockLeft_;
        }
        blockLeft_ = src_.next();
        if (blockLeft_ == 0)
            break;
    }
    terminated_ = true;
}

// ---- Encoding ---------------------------------------------------------------------------------

LzwEncoder::LzwEncoder(int minCodeSize, Sink sink)
    : sink_(std::move(sink)), minCodeSize_(minCodeSize), clear_(1 << minCodeSize), end_(clear_ + 1),
      keys_(new (std::nothrow) uint32_t[kHashSize]), codes_(new (std::nothrow) uint16_t[kHashSize])
{
    if (!ok())
        return;
    resetTable();
    emit(clear_);
}

void LzwEncoder::resetTable()
{
    std::memset(keys_.get(), 0xFF, sizeof(uint32_t) * kHashSize);
    width_ = minCodeSize_ + 1;
    free_ = clear_ + 2;
}

void LzwEncoder::flushBlock()
{
    if (blockFill_ == 0)
        return;
    uint8_t size = uint8_t(blockFill_);
    sink_(&size, 1);
    sink_(block_, size_t(blockFill_));
    blockFill_ = 0;
}

void LzwEncoder::emit(int code)
{
    bits_ |= uint32_t(code) << bitCount_;
    bitCount_ += uint32_t(width_);
    while (bitCount_ >= 8) {
        block_[blockFill_++] = uint8_t(bits_);
        bits_ >>= 8;
        bitCount_ -= 8;
        if (blockFill_ == 254)
            flushBlock();
    }
}

void LzwEncoder::put(const uint8_t* pixels, size_t n)
{
    if (!ok())
        return;
    size_t i = 0;
    if (current_ < 0 && n > 0)
        current_ = pixels[i++];
    for (; i < n; ++i) {
        const uint8_t p = pixels[i];
        const uint32_t key = uint32_t(current_) << 8 | p;
        uint32_t slot = (key * 2654435761u) >> 19; // 13 bits
        while (keys_[slot] != 0xFFFFFFFFu && keys_[slot] != key)
            slot = (slot + 1) & (kHashSize - 1);
        if (keys_[slot] == key) {
            current_ = codes_[slot];
            continue;
        }
        emit(current_);
        keys_[slot] = key;
        codes_[slot] = uint16_t(free_++);
        current_ = p;
        if (free_ >= kTableSize) {
            // The table is full: start a new one, as a decoder expects after the clear code.
            emit(clear_);
            resetTable();
        } else if (free_ > (1 << width_)) {
            ++width_;
        }
    }
}

void LzwEncoder::finish()
{
    if (!ok())
        return;
    if (current_ >= 0) {
        emit(current_);
        // A decoder adds an entry for this code too, and widens as it would after any other.
        if (free_ >= (1 << width_) && width_ < kMaxCodeBits)
            ++width_;
    }
    emit(end_);
    if (bitCount_ > 0) {
        block_[blockFill_++] = uint8_t(bits_);
        bits_ = 0;
        bitCount_ = 0;
    }
    flushBlock();
    const uint8_t terminator = 0;
    sink_(&terminator, 1);
}

} // namespace gif
