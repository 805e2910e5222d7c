// The shared robustness harness on the PCX codec: mutations of every sample file.
#include "kelpcx.h"
#include "robustness.h"
#include "test_support.h"
#include "bytes.h"
#include "file_io.h"

#include <gtest/gtest.h>

namespace {

// Header fields that hold sizes and codes (offsets in the 128-byte header), and the trailer mark.
std::vector<kt::robust::Field> pcxFields(const std::vector<uint8_t>& b)
{
    std::vector<kt::robust::Field> f = {{1, 1, false}, {2, 1, false}, {3, 1, false}, {4, 2, false},
                                        {6, 2, false}, {8, 2, false}, {10, 2, false}, {65, 1, false},
                                        {66, 2, false}};
    if (b.size() >= 769)
        f.push_back({b.size() - 769, 1, false});
    return f;
}

// Absurd by the format itself, whatever the codec decides: no width or height, a depth no PCX
// reader knows, or lines too short to hold the width.
bool absurdPcx(const std::vector<uint8_t>& b)
{
    if (b.size() < 128)
        return true;
    const int width = kel::getI16(&b[8]) - kel::getI16(&b[4]) + 1;
    const int height = kel::getI16(&b[10]) - kel::getI16(&b[6]) + 1;
    const int bits = b[3], planes = b[65];
    const bool knownDepth = (planes == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8)) ||
                            (bits == 1 && planes >= 2 && planes <= 4) || (bits == 8 && planes == 3);
    return width <= 0 || height <= 0 || !knownDepth || kel::getU16(&b[66]) * 8 < width * bits;
}

std::vector<std::string> samples()
{
    std::vector<std::string> out;
    for (const char* name : {"nb_bilevel", "nb_packed2", "nb_packed4", "nb_planes2", "nb_planes3", "nb_planes4",
                             "nb_8bit", "im_palette8_raw", "im_truecolor", "im_truecolor_raw"})
        out.push_back(kt::fixture(std::string("pcx\\") + name + ".pcx"));
    const std::string shared = kt::testData("pcx/pillow_pil184.pcx");
    if (!shared.empty())
        out.push_back(shared);
    return out;
}

} // namespace

TEST(Robustness, PcxCodecSurvivesMutatedFiles)
{
    kt::robust::Codec codec;
    codec.name = "PCX";
    codec.extension = ".pcx";
    codec.module = GetModuleHandleA("KELPCX32.dll");
    codec.fields = pcxFields;
    codec.info = [](const std::string& path) {
        kel::File f = kel::File::openRead(path.c_str());
        char format[8];
        return ReadPCXBitmapInfo(f.get(), format, nullptr, 0);
    };
    codec.open = [](const std::string& path) {
        char format[8];
        HGLOBAL tech = nullptr;
        HGLOBAL dib = OpenPCX(path.c_str(), kt::testApp().appInstance, format, nullptr, &tech, nullptr, 0);
        if (tech)
            GlobalFree(tech);
        return dib;
    };
    codec.absurd = absurdPcx;
    // A run-length pair gives at most 63 bytes and 2-bit lines double in the DIB: 64 bytes of
    // image per byte of file, plus the codec's buffers.
    codec.allowance = [](uint64_t n) { return 64 * n + (1u << 20); };
    const kt::robust::Report r = kt::robust::run(codec, samples());
    RecordProperty("cases", r.cases);
    EXPECT_GT(r.openResults, 0);
    std::printf("PCX: %d cases, %d information results, %d images, largest allocation %llu bytes\n", r.cases,
                r.infoResults, r.openResults, static_cast<unsigned long long>(r.largestAllocation));
}
