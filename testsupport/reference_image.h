// Reference decodes for pixel comparisons: netpbm PAM files (the sample set's references) and
// an independent expansion of uncompressed DIBs to RGB, written from the DIB rules, not from the
// code under test.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kt {

struct RgbImage {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels; // 0x00RRGGBB, top-down rows
    uint32_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// Reads a PAM (P7) or binary PPM/PGM (P6/P5) file; alpha is ignored. Samples of fewer levels are
// scaled to 0-255, two-byte samples taken by their high byte. False when unreadable.
bool readNetpbm(const std::string& path, RgbImage* out);

// Expands an uncompressed 1-, 4-, 8- or 24-bit DIB (either header kind). False otherwise.
bool dibToRgb(HGLOBAL dib, RgbImage* out);

// Describes the first difference, or returns an empty text when the images are equal.
std::string firstDifference(const RgbImage& want, const RgbImage& got);

} // namespace kt
