// Times the codecs in-process (the time of the codec's own work, without starting a process):
// codec_bench WHAT FILE REPEATS, WHAT one of
//   pcx-decode   OpenPCX of FILE                     pcx-encode  WritePCX of FILE's image
//   jpeg-decode  information + open, full size       jpeg-thumb  the same at 1/8 of the size
//   gif-decode   information + OpenGIF of FILE       gif-encode  WriteGIF of FILE's image
//   png-decode   information + OpenPNG of FILE       png-encode  WritePNG of FILE's image
//   png-palette  the 256-colour palette that OpenPNG makes for FILE's 24-bit image (part of png-decode)
//   tga-decode   OpenTGA of FILE                     tga-encode  WriteTGA of FILE's image (run-length)
//   lbm-decode   OpenLBM of FILE                     lbm-encode  WriteLBM of FILE's image (ByteRun1)
// Prints one line: WHAT, megapixels of the image, best and mean seconds per run.
#include "file_io.h"
#include "keldll.h"
#include "kelgif.h"
#include "keljpg.h"
#include "kelio.h"
#include "kelpcx.h"
#include "kelpng.h"
#include "win_raii.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

double now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

HGLOBAL openPcx(const std::string& path)
{
    char format[8];
    HGLOBAL tech = nullptr;
    HGLOBAL dib = OpenPCX(path.c_str(), GetModuleHandleA(nullptr), format, nullptr, &tech, nullptr, 0);
    if (tech)
        GlobalFree(tech);
    return dib;
}

HGLOBAL openJpeg(const std::string& path, int scale)
{
    JpegOptions options;
    options.scaleDenominator = scale;
    char format[8];
    kel::File f = kel::File::openRead(path.c_str());
    kel::GlobalMem info(ReadJPEGBitmapInfo(&options, f.get(), 1, 1, 2, format));
    f.close();
    return info ? OpenJPEG(&options, path.c_str()) : nullptr;
}

HGLOBAL openGif(const std::string& path)
{
    char format[16];
    HGLOBAL tech = nullptr;
    HBRUSH background = nullptr;
    kel::File f = kel::File::openRead(path.c_str());
    HGLOBAL info = ReadGIFBitmapInfo(f.get(), 1, format, &tech, &background, 0);
    f.close();
    HPALETTE palette = info ? CreateDIBPalette(info) : nullptr;
    HGLOBAL dib = info ? OpenGIF(nullptr, path.c_str(), GetModuleHandleA(nullptr), format, &info, &tech, &palette,
                                 nullptr, &background, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr)
                       : nullptr;
    for (HGLOBAL h : {info, tech})
        if (h)
            GlobalFree(h);
    for (HGDIOBJ o : {HGDIOBJ(palette), HGDIOBJ(background)})
        if (o)
            DeleteObject(o);
    return dib;
}

HGLOBAL openPng(const std::string& path)
{
    char format[8];
    HGLOBAL tech = nullptr;
    kel::File f = kel::File::openRead(path.c_str());
    kel::GlobalMem info(ReadPNGBitmapInfo(f.get(), 0, format, &tech, 0, 0));
    f.close();
    HGLOBAL record = info.get();
    HGLOBAL dib = info ? OpenPNG(0, path.c_str(), GetModuleHandleA(nullptr), 0, &record, &tech, 0, 0, 0, 0, 0, 0,
                                 nullptr, nullptr, 0, 0, 0)
                       : nullptr;
    if (tech)
        GlobalFree(tech);
    return dib;
}

// The 24-bit decoders also hand back the display palette the program keeps.
HGLOBAL openTga(const std::string& path)
{
    char format[16];
    HGLOBAL tech = nullptr, id = nullptr;
    HPALETTE palette = nullptr;
    HGLOBAL dib = OpenTGA(path.c_str(), GetModuleHandleA(nullptr), format, &tech, &id, &palette);
    for (HGLOBAL h : {tech, id})
        if (h)
            GlobalFree(h);
    if (palette)
        DeleteObject(palette);
    return dib;
}

HGLOBAL openLbm(const std::string& path)
{
    char format[16];
    HGLOBAL tech = nullptr;
    HPALETTE palette = nullptr;
    HGLOBAL dib = OpenLBM(path.c_str(), GetModuleHandleA(nullptr), format, &tech, &palette);
    if (tech)
        GlobalFree(tech);
    if (palette)
        DeleteObject(palette);
    return dib;
}

double megapixels(HGLOBAL dib)
{
    kel::GlobalLocked<BITMAPINFOHEADER> bi(dib);
    return bi ? double(bi->biWidth) * double(bi->biHeight) / 1e6 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: codec_bench pcx-decode|pcx-encode|jpeg-decode|jpeg-thumb|gif-decode|gif-encode|png-decode|"
                   "png-encode|png-palette FILE REPEATS\n",
                   stderr);
        return 2;
    }
    const std::string what = argv[1], file = argv[2];
    const int repeats = std::max(1, std::atoi(argv[3]));
    AppState app{};
    app.size = kAppStateSize;
    app.appInstance = GetModuleHandleA(nullptr);
    InitKelDll(&app);

    kel::GlobalMem image;
    const std::string out = file + ".bench-out";
    std::function<bool()> run;
    if (what == "pcx-decode") {
        image.reset(openPcx(file));
        run = [&] { return kel::GlobalMem(openPcx(file)).get() != nullptr; };
    } else if (what == "pcx-encode") {
        image.reset(openPcx(file));
        run = [&] { return WritePCX(out.c_str(), image.get(), 1) == 1; };
    } else if (what == "jpeg-decode" || what == "jpeg-thumb") {
        const int scale = what == "jpeg-thumb" ? 8 : 1;
        image.reset(openJpeg(file, 1));
        run = [&, scale] { return kel::GlobalMem(openJpeg(file, scale)).get() != nullptr; };
    } else if (what == "gif-decode" || what == "gif-encode" || what == "png-decode" || what == "png-encode") {
        const bool gif = what.compare(0, 3, "gif") == 0;
        const auto open = gif ? openGif : openPng;
        image.reset(open(file));
        if (what.find("decode") != std::string::npos) {
            run = [&, open] { return kel::GlobalMem(open(file)).get() != nullptr; };
        } else if (gif) {
            run = [&] {
                int transparent = 0;
                COLORREF colour = 0;
                return WriteGIF(out.c_str(), image.get(), 0, 0, 0, nullptr, 0, &transparent, &colour) == 1;
            };
        } else {
            run = [&] { return WritePNG(out.c_str(), image.get(), 0, 0, nullptr, nullptr) == 1; };
        }
    } else if (what == "png-palette") {
        image.reset(openPng(file));
        run = [&] {
            PALETTEENTRY entries[256];
            WORD count = 256;
            return quantize(&count, entries, image.get()) != 0;
        };
    } else if (what == "tga-decode" || what == "tga-encode") {
        image.reset(openTga(file));
        if (what == "tga-decode")
            run = [&] { return kel::GlobalMem(openTga(file)).get() != nullptr; };
        else
            run = [&] { return WriteTGA(out.c_str(), image.get(), 1, nullptr, nullptr) == 1; };
    } else if (what == "lbm-decode" || what == "lbm-encode") {
        image.reset(openLbm(file));
        if (what == "lbm-decode")
            run = [&] { return kel::GlobalMem(openLbm(file)).get() != nullptr; };
        else
            run = [&] { return WriteLBM(out.c_str(), image.get(), 1) == 1; };
    } else {
        std::fprintf(stderr, "codec_bench: unknown measurement %s\n", what.c_str());
        return 2;
    }
    if (!image || !run()) { // the first run also warms the file cache
        std::fprintf(stderr, "codec_bench: %s failed on %s\n", what.c_str(), file.c_str());
        return 1;
    }
    double best = 1e30, total = 0;
    for (int i = 0; i < repeats; ++i) {
        const double start = now();
        if (!run()) {
            std::fprintf(stderr, "codec_bench: %s failed on run %d (error %lu)\n", what.c_str(), i + 2, GetLastError());
            return 1;
        }
        const double t = now() - start;
        best = std::min(best, t);
        total += t;
    }
    std::printf("%s %.2f %.4f %.4f\n", what.c_str(), megapixels(image.get()), best, total / repeats);
    DeleteFileA(out.c_str());
    return 0;
}
