// Helpers of the JPEG codec's tests: decoding a fixture through the information and open
// entries, and measuring how far a lossy image is from the original.
#pragma once

#include "file_io.h"
#include "keljpg.h"
#include "reference_image.h"
#include "test_support.h"
#include "win_raii.h"

#include <cstdlib>
#include <string>

namespace jpeg_test {

inline std::string fixture(const std::string& name) { return kt::fixture("jpeg\\" + name); }

// The information call on the open file, then the open call, as the application makes them.
inline kel::GlobalMem readJpeg(const std::string& path, int scale = 1, int colourResolution = 2, int twoPass = 1,
                               kel::GlobalMem* info = nullptr)
{
    JpegOptions options;
    options.scaleDenominator = scale;
    char format[16] = "";
    {
        kel::File f = kel::File::openRead(path.c_str());
        kel::GlobalMem record(ReadJPEGBitmapInfo(&options, f.get(), 1, twoPass, colourResolution, format));
        if (!record || std::string(format) != "JPEG")
            return {};
        if (info)
            *info = std::move(record);
    }
    return kel::GlobalMem(OpenJPEG(&options, path.c_str()));
}

struct Error {
    double mean = 0; // mean absolute difference per channel
    int max = 0;
};

inline Error difference(const kt::RgbImage& a, const kt::RgbImage& b)
{
    Error e;
    if (a.width != b.width || a.height != b.height)
        return Error{255, 255};
    uint64_t sum = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        for (int shift : {0, 8, 16}) {
            const int d = std::abs(int((a.pixels[i] >> shift) & 255) - int((b.pixels[i] >> shift) & 255));
            sum += uint64_t(d);
            e.max = std::max(e.max, d);
        }
    e.mean = a.pixels.empty() ? 0 : double(sum) / double(a.pixels.size() * 3);
    return e;
}

inline kt::RgbImage rgbOf(HGLOBAL dib)
{
    kt::RgbImage img;
    kt::dibToRgb(dib, &img);
    return img;
}

} // namespace jpeg_test
