// The shared robustness harness on the GIF codec: mutations of files of every kind it reads
// (LZW code sizes and strings, colour indices, frames outside the screen, cut blocks).
#include "kelgif.h"
#include "keldll.h"
#include "play_list.h"
#include "robustness.h"
#include "test_support.h"

#include "bytes.h"
#include "file_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

size_t signatureAt(const std::vector<uint8_t>& b)
{
    for (size_t i = 0; i + 6 <= b.size(); ++i)
        if (std::memcmp(&b[i], "GIF8", 4) == 0)
            return i;
    return std::string::npos;
}

// The screen descriptor's fields, and the first image descriptor's with its code size.
std::vector<kt::robust::Field> gifFields(const std::vector<uint8_t>& b)
{
    const size_t s = signatureAt(b);
    if (s == std::string::npos || s + 13 > b.size())
        return {};
    std::vector<kt::robust::Field> f = {{s + 6, 2, false}, {s + 8, 2, false}, {s + 10, 1, false}, {s + 11, 1, false}};
    const size_t image = s + 13 + (b[s + 10] & 0x80 ? 3 * (size_t(2) << (b[s + 10] & 7)) : 0);
    for (size_t i = image; i + 11 < b.size() && i < image + 64; ++i)
        if (b[i] == 0x2C) {
            for (size_t k : {1, 3, 5, 7})
                f.push_back({i + k, 2, false});
            f.push_back({i + 9, 1, false});
            f.push_back({i + 10, 1, false});
            break;
        }
    return f;
}

// No signature, or a screen of no pixels.
bool absurdGif(const std::vector<uint8_t>& b)
{
    const size_t s = signatureAt(b);
    return s == std::string::npos || s + 13 > b.size() || kel::getU16(&b[s + 6]) == 0 || kel::getU16(&b[s + 8]) == 0;
}

} // namespace

TEST(Robustness, GifCodecSurvivesMutatedFiles)
{
    kt::robust::Codec codec;
    codec.name = "GIF";
    codec.extension = ".gif";
    codec.module = GetModuleHandleA("KELGIF32.dll");
    codec.fields = gifFields;
    codec.info = [](const std::string& path) {
        kel::File f = kel::File::openRead(path.c_str());
        char format[16];
        HBRUSH brush = nullptr;
        HGLOBAL record = ReadGIFBitmapInfo(f.get(), 0, format, nullptr, &brush, 0);
        if (brush)
            DeleteObject(brush);
        return record;
    };
    codec.open = [](const std::string& path) {
        char format[16];
        HGLOBAL tech = nullptr, info = nullptr, playList = nullptr, title = nullptr, comment = nullptr;
        HPALETTE palette = nullptr;
        HBRUSH brush = nullptr;
        HBITMAP first = nullptr;
        int transparent = 0;
        COLORREF colour = 0;
        WORD go = 1;
        HGLOBAL dib = OpenGIF(nullptr, path.c_str(), kt::testApp().appInstance, format, &info, &tech, &palette,
                              &playList, &brush, 0, 0, &title, &comment, nullptr, &go, &first, &transparent, &colour);
        for (HGLOBAL h : {tech, info, title, comment})
            if (h)
                GlobalFree(h);
        freePlayList(playList);
        for (HGDIOBJ o : {HGDIOBJ(palette), HGDIOBJ(brush), HGDIOBJ(first)})
            if (o)
                DeleteObject(o);
        return dib;
    };
    codec.absurd = absurdGif;
    // A screen may be far larger than its images (4 MiB, or 4096 bytes of image per byte of
    // file), and a screen whose colours outgrow its depth is widened to bytes (8 times).
    codec.allowance = [](uint64_t n) { return 8 * std::max<uint64_t>(4u << 20, 4096 * n) + (2u << 20); };
    std::vector<std::string> samples;
    for (const char* name : {"im_c200", "im_c200_il", "im_c16", "nb_bilevel", "im_flat", "im_anim", "gb_overlay"})
        samples.push_back(kt::fixture(std::string("gif\\") + name + ".gif"));
    const kt::robust::Report r = kt::robust::run(codec, samples);
    RecordProperty("cases", r.cases);
    EXPECT_GT(r.openResults, 0);
    std::printf("GIF: %d cases, %d information results, %d images, largest allocation %llu bytes\n", r.cases,
                r.infoResults, r.openResults, static_cast<unsigned long long>(r.largestAllocation));
}
