// The shared robustness harness on the PNG codec: mutations of files of every colour type (chunk
// lengths and CRCs, cut zlib streams, absurd dimensions). Messages the codec shows about damaged
// data are answered as they come.
#include "kelpng.h"
#include "robustness.h"
#include "test_support.h"

#include "bytes.h"
#include "file_io.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>

namespace {

// IHDR's fields and the length fields of the first chunks.
std::vector<kt::robust::Field> pngFields(const std::vector<uint8_t>& b)
{
    std::vector<kt::robust::Field> f;
    if (b.size() < 33)
        return f;
    for (size_t k : {16, 20})
        f.push_back({k, 4, true});
    for (size_t k : {24, 25, 26, 27, 28})
        f.push_back({k, 1, false});
    size_t at = 8;
    for (int i = 0; i < 6 && at + 12 <= b.size(); ++i) {
        f.push_back({at, 4, true});
        at += 12 + kel::getU32BE(&b[at]);
    }
    return f;
}

// No signature, or an IHDR no PNG reader takes (with a right CRC, since a wrong one is refused
// whatever it holds).
bool absurdPng(const std::vector<uint8_t>& b)
{
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    size_t s = 0;
    while (s + 8 <= b.size() && std::memcmp(&b[s], kSignature, 8) != 0)
        ++s;
    if (s + 8 + 25 > b.size() || kel::getU32BE(&b[s + 8]) != 13 || std::memcmp(&b[s + 12], "IHDR", 4) != 0)
        return true;
    const uint8_t* h = &b[s + 16];
    const uint32_t width = kel::getU32BE(h), height = kel::getU32BE(h + 4);
    const int depth = h[8], type = h[9];
    const bool known = (type == 0 && (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)) ||
                       (type == 3 && (depth == 1 || depth == 2 || depth == 4 || depth == 8)) ||
                       ((type == 2 || type == 4 || type == 6) && (depth == 8 || depth == 16));
    return width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF || !known || h[10] || h[11] ||
           h[12] > 1;
}

// Recomputes the CRC of every whole chunk after the first signature.
void rightCrcs(std::vector<uint8_t>& b)
{
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    size_t at = 0;
    while (at + 8 <= b.size() && std::memcmp(&b[at], kSignature, 8) != 0)
        ++at;
    for (at += 8; at + 12 <= b.size();) {
        const uint32_t n = kel::getU32BE(&b[at]);
        if (n > b.size() - at - 12)
            break;
        kel::putU32BE(&b[at + 8 + n], uint32_t(crc32(0, &b[at + 4], uInt(n + 4))));
        at += 12 + n;
    }
}

kt::robust::Codec pngCodec()
{
    kt::robust::Codec codec;
    codec.name = "PNG";
    codec.extension = ".png";
    codec.module = GetModuleHandleA("KELPNG32.dll");
    codec.fields = pngFields;
    codec.info = [](const std::string& path) {
        kel::File f = kel::File::openRead(path.c_str());
        char format[8];
        return ReadPNGBitmapInfo(f.get(), 0, format, nullptr, 0, 0);
    };
    codec.open = [](const std::string& path) {
        HGLOBAL tech = nullptr, title = nullptr, description = nullptr;
        HGLOBAL dib = OpenPNG(0, path.c_str(), kt::testApp().appInstance, 0, nullptr, &tech, 0, 0, 0, 0, 0, 0, &title,
                              &description, 0, 0, 0);
        for (HGLOBAL h : {tech, title, description})
            if (h)
                GlobalFree(h);
        return dib;
    };
    codec.absurd = absurdPng;
    // Deflate expands at most 1032-fold; a 2-bit row doubles in the DIB, a filtered row is kept
    // beside the image.
    codec.allowance = [](uint64_t n) { return 4 * (1032 * n + 65536) + (4u << 20); };
    return codec;
}

std::vector<std::string> pngSamples()
{
    std::vector<std::string> samples;
    for (const char* name : {"nb_grey1", "nb_grey2", "nb_pal4_il", "nb_pal8", "im_grey16", "im_rgba8", "nb_rgb8_il"})
        samples.push_back(kt::fixture(std::string("png\\") + name + ".png"));
    return samples;
}

void runAndReport(const kt::robust::Codec& codec, kt::robust::Options options = {})
{
    const kt::robust::Report r = kt::robust::run(codec, pngSamples(), options);
    ::testing::Test::RecordProperty("cases", r.cases);
    EXPECT_GT(r.openResults, 0);
    std::printf("%s: %d cases, %d information results, %d images, largest allocation %llu bytes\n", codec.name.c_str(),
                r.cases, r.infoResults, r.openResults, static_cast<unsigned long long>(r.largestAllocation));
}

} // namespace

TEST(Robustness, PngCodecSurvivesMutatedFiles)
{
    kt::DialogAnswerer answer;
    runAndReport(pngCodec());
}

// The mutations again with every CRC made right, so that the damage reaches the compressed data
// and the filters; each damaged stream brings up its message, so fewer cases keep this quick.
TEST(Robustness, PngCodecSurvivesMutatedDataWithRightCrcs)
{
    kt::DialogAnswerer answer;
    kt::robust::Codec codec = pngCodec();
    codec.name = "PNG (CRCs made right)";
    codec.fixup = rightCrcs;
    kt::robust::Options options;
    options.mutationsPerSample = 50;
    runAndReport(codec, options);
}
