// The error-share table of the colour dither, computed once from its rules.
#include "error_shares.h"

namespace keldll {

namespace {

constexpr int8_t kF8Step[42] = {0, 0, 1, 1, 2, 2, 3, 3, 2, 2, 3, 3, 4, 4, 5, 5, 4, 4, 5, 5, 4,
                                4, 5, 5, 6, 6, 7, 7, 6, 6, 7, 7, 8, 8, 9, 9, 8, 8, 9, 9, 8, 8};

struct ShareTable {
    ErrorShares shares[511];
    constexpr ShareTable() : shares{}
    {
        for (int e = -255; e <= 255; ++e) {
            const int m = e < 0 ? -e : e, sign = e < 0 ? -1 : 1;
            const int q = m / 42, r = m % 42;
            const int f1 = q;
            const int f2 = 2 * q + (r >= 20) + (r >= 40);
            const int f4 = 4 * q + (r >= 8) + (r >= 16) + (r >= 28) + (r >= 36);
            const int f8 = 8 * q + kF8Step[r];
            const int rest = m - f8 - 4 * f4 - 4 * f2 - 2 * f1;
            shares[e + 255] = ErrorShares{int8_t(sign * f1), int8_t(sign * f2), int8_t(sign * f4), int8_t(sign * f8),
                                          int8_t(sign * rest)};
        }
    }
};

constexpr ShareTable kTable;

} // namespace

const ErrorShares& errorShares(int e) { return kTable.shares[e + 255]; }

} // namespace keldll
