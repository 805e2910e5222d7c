// The shared half of the two-pass quantizer: the 32 x 32 x 32 cell table (histogram in the
// first pass, lazily filled inverse colour map in the second) and the error-diffused mapping
// of a true-colour image onto a colour map. Not exported.
#pragma once

#include "dib_view.h"

#include <cstdint>

namespace keldll {

constexpr int kQ2Cells = 32 * 32 * 32;

// Cell of a colour: the top five bits of blue (first axis), green and red.
inline int q2Cell(int b, int g, int r) { return (b >> 3) << 10 | (g >> 3) << 5 | (r >> 3); }

// Maps the 24-bit `src` onto the `count` colours of `map` with Floyd-Steinberg diffusion on
// serpentine rows, writing 8-bit indices into `dst` (rows of `dstRow` bytes, memory order).
// `cells` must hold kQ2Cells zeros; it is filled as the inverse map on the way. Reports each
// row through UpdateStatus. False when the work rows cannot be allocated.
bool q2Map(const DibView& src, uint8_t* dst, size_t dstRow, const Rgb* map, int count, uint16_t* cells);

} // namespace keldll
