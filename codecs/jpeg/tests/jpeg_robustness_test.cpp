// The shared robustness harness on the JPEG codec: mutations of every sample stream.
#include "file_io.h"
#include "keljpg.h"
#include "robustness.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Marker segment lengths, and in frame headers the precision, height, width, component count
// and sampling factors; in scan headers the component count; restart intervals.
std::vector<kt::robust::Field> jpegFields(const std::vector<uint8_t>& b)
{
    std::vector<kt::robust::Field> f;
    for (size_t i = 2; i + 4 <= b.size();) {
        if (b[i] != 0xFF)
            break;
        const int marker = b[i + 1];
        const size_t length = size_t(b[i + 2] << 8 | b[i + 3]);
        f.push_back({i + 2, 2, true});
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            f.insert(f.end(), {{i + 4, 1, false}, {i + 5, 2, true}, {i + 7, 2, true}, {i + 9, 1, false}});
            for (size_t c = 0; c < 4 && i + 11 + 3 * c < b.size(); ++c)
                f.push_back({i + 11 + 3 * c, 1, false});
        } else if (marker == 0xDA) {
            f.push_back({i + 4, 1, false});
            break; // entropy-coded data follows
        } else if (marker == 0xDD) {
            f.push_back({i + 4, 2, true});
        }
        i += 2 + length;
    }
    return f;
}

// Absurd by the format: no start of image, or a frame header with no width or height, a
// precision other than 8 bits, or a component count no decoder takes.
bool absurdJpeg(const std::vector<uint8_t>& b)
{
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8)
        return true;
    for (size_t i = 2; i + 10 <= b.size();) {
        if (b[i] != 0xFF)
            return false; // unknown: let the decoder judge
        const int marker = b[i + 1];
        if (marker >= 0xC0 && marker <= 0xC2) {
            const int height = b[i + 5] << 8 | b[i + 6], width = b[i + 7] << 8 | b[i + 8], comps = b[i + 9];
            return b[i + 4] != 8 || height == 0 || width == 0 || comps == 0 || comps > 4;
        }
        i += 2 + size_t(b[i + 2] << 8 | b[i + 3]);
    }
    return false;
}

} // namespace

TEST(Robustness, JpegCodecSurvivesMutatedStreams)
{
    kt::robust::Codec codec;
    codec.name = "JPEG";
    codec.extension = ".jpg";
    codec.module = GetModuleHandleA("KELJPG32.dll");
    codec.fields = jpegFields;
    codec.info = [](const std::string& path) {
        kel::File f = kel::File::openRead(path.c_str());
        char format[16];
        return ReadJPEGBitmapInfo(nullptr, f.get(), 1, 1, 2, format);
    };
    codec.open = [](const std::string& path) { return OpenJPEG(nullptr, path.c_str()); };
    codec.absurd = absurdJpeg;
    // A flat picture codes in well under a bit per block: about a thousand bytes of samples per
    // byte of stream, a few megabytes for any stream, and whole-image buffers twice that.
    codec.allowance = [](uint64_t n) { return 3 * std::max<uint64_t>(4u << 20, 1024 * n) + (8u << 20); };
    std::vector<std::string> samples;
    for (const char* name : {"baseline", "prog", "grey", "s444", "cmyk"})
        samples.push_back(kt::fixture(std::string("jpeg\\") + name + ".jpg"));
    const kt::robust::Report r = kt::robust::run(codec, samples);
    EXPECT_GT(r.openResults, 0);
    std::printf("JPEG: %d cases, %d information results, %d images, largest allocation %llu bytes\n", r.cases,
                r.infoResults, r.openResults, static_cast<unsigned long long>(r.largestAllocation));
}
