// The shared robustness harness on the Sun raster codec: mutations of every sample file.
#include "bytes.h"
#include "file_io.h"
#include "kelras.h"
#include "robustness.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

// Every header field is a size, a code or a length worth pushing to extremes.
std::vector<kt::robust::Field> rasFields(const std::vector<uint8_t>&)
{
    std::vector<kt::robust::Field> f;
    for (size_t offset = 0; offset < 32; offset += 4)
        f.push_back({offset, 4, true});
    return f;
}

// Absurd by the format itself: not a standard Sun raster file of a depth the codec reads, or
// an image with no width or height.
bool absurdRas(const std::vector<uint8_t>& b)
{
    if (b.size() < 32)
        return true;
    const uint32_t depth = kel::getU32BE(&b[12]);
    return kel::getU32BE(&b[0]) != 0x59A66A95 || kel::getU32BE(&b[20]) != 1 || kel::getU32BE(&b[4]) == 0 ||
           kel::getU32BE(&b[8]) == 0 || (depth != 1 && depth != 8 && depth != 24);
}

} // namespace

TEST(Robustness, RasCodecSurvivesMutatedFiles)
{
    kt::robust::Codec codec;
    codec.name = "RAS";
    codec.extension = ".ras";
    codec.module = GetModuleHandleA("KELRAS32.dll");
    codec.fields = rasFields;
    codec.info = [](const std::string& path) {
        kel::File f = kel::File::openRead(path.c_str());
        char format[8];
        return ReadRASBitmapInfo(f.get(), format, nullptr, 0);
    };
    codec.open = [](const std::string& path) {
        char format[8];
        HGLOBAL tech = nullptr;
        HPALETTE palette = nullptr;
        HGLOBAL dib = OpenRAS(path.c_str(), kt::testApp().appInstance, format, nullptr, &tech, &palette, 0);
        if (tech)
            GlobalFree(tech);
        if (palette)
            DeleteObject(palette);
        return dib;
    };
    codec.absurd = absurdRas;
    // An uncompressed image is at most a few times its file (1-bit and narrow rows are padded
    // wider in the DIB); a short file may still describe 64 times its size, plus small buffers.
    codec.allowance = [](uint64_t n) { return 64 * n + (1u << 20); };
    std::vector<std::string> samples;
    for (const char* name : {"nb_1bit", "nb_8bit", "nb_24bit", "nb_24bit_w3", "im_8bit"})
        samples.push_back(kt::fixture(std::string("ras\\") + name + ".ras"));
    const kt::robust::Report r = kt::robust::run(codec, samples);
    RecordProperty("cases", r.cases);
    EXPECT_GT(r.openResults, 0);
    std::printf("RAS: %d cases, %d information results, %d images, largest allocation %llu bytes\n", r.cases,
                r.infoResults, r.openResults, static_cast<unsigned long long>(r.largestAllocation));
}
