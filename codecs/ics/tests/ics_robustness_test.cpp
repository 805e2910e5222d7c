// The shared robustness harness on the ICS codec: mutations of header files, each read with a
// data file beside it.
#include "ics_test_files.h"
#include "kelics.h"
#include "robustness.h"

#include <gtest/gtest.h>

namespace {

constexpr size_t kDataBytes = 256 * 1024;

// The data file beside a (mutated) header: written once, large enough for every sample.
void ensureData(const std::string& header)
{
    const std::string data = header.substr(0, header.find_last_of('.')) + ".ids";
    if (GetFileAttributesA(data.c_str()) != INVALID_FILE_ATTRIBUTES)
        return;
    std::vector<uint8_t> bytes(kDataBytes);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7 + i / 300);
    kt::writeFile(data, bytes);
}

} // namespace

TEST(Robustness, IcsCodecSurvivesMutatedHeaders)
{
    using namespace ics_test;
    kt::TempDir dir;
    std::vector<std::string> samples;
    std::vector<std::string> video = layout("bits\tx\ty", "8\t300\t200");
    video.push_back("layout\tcoordinates\tvideo");
    std::vector<std::string> reals = layout("bits\ty\tx\tz", "32\t100\t150\t3", 4);
    reals.insert(reals.end(), {"representation\tformat\treal", "representation\tbyte_order\t1\t2\t3\t4",
                               "history\tmade for the harness"});
    samples.push_back(write(dir, "video8", header(video), nullptr));
    samples.push_back(write(dir, "reals32", header(reals), nullptr));
    samples.push_back(write(dir, "grey16", header(layout("bits\tx\ty", "16\t255\t255")), nullptr));
    const std::string shared = kt::testData("ics/libics_testim_v1.ics");
    if (!shared.empty())
        samples.push_back(shared);

    kt::robust::Codec codec;
    codec.name = "ICS";
    codec.extension = ".ics";
    codec.module = GetModuleHandleA("KELICS32.dll");
    // A text header: no binary fields; mutations cut, flip and replace characters.
    codec.fields = [](const std::vector<uint8_t>&) { return std::vector<kt::robust::Field>{}; };
    codec.info = [](const std::string& path) {
        char format[8];
        HGLOBAL tech = nullptr;
        HGLOBAL record = ReadICSBitmapInfo(path.c_str(), format, &tech, 0, 0);
        if (tech)
            GlobalFree(tech);
        return record;
    };
    codec.open = [](const std::string& path) {
        ensureData(path);
        char format[8];
        HGLOBAL tech = nullptr;
        HPALETTE palette = nullptr;
        HGLOBAL dib = OpenICS(path.c_str(), kt::testApp().appInstance, format, &tech, &palette, 0, 0);
        if (tech)
            GlobalFree(tech);
        if (palette)
            DeleteObject(palette);
        return dib;
    };
    codec.absurd = [](const std::vector<uint8_t>&) { return false; };
    // The header is read whole; the image is bounded by the data file (a DIB row of 1- to
    // 8-bit samples is at most four times the data row).
    codec.allowance = [](uint64_t n) { return 64 * n + 4 * kDataBytes + (1u << 20); };
    // The shared sample's own data file is the real one; the harness's copy sits beside the
    // mutated header.
    const kt::robust::Report r = kt::robust::run(codec, samples);
    EXPECT_GT(r.openResults, 0);
    std::printf("ICS: %d cases, %d information results, %d images, largest allocation %llu bytes\n", r.cases,
                r.infoResults, r.openResults, static_cast<unsigned long long>(r.largestAllocation));
}
