// Undoing the row filters and placing the samples of a PNG row in a DIB row.
#pragma once

#include "png_format.h"

#include <cstddef>
#include <cstdint>

namespace png {

// Undoes one row's filter in place (`previous` is the row above in the same pass, or null for the
// first). False for a filter type above 4: the row is then left as it stands.
bool unfilterRow(uint8_t type, uint8_t* row, const uint8_t* previous, size_t n, size_t bytesPerPixel);

// Applies one filter type to a row (`previous` as above) into `out`; the writer's half.
void filterRow(uint8_t type, const uint8_t* row, const uint8_t* previous, size_t n, size_t bytesPerPixel,
               uint8_t* out);

// Puts the pixels of one unfiltered row in a DIB row: pixel i of the row goes to DIB column
// x0 + i * dx. Indices and grey values as they are (2-bit values become 4-bit pixels), 16-bit
// samples by their high byte, red, green, blue as the DIB's blue, green, red; alpha is dropped.
// Palette indices beyond the palette's `paletteCount` entries become 0.
class RowPlacer {
public:
    RowPlacer(const Ihdr& h, int dibBits, int paletteCount);
    void place(const uint8_t* raw, uint8_t* dibRow, uint32_t x0, uint32_t dx, uint32_t count) const;

private:
    uint32_t sample(const uint8_t* raw, uint32_t i, int channel) const;
    Ihdr h_;
    int bits_, channels_, limit_;
};

} // namespace png
