// The shared robustness harness on the SGI codec: mutations of every sample file.
#include "bytes.h"
#include "file_io.h"
#include "kelsgi.h"
#include "robustness.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

// Header fields that hold codes and sizes, and for run-length files the first entries of both
// scanline tables.
std::vector<kt::robust::Field> sgiFields(const std::vector<uint8_t>& b)
{
    std::vector<kt::robust::Field> f = {{2, 1, false}, {3, 1, false}, {4, 2, true},  {6, 2, true},
                                        {8, 2, true},  {10, 2, true}, {104, 4, true}};
    if (b.size() >= 512 && b[2] == 1) {
        const size_t entries = size_t(kel::getU16BE(&b[8])) * kel::getU16BE(&b[10]);
        for (size_t i = 0; i < std::min<size_t>(entries, 8); ++i) {
            f.push_back({512 + 4 * i, 4, true});
            f.push_back({512 + 4 * (entries + i), 4, true});
        }
    }
    return f;
}

// Absurd by the format itself: a header the codec refuses, or no pixels to make.
bool absurdSgi(const std::vector<uint8_t>& b)
{
    if (b.size() < 512)
        return true;
    const uint16_t dimension = kel::getU16BE(&b[4]);
    return kel::getU16BE(&b[0]) != 474 || b[2] > 1 || b[3] != 1 || (dimension != 2 && dimension != 3) ||
           kel::getU32BE(&b[104]) != 0 || kel::getU16BE(&b[6]) == 0 || kel::getU16BE(&b[8]) == 0 ||
           (dimension == 3 && kel::getU16BE(&b[10]) == 0);
}

} // namespace

TEST(Robustness, SgiCodecSurvivesMutatedFiles)
{
    kt::robust::Codec codec;
    codec.name = "SGI";
    codec.extension = ".sgi";
    codec.module = GetModuleHandleA("KELSGI32.dll");
    codec.fields = sgiFields;
    codec.info = [](const std::string& path) {
        kel::File f = kel::File::openRead(path.c_str());
        char format[8];
        return ReadRGBBitmapInfo(f.get(), format, nullptr, 0);
    };
    codec.open = [](const std::string& path) {
        char format[8];
        HGLOBAL tech = nullptr;
        HPALETTE palette = nullptr;
        HGLOBAL dib = OpenRGB(path.c_str(), kt::testApp().appInstance, format, nullptr, &tech, &palette, 0);
        if (tech)
            GlobalFree(tech);
        if (palette)
            DeleteObject(palette);
        return dib;
    };
    codec.absurd = absurdSgi;
    // A run-length packet gives at most 127 values for two bytes; the scanline tables and one
    // scanline's buffer are bounded by the file.
    codec.allowance = [](uint64_t n) { return 64 * n + (1u << 20); };
    std::vector<std::string> samples;
    for (const char* name : {"im_rgb", "im_rgba_rle", "im_grey_rle", "nb_rgb_rle", "nb_wide_rle"})
        samples.push_back(kt::fixture(std::string("sgi\\") + name + ".sgi"));
    const kt::robust::Report r = kt::robust::run(codec, samples);
    RecordProperty("cases", r.cases);
    EXPECT_GT(r.openResults, 0);
    std::printf("SGI: %d cases, %d information results, %d images, largest allocation %llu bytes\n", r.cases,
                r.infoResults, r.openResults, static_cast<unsigned long long>(r.largestAllocation));
}
