// Little-endian field access for on-disk structures, and checked size arithmetic.
// Structures are read and written field by field through these, never by casting packed
// structs over file bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>

namespace kel {

inline uint16_t getU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline int16_t getI16(const uint8_t* p) { return int16_t(getU16(p)); }
inline uint32_t getU32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t getI32(const uint8_t* p) { return int32_t(getU32(p)); }
inline uint16_t getU16BE(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
inline uint32_t getU32BE(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

inline void putU16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void putU32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void putU16BE(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}
inline void putU32BE(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// A zero-terminated text inside a fixed field: the length up to the first zero or the field end.
inline size_t fieldLength(const uint8_t* p, size_t size)
{
    const void* z = std::memchr(p, 0, size);
    return z ? size_t(static_cast<const uint8_t*>(z) - p) : size;
}

// Copies a text into a fixed field, truncating so that a terminator always fits, zero-padding.
inline void putField(uint8_t* p, size_t size, const char* text)
{
    std::memset(p, 0, size);
    if (text && size)
        std::memcpy(p, text, std::min(std::strlen(text), size - 1));
}

// Reads a field into a C string buffer of at least size + 1 bytes.
inline void getField(const uint8_t* p, size_t size, char* out)
{
    size_t n = fieldLength(p, size);
    std::memcpy(out, p, n);
    out[n] = 0;
}

// Checked arithmetic for sizes computed from untrusted headers: false on overflow.
inline bool mulSize(size_t a, size_t b, size_t* out) { return !__builtin_mul_overflow(a, b, out); }
inline bool addSize(size_t a, size_t b, size_t* out) { return !__builtin_add_overflow(a, b, out); }

// Bounds-checked sequential reader over a memory buffer with a sticky failure flag:
// once a read runs past the end every later read yields zeros and ok() stays false.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }
    size_t remaining() const { return size_ - pos_; }
    const uint8_t* take(size_t n)
    {
        if (!ok_ || n > size_ - pos_) {
            ok_ = false;
            return nullptr;
        }
        const uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }
    bool skip(size_t n) { return take(n) != nullptr; }
    bool seek(size_t pos)
    {
        if (pos > size_)
            return ok_ = false;
        pos_ = pos;
        return ok_;
    }
    uint8_t u8()
    {
        const uint8_t* p = take(1);
        return p ? *p : 0;
    }
    uint16_t u16()
    {
        const uint8_t* p = take(2);
        return p ? getU16(p) : 0;
    }
    uint32_t u32()
    {
        const uint8_t* p = take(4);
        return p ? getU32(p) : 0;
    }
    uint16_t u16be()
    {
        const uint8_t* p = take(2);
        return p ? getU16BE(p) : 0;
    }
    uint32_t u32be()
    {
        const uint8_t* p = take(4);
        return p ? getU32BE(p) : 0;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

} // namespace kel
