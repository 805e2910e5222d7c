// The twelve shares into which the colour dither splits an error of -255 to 255: two to the
// rest of the row, five to each of the next two rows. Not exported.
//
// With q = e div 42 and r = e mod 42 for e >= 0 (negative errors mirrored):
//   F1 = q, F2 = 2q + [r >= 20] + [r >= 40], F4 = 4q + [r >= 8] + [r >= 16] + [r >= 28] + [r >= 36],
//   F8 = 8q + h(r) with h from a fixed table, and the remainder R = e - F8 - 4 F4 - 4 F2 - 2 F1,
// so that R + F4 (same row), F2 + F4 + F8 + F4 + F2 (next row) and F1 + F2 + F4 + F2 + F1
// (the row after) add up to e exactly.
#pragma once

#include <cstdint>

namespace keldll {

struct ErrorShares {
    int8_t f1, f2, f4, f8, rest;
};

// Shares of error e, -255 <= e <= 255.
const ErrorShares& errorShares(int e);

} // namespace keldll
