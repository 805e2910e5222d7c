// Benchmark of the image core's transforms, in-process.
//   transform_bench graphic IN24.bmp OUT8.bmp      the 24-bit image reduced to an 8-bit one of 216
//                                                  flat colours (6 levels a channel, no dithering):
//                                                  the kind of image run-length coding is for
//   transform_bench time IN24.bmp IN8.bmp OUTDIR RUNS
//                                                  best-of-RUNS timings of a quarter turn, a 5 x 5
//                                                  blur, a 5 x 5 sharpen and RLE8 coding; writes
//                                                  rotate.bmp, blur.bmp, sharpen.bmp, rle8.bmp
//   transform_bench kernel blur|sharpen            the kernel as ImageMagick's -convolve takes it
#include "bmp_file.h"
#include "keldll.h"
#include "win_raii.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace {

// 5 x 5 box blur, and a sharpen: the centre against its 24 neighbours.
FilterKernel kernel(const std::string& name)
{
    FilterKernel k{};
    if (name == "blur") {
        std::fill(std::begin(k.weights), std::end(k.weights), 1);
        k.divisor = 25;
    } else {
        std::fill(std::begin(k.weights), std::end(k.weights), -1);
        k.weights[12] = 33;
        k.divisor = 9;
    }
    return k;
}

// CPU time of this thread (user and kernel, page faults included): steadier than wall time on a
// busy machine.
double cpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto value = [](const FILETIME& f) { return (uint64_t(f.dwHighDateTime) << 32 | f.dwLowDateTime) * 1e-7; };
    return value(kernel) + value(user);
}

double seconds()
{
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return double(t.QuadPart) / double(f.QuadPart);
}

HGLOBAL read(const std::string& path)
{
    std::string error;
    HGLOBAL dib = pipeline::readBmpFile(path.c_str(), &error);
    if (!dib)
        std::fprintf(stderr, "transform_bench: %s: %s\n", path.c_str(), error.c_str());
    return dib;
}

bool write(const std::string& path, HGLOBAL dib)
{
    std::string error;
    if (!pipeline::writeBmpFile(path.c_str(), dib, &error)) {
        std::fprintf(stderr, "transform_bench: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

int graphic(const std::string& in, const std::string& out)
{
    kel::GlobalMem src(read(in));
    if (!src)
        return 1;
    kel::GlobalLocked<BYTE> p(src.get());
    const int w = int(DIBWidth(p.get())), h = int(DIBHeight(p.get()));
    if (DIBBitcount(p.get()) != 24)
        return std::fprintf(stderr, "transform_bench: %s is not a 24-bit image\n", in.c_str()), 1;
    BITMAPINFOHEADER bi;
    InitBitmapInfoHeader(&bi, DWORD(w), DWORD(h), 8);
    bi.biClrUsed = bi.biClrImportant = 216;
    kel::GlobalMem dib = kel::GlobalMem::alloc(40 + 4 * 216 + bi.biSizeImage);
    kel::GlobalLocked<BYTE> q(dib.get());
    std::memcpy(q.get(), &bi, 40);
    for (int i = 0; i < 216; ++i) {
        BYTE* e = q.get() + 40 + 4 * i;
        e[0] = BYTE(51 * (i % 6)), e[1] = BYTE(51 * (i / 6 % 6)), e[2] = BYTE(51 * (i / 36));
    }
    const size_t inRow = size_t((w * 24 + 31) / 32) * 4, outRow = size_t((w * 8 + 31) / 32) * 4;
    const BYTE* s = FindDIBBits(p.get());
    BYTE* d = q.get() + 40 + 4 * 216;
    auto level = [](int v) { return (v + 25) / 51; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const BYTE* px = s + inRow * size_t(y) + 3 * size_t(x);
            d[outRow * size_t(y) + size_t(x)] = BYTE(level(px[2]) * 36 + level(px[1]) * 6 + level(px[0]));
        }
    return write(out, dib.get()) ? 0 : 1;
}

// Best wall and CPU times of `runs` calls of `op`, which returns the result it made (kept from
// the last run).
bool best(int runs, const std::function<HGLOBAL()>& op, kel::GlobalMem* result, double* wall, double* cpu)
{
    *wall = *cpu = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double t0 = seconds(), c0 = cpuSeconds();
        HGLOBAL made = op();
        *wall = std::min(*wall, seconds() - t0);
        *cpu = std::min(*cpu, cpuSeconds() - c0);
        if (!made)
            return false;
        result->reset(made);
    }
    return true;
}

int timeRuns(const std::string& in24, const std::string& in8, const std::string& outDir, int runs)
{
    double t0 = seconds();
    kel::GlobalMem rgb(read(in24));
    std::printf("%-28s %6.3f s\n", "read 24-bit BMP", seconds() - t0);
    kel::GlobalMem indexed(read(in8));
    if (!rgb || !indexed)
        return 1;
    double mp;
    {
        kel::GlobalLocked<BYTE> p(rgb.get());
        mp = double(DIBWidth(p.get())) * DIBHeight(p.get()) / 1e6;
    }
    struct Job {
        const char* name;
        const char* file;
        std::function<HGLOBAL()> op;
    };
    const FilterKernel blur = kernel("blur"), sharpen = kernel("sharpen");
    const Job jobs[] = {
        {"RotateDib quarter turn", "rotate.bmp", [&] { return RotateDib(rgb.get(), 1); }},
        {"ApplyDIBFilter 5x5 blur", "blur.bmp", [&] { return ApplyDIBFilter(rgb.get(), &blur); }},
        {"ApplyDIBFilter 5x5 sharpen", "sharpen.bmp", [&] { return ApplyDIBFilter(rgb.get(), &sharpen); }},
        {"RGBtoRLE RLE8", "rle8.bmp", [&] { return RGBtoRLE(nullptr, indexed.get(), 1, 0); }},
    };
    for (const Job& job : jobs) {
        kel::GlobalMem result;
        double t, cpu;
        if (!best(runs, job.op, &result, &t, &cpu) || result.get() == indexed.get()) {
            result.release();
            std::fprintf(stderr, "transform_bench: %s made nothing\n", job.name);
            return 1;
        }
        std::printf("%-28s %6.3f s  %7.1f MP/s  (CPU %6.3f s, %7.1f MP/s; best of %d)\n", job.name, t, mp / t, cpu,
                    mp / cpu, runs);
        t0 = seconds();
        if (!write(outDir + "\\" + job.file, result.get()))
            return 1;
        if (job.file == std::string("rotate.bmp"))
            std::printf("%-28s %6.3f s\n", "write 24-bit BMP", seconds() - t0);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    static AppState app{};
    app.size = kAppStateSize;
    app.appInstance = GetModuleHandleA(nullptr);
    InitKelDll(&app);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "graphic" && argc == 4)
        return graphic(argv[2], argv[3]);
    if (mode == "time" && argc == 6)
        return timeRuns(argv[2], argv[3], argv[4], std::max(1, std::atoi(argv[5])));
    if (mode == "kernel" && argc == 3) {
        const FilterKernel k = kernel(argv[2]);
        for (int i = 0; i < 25; ++i)
            std::printf("%s%.6f", i ? "," : "", double(k.weights[i]) / k.divisor);
        std::printf("\n");
        return 0;
    }
    std::fputs("usage: transform_bench graphic IN24.bmp OUT8.bmp | time IN24.bmp IN8.bmp OUTDIR RUNS |"
               " kernel blur|sharpen\n",
               stderr);
    return 2;
}
