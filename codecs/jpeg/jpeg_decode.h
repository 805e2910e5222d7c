// Decoding one JPEG stream with libjpeg: header, output choice, size limits, and rows into a DIB.
#pragma once

#include "jpeg_io.h"

#include <windows.h>

#include <cstdint>

namespace keljpg {

struct ReadSettings {
    bool smoothing = true;
    bool twoPass = true;
    int colourResolution = 2; // 1: 256 colours, otherwise full colour (0 is resolved before)
    int scale = 1;            // 1, 2, 4 or 8
};

// What the DIB holds: grey levels, quantised colours (8 bits with a colour table) or BGR.
enum class Layout { Grey8, Palette8, Bgr24 };

// Where the stream comes from: a file at its current position, or memory.
struct Source {
    HANDLE file = nullptr;
    const uint8_t* data = nullptr;
    size_t size = 0;     // bytes available: the memory's, or the file's from its position
};

struct Job {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    Layout layout = Layout::Bgr24;
    Job() = default;
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;
    ~Job() { jpeg_destroy_decompress(&cinfo); }
    int bits() const { return layout == Layout::Bgr24 ? 24 : 8; }
    int width() const { return int(cinfo.output_width); }
    int height() const { return int(cinfo.output_height); }
};

// Reads the header and chooses the output. False for anything that is not a JPEG stream this
// library can decode, and for images larger than the input could honestly describe.
bool start(Job& job, const Source& source, const ReadSettings& settings);

// A 40-byte header for the job's output (and, when `table` is given, the grey colour table of a
// greyscale image; quantised colours are known only once decoding has begun).
void fillHeader(const Job& job, BITMAPINFOHEADER* bi);
size_t colourTableBytes(const Job& job);

// Where decoded rows go: DIB rows from `firstRow` (counted from the top) down, clipped to the
// DIB's width and height. `table` receives the colour table of 8-bit output (may be null).
struct Target {
    uint8_t* pixels;
    size_t rowBytes;
    int width;
    int height;
    int bits;         // 8 or 24
    int firstRow;
    RGBQUAD* table;
    bool progress;    // report rows through UpdateStatus; a cancel stops the decode
    int rowsWritten;  // out
};

// Decodes the image into the target. False on a fatal error of the stream or a cancel (the rows
// written so far are counted in the target).
bool decode(Job& job, Target& target);

} // namespace keljpg
