// The shared robustness harness on the Targa and IFF codecs: mutations of every sample file
// (run packets past rows and the image, indices past the colour map, absurd sizes, chunks cut
// short or longer than the file).
#include "bytes.h"
#include "file_io.h"
#include "kelio.h"
#include "robustness.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<std::string> existing(const std::vector<std::string>& fixtures, const std::vector<std::string>& shared)
{
    std::vector<std::string> out;
    for (const std::string& name : fixtures)
        out.push_back(kt::fixture("io\\" + name));
    for (const std::string& name : shared) {
        const std::string path = kt::testData(name);
        if (!path.empty())
            out.push_back(path);
    }
    return out;
}

// Allocations may follow the file's own limits: 256 bytes of image per byte of file (see the
// codecs' size rules), plus the buffers.
uint64_t allowance(uint64_t n) { return 256 * n + (1u << 20); }

// ---- Targa ------------------------------------------------------------------------------------

std::vector<kt::robust::Field> tgaFields(const std::vector<uint8_t>&)
{
    return {{0, 1, false}, {1, 1, false}, {2, 1, false},  {3, 2, false},  {5, 2, false},
            {7, 1, false}, {12, 2, false}, {14, 2, false}, {16, 1, false}, {17, 1, false}};
}

bool absurdTga(const std::vector<uint8_t>& b)
{
    return b.size() < 18 || kel::getU16(&b[12]) == 0 || kel::getU16(&b[14]) == 0;
}

// ---- IFF ----------------------------------------------------------------------------------------

// The FORM length, every chunk length, and the BMHD's sizes and codes.
std::vector<kt::robust::Field> iffFields(const std::vector<uint8_t>& b)
{
    std::vector<kt::robust::Field> f = {{4, 4, true}};
    for (size_t at = 12; at + 8 <= b.size();) {
        f.push_back({at + 4, 4, true});
        const uint32_t length = kel::getU32BE(&b[at + 4]);
        if (std::memcmp(&b[at], "BMHD", 4) == 0)
            for (size_t field : {0, 2, 8, 9, 10})
                f.push_back({at + 8 + field, field < 8 ? 2 : 1, true});
        at += 8 + size_t(length) + (length & 1);
    }
    return f;
}

// No BMHD, or one without width, height or planes.
bool absurdIff(const std::vector<uint8_t>& b)
{
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t length = kel::getU32BE(&b[at + 4]);
        if (std::memcmp(&b[at], "BMHD", 4) == 0)
            return length < 20 || at + 28 > b.size() || kel::getU16BE(&b[at + 8]) == 0 ||
                   kel::getU16BE(&b[at + 10]) == 0 || b[at + 16] == 0;
        at += 8 + size_t(length) + (length & 1);
    }
    return true;
}

void report(const char* name, const kt::robust::Report& r)
{
    std::printf("%s: %d cases, %d information results, %d images, largest allocation %llu bytes\n", name, r.cases,
                r.infoResults, r.openResults, static_cast<unsigned long long>(r.largestAllocation));
}

} // namespace

TEST(Robustness, TargaCodecSurvivesMutatedFiles)
{
    kt::robust::Codec codec;
    codec.name = "TGA";
    codec.extension = ".tga";
    codec.module = GetModuleHandleA("KELIO32.dll");
    codec.fields = tgaFields;
    codec.info = [](const std::string& path) {
        kel::File f = kel::File::openRead(path.c_str());
        char format[16];
        HGLOBAL id = nullptr;
        HGLOBAL info = ReadTGABitmapInfo(f.get(), format, &id);
        if (id)
            GlobalFree(id);
        return info;
    };
    codec.open = [](const std::string& path) {
        char format[16];
        HGLOBAL tech = nullptr, id = nullptr;
        HPALETTE palette = nullptr;
        HGLOBAL dib = OpenTGA(path.c_str(), kt::testApp().appInstance, format, &tech, &id, &palette);
        for (HGLOBAL h : {tech, id})
            if (h)
                GlobalFree(h);
        if (palette)
            DeleteObject(palette);
        return dib;
    };
    codec.absurd = absurdTga;
    codec.allowance = allowance;
    const kt::robust::Report r = kt::robust::run(
        codec, existing({"im_rgb24_rle.tga", "im_cmap_rle.tga", "im_rgba32.tga", "nb_mono_raw.tga"},
                        {"tga/truevision_utc16.tga", "tga/truevision_ccm8.tga", "tga/gimp_32bit_alpha_rle_bottomleft.tga"}));
    RecordProperty("cases", r.cases);
    EXPECT_GT(r.openResults, 0);
    report("TGA", r);
}

TEST(Robustness, IffCodecSurvivesMutatedFiles)
{
    kt::robust::Codec codec;
    codec.name = "IFF";
    codec.extension = ".iff";
    codec.module = GetModuleHandleA("KELIO32.dll");
    codec.fields = iffFields;
    codec.info = [](const std::string& path) {
        kel::File f = kel::File::openRead(path.c_str());
        char format[16];
        HGLOBAL tech = nullptr;
        HGLOBAL info = ReadLBMBitmapInfo(f.get(), format, &tech);
        if (tech)
            GlobalFree(tech);
        return info;
    };
    codec.open = [](const std::string& path) {
        char format[16];
        HGLOBAL tech = nullptr;
        HPALETTE palette = nullptr;
        HGLOBAL dib = OpenLBM(path.c_str(), kt::testApp().appInstance, format, &tech, &palette);
        if (tech)
            GlobalFree(tech);
        if (palette)
            DeleteObject(palette);
        return dib;
    };
    codec.absurd = absurdIff;
    codec.allowance = allowance;
    const kt::robust::Report r = kt::robust::run(
        codec, existing({"nb_c16.iff", "nb_c200.iff", "nb_deep24.iff", "nb_ham6.iff", "nb_bilevel.iff"},
                        {"iff/zig_4bit_atari.iff", "iff/zig_pbm_chunky.lbm"}));
    RecordProperty("cases", r.cases);
    EXPECT_GT(r.openResults, 0);
    report("IFF", r);
}
