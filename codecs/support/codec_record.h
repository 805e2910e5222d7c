// The image information record every raster codec returns from its information entry (a
// 40-byte header and a 256-entry colour table, no pixels) and its growth into the DIB, with the
// limits that keep absurd headers from reaching an allocation.
#pragma once

#include "win_raii.h"

#include <windows.h>

#include <cstdint>

namespace kelcodec {

// Header and a 256-entry colour table.
constexpr SIZE_T kRecordSize = 40 + 256 * 4;

// Whether an image of `imageBytes` pixel bytes can honestly come of `inputBytes` bytes of file.
// Run-length packets of the formats read here give at most 127 values for two bytes, so a file
// expands at most 64-fold; the allowance keeps tiny images of short or truncated files readable.
bool plausibleImage(uint64_t imageBytes, uint64_t inputBytes);

// A new record (movable, zero-initialised, kRecordSize bytes) with a 40-byte header: width,
// height, planes 1, the bit count, compression 0, image size = row size x height, colours used
// and important both `colours`. Null when memory runs out.
HGLOBAL newRecord(int32_t width, int32_t height, int bits, DWORD colours);

// Colour-table entry `index` as the readers set it: blue, green, red and the reserved byte 1.
void putEntry(uint8_t* table, int index, int red, int green, int blue);

// `count` grey levels evenly from black to white (entry i = i for 256 entries; black and white
// for two).
void greyRamp(uint8_t* table, int count);

// Grows a record into its DIB: header + colour table + image size (flags 0x0042). False when
// memory runs out (the record stays as it was).
bool growToDib(kel::GlobalMem& record);

// Where the pixels of a locked DIB lie.
struct DibLayout {
    uint8_t* pixels = nullptr;
    size_t rowBytes = 0;
    int width = 0, height = 0, bits = 0;
    // Row y counted from the top of the image (DIB rows are stored bottom-up).
    uint8_t* rowFromTop(int y) const { return pixels + size_t(height - 1 - y) * rowBytes; }
};
DibLayout layoutOf(uint8_t* dib);

// Appends the application's "Insufficient memory available" text as a technical information line.
void appendNoMemory(HINSTANCE instance, HGLOBAL* techInfo);

} // namespace kelcodec
