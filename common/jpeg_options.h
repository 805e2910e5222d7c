// The JPEG options record: kept by the application for saving (and reading) JPEG files and passed
// by address to the JPEG codec library, directly or through the dispatcher.
//
//   off size field
//     0    2 quality, 1 to 100 (default 75; anything else counts as 75)
//     4    4 optimise entropy coding (0/1)
//     8    4 progressive (0/1)
//    12    4 reading: DCT scaling denominator 1 (or 0), 2, 4 or 8; the image is decoded at that
//            fraction of its size, which is how thumbnails avoid a full-size decode
// WriteJPEGMem's callers pass only the first 8 bytes (quality and a 32-bit 0), so that entry reads
// no further. The layout is the same on both targets (no pointers).
#pragma once

#include <cstddef>
#include <cstdint>

struct JpegOptions {
    int16_t quality = 75;
    int32_t optimize = 0;
    int32_t progressive = 0;
    int32_t scaleDenominator = 1;
};

static_assert(offsetof(JpegOptions, optimize) == 4 && offsetof(JpegOptions, progressive) == 8 &&
                  offsetof(JpegOptions, scaleDenominator) == 12 && sizeof(JpegOptions) == 16,
              "JPEG options record layout");
