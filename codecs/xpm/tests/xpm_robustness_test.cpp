// The shared robustness harness on the XPM and XBM readers: mutations of every sample file.
#include "kelxpm.h"
#include "robustness.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace {

// The information entry decodes the whole image; the open entry hands it over and leaves a
// header copy in the record variable, freed here.
kt::robust::Codec codecOf(const char* name, const char* extension,
                          HGLOBAL (*info)(const char*, char*, HGLOBAL*, int),
                          HGLOBAL (*open)(const char*, HINSTANCE, char*, HGLOBAL*, HGLOBAL*, HPALETTE*, int))
{
    kt::robust::Codec codec;
    codec.name = name;
    codec.extension = extension;
    codec.module = GetModuleHandleA("KELXPM32.dll");
    // Text formats: no binary fields; mutations cut, flip and replace characters.
    codec.fields = [](const std::vector<uint8_t>&) { return std::vector<kt::robust::Field>{}; };
    codec.info = [info](const std::string& path) {
        char format[8];
        HGLOBAL tech = nullptr;
        HGLOBAL dib = info(path.c_str(), format, &tech, 0);
        if (tech)
            GlobalFree(tech);
        return dib;
    };
    codec.open = [info, open](const std::string& path) {
        char format[8];
        HGLOBAL tech = nullptr;
        HGLOBAL record = info(path.c_str(), format, &tech, 0);
        HGLOBAL dib = open(path.c_str(), kt::testApp().appInstance, format, &record, &tech, nullptr, 0);
        if (record)
            GlobalFree(record);
        if (tech)
            GlobalFree(tech);
        return dib;
    };
    // Whatever text survives the parser is an image: no header is absurd in itself.
    codec.absurd = [](const std::vector<uint8_t>&) { return false; };
    // Every pixel takes at least one character of text and every colour a line: the pixel
    // indices, the colour table and the DIB stay within a few bytes per byte of text.
    codec.allowance = [](uint64_t n) { return 64 * n + (1u << 20); };
    return codec;
}

void fuzz(const kt::robust::Codec& codec, const std::vector<const char*>& names)
{
    std::vector<std::string> samples;
    for (const char* name : names)
        samples.push_back(kt::fixture(std::string("xpm\\") + name));
    const kt::robust::Report r = kt::robust::run(codec, samples);
    EXPECT_GT(r.openResults, 0);
    std::printf("%s: %d cases, %d information results, %d images, largest allocation %llu bytes\n",
                codec.name.c_str(), r.cases, r.infoResults, r.openResults,
                static_cast<unsigned long long>(r.largestAllocation));
}

} // namespace

TEST(Robustness, XpmReaderSurvivesMutatedFiles)
{
    fuzz(codecOf("XPM", ".xpm", ReadXPMBitmapInfo, OpenXPM),
        {"im_c16.xpm", "im_c200.xpm", "nb_c16.xpm", "nb_true.xpm"});
}

TEST(Robustness, XbmReaderSurvivesMutatedFiles)
{
    fuzz(codecOf("XBM", ".xbm", ReadXBMBitmapInfo, OpenXBM), {"im_bits.xbm", "nb_bits.xbm", "nb_bits10.xbm"});
}
