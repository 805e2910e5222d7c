// Building DIBs for tests from a description: size, depth, colour table and a pixel function,
// laid out by the DIB rules (40-byte header, rows bottom-up, padded to 4 bytes).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kt {

// `pixel(x, y)` (y from the top) gives a colour-table index for 1, 4 and 8 bits and 0x00RRGGBB
// for 24 bits. `colours` (0x00RRGGBB) becomes the colour table; colours used = its size.
HGLOBAL makeDib(int width, int height, int bits, const std::vector<uint32_t>& colours,
                const std::function<uint32_t(int x, int y)>& pixel);

// A deterministic, busy pixel function for a depth: indices below the colour count, or colours.
std::function<uint32_t(int x, int y)> pattern(int bits, int colourCount);

// `count` colours spread over the colour cube (deterministic, all different).
std::vector<uint32_t> spreadColours(int count);

} // namespace kt
