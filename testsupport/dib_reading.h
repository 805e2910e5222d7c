// Reading back what codecs hand over, for comparisons in tests: pixel values of a DIB as
// numbers and the text of a technical information block.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kt {

// Pixel values of an uncompressed DIB with a 40-byte header, top row first: colour indices at 1,
// 4 and 8 bits, 0xRRGGBB at 24 bits.
std::vector<std::vector<int>> indexRows(HGLOBAL dib);

// The text of a technical information block (empty for null).
std::string techText(HGLOBAL tech);

} // namespace kt
