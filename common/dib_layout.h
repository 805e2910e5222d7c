// Sizes of the DIB layout that every producer and reader of images computes the same way.
#pragma once

#include <cstdint>

namespace kel {

// Bytes of one pixel row, padded to a multiple of 4. 64-bit so that hostile headers cannot wrap.
inline uint64_t dibRowBytes(uint64_t width, uint64_t bits) { return ((width * bits + 31) / 32) * 4; }

// Largest pixel array the system will allocate for one image (absurd headers are refused
// before any allocation is attempted).
constexpr uint64_t kMaxImageBytes = 1ull << 30;

} // namespace kel
