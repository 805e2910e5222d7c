// A checked view of a locked DIB for the routines that walk every pixel (quantizers and
// dithering), and the making of the indexed images they return. Not exported.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace keldll {

struct Rgb {
    uint8_t r, g, b;
};

// The pixels of a DIB, found only after checking that the block really holds the header, the
// colour table and every row the header claims. A DIB that fails the checks is refused, never read.
class DibView {
public:
    // Fails (false) for a null handle, a block that cannot be locked, a header with a zero or
    // negative size, an unknown bit count, or a block too small for its own header's claims.
    bool open(HGLOBAL dib);
    ~DibView();

    int width() const { return width_; }
    int height() const { return height_; }
    int bits() const { return bits_; }
    DWORD compression() const { return compression_; }
    // Colour count of the header (the DIBNumColors rule) and how many table entries really exist.
    DWORD colourCount() const { return colours_; }
    DWORD tableEntries() const { return tableEntries_; }
    // Table entry i as a colour (black past the table's end).
    Rgb tableColour(DWORD i) const;
    // Row y in memory order (row 0 is the bottom line of the image).
    const uint8_t* row(int y) const { return pixels_ + rowBytes_ * size_t(y); }
    size_t rowBytes() const { return rowBytes_; }
    // Colour index of pixel x in a 1-, 4- or 8-bit row.
    int indexAt(const uint8_t* row, int x) const;
    // Colour of pixel x in a 16-bit (5-5-5), 24-bit or 32-bit (blue, green, red, unused) row.
    Rgb directColour(const uint8_t* row, int x) const;
    bool indexed() const { return bits_ <= 8; }
    // Header size of the block (40, 36 or 12) and the colour table as 4-byte entries.
    DWORD headerSize() const { return *reinterpret_cast<const DWORD*>(base_); }
    std::vector<RGBQUAD> table() const;
    // The header as a 40-byte header: resolutions and colours important kept from an information
    // header, colours used = the colour count of the DIB's own header kind, exact image size.
    BITMAPINFOHEADER header() const;

private:
    HGLOBAL handle_ = nullptr;
    uint8_t* base_ = nullptr;
    const uint8_t* table_ = nullptr;
    const uint8_t* pixels_ = nullptr;
    int width_ = 0, height_ = 0, bits_ = 0, entrySize_ = 4;
    DWORD compression_ = 0, colours_ = 0, tableEntries_ = 0;
    size_t rowBytes_ = 0;
};

// A new DIB with a 40-byte header and `tableEntries` colour-table entries from `table` (zero
// when null), zero pixels, image size = row size x height. Null when the size is absurd or
// memory runs out.
HGLOBAL newIndexedDib(int width, int height, int bits, DWORD coloursUsed, DWORD coloursImportant,
                      const RGBQUAD* table, DWORD tableEntries);

// A new uncompressed DIB described by `header` (a 40-byte header; its size, compression and
// image size fields are set here, the rest kept) with `tableEntries` colour-table entries from
// `table`, zero pixels. Null when the size is absurd or memory runs out.
HGLOBAL newDib(const BITMAPINFOHEADER& header, const RGBQUAD* table, DWORD tableEntries);

// Shows the application's "Insufficient memory available" text in a warning box.
void showNoMemory();

} // namespace keldll
