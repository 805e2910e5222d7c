// Benchmark of the two-pass quantizer with its dither and of the colour dither, in-process.
//   quantize_bench generate OUT.bmp           a deterministic photo-like 4000 x 3000 24-bit image
//   quantize_bench time IN.bmp OUTDIR RUNS    best-of-RUNS timings; writes q2.bmp and dcd.bmp
//   quantize_bench psnr REFERENCE.bmp TEST.bmp PSNR of TEST against REFERENCE (RGB, dB)
#include "bmp_file.h"
#include "keldll.h"
#include "win_raii.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

struct Lcg {
    uint32_t s;
    uint32_t next() { return s = s * 1664525u + 1013904223u; }
    double unit() { return (next() >> 8) / 16777216.0; }
};

// A landscape-like scene: a sky gradient over a wavy horizon with ground below, soft patches of
// light and colour (computed on a coarse grid and interpolated, as the large shapes of a
// photograph), hard-edged discs as objects, fine texture on the ground and a little noise.
HGLOBAL generate()
{
    constexpr int kStep = 8, gw = kWidth / kStep + 2, gh = kHeight / kStep + 2;
    Lcg rng{20240601u};
    struct Blob {
        double x, y, r, c[3];
    };
    std::vector<Blob> blobs(30);
    for (Blob& b : blobs)
        b = Blob{rng.unit() * kWidth, rng.unit() * kHeight, 200 + rng.unit() * 600,
                 {rng.unit() * 255, rng.unit() * 255, rng.unit() * 255}};
    std::vector<Blob> discs(12);
    for (Blob& d : discs)
        d = Blob{rng.unit() * kWidth, kHeight * (0.4 + 0.6 * rng.unit()), 60 + rng.unit() * 260,
                 {rng.unit() * 255, rng.unit() * 255, rng.unit() * 255}};
    auto horizon = [](double x) { return kHeight * (0.45 + 0.05 * std::sin(x / 700) + 0.02 * std::sin(x / 170)); };

    std::vector<float> grid(size_t(gw) * gh * 3);
    for (int gy = 0; gy < gh; ++gy)
        for (int gx = 0; gx < gw; ++gx) {
            const double x = gx * kStep, y = gy * kStep, t = y / kHeight;
            double c[3] = {70 + 130 * t, 130 + 90 * t, 235 - 60 * t}, weight = 1;
            for (const Blob& b : blobs) {
                const double d2 = ((x - b.x) * (x - b.x) + (y - b.y) * (y - b.y)) / (b.r * b.r);
                const double w = 0.8 / (1 + d2 * d2 * 4);
                for (int k = 0; k < 3; ++k)
                    c[k] += w * b.c[k];
                weight += w;
            }
            for (int k = 0; k < 3; ++k)
                grid[(size_t(gy) * gw + gx) * 3 + k] = float(c[k] / weight);
        }

    BITMAPINFOHEADER bi;
    InitBitmapInfoHeader(&bi, kWidth, kHeight, 24);
    kel::GlobalMem dib = kel::GlobalMem::alloc(40 + bi.biSizeImage);
    kel::GlobalLocked<BYTE> p(dib.get());
    std::memcpy(p.get(), &bi, 40);
    const size_t row = (kWidth * 3 + 3) & ~size_t(3);
    std::vector<float> line(size_t(kWidth) * 3);
    for (int y = 0; y < kHeight; ++y) {
        const int gy = y / kStep;
        const float fy = float(y % kStep) / kStep;
        for (int x = 0; x < kWidth; ++x) {
            const int gx = x / kStep;
            const float fx = float(x % kStep) / kStep;
            for (int k = 0; k < 3; ++k) {
                auto g = [&](int xx, int yy) { return grid[(size_t(yy) * gw + xx) * 3 + k]; };
                line[3 * size_t(x) + k] = (1 - fy) * ((1 - fx) * g(gx, gy) + fx * g(gx + 1, gy)) +
                                          fy * ((1 - fx) * g(gx, gy + 1) + fx * g(gx + 1, gy + 1));
            }
            if (y > horizon(x)) { // ground: darker, greener, textured, shaded with depth
                const float depth = float(y - horizon(x)) / kHeight;
                const float texture = 6.0f * std::sin(x * 0.09f + 4 * std::sin(y * 0.05f)) * std::sin(y * 0.11f);
                const float ground[3] = {95, 110, 50};
                for (int k = 0; k < 3; ++k)
                    line[3 * size_t(x) + k] =
                        (0.45f * line[3 * size_t(x) + k] + 0.55f * ground[k]) * (0.7f + depth) + texture;
            }
        }
        for (const Blob& d : discs) { // objects in front, lit from the upper left
            if (y < d.y - d.r || y > d.y + d.r)
                continue;
            const double half = std::sqrt(d.r * d.r - (y - d.y) * (y - d.y));
            for (int x = std::max(0, int(d.x - half)); x < std::min(kWidth, int(d.x + half)); ++x) {
                const double light = 0.6 + 0.4 * ((d.x - x) + (d.y - y)) / (2 * d.r);
                for (int k = 0; k < 3; ++k)
                    line[3 * size_t(x) + k] = float(d.c[k] * light);
            }
        }
        BYTE* out = p.get() + 40 + row * size_t(kHeight - 1 - y);
        for (int x = 0; x < kWidth; ++x) {
            const float noise = float(int(rng.next() >> 28) - 8) * 0.4f;
            for (int k = 0; k < 3; ++k)
                out[3 * x + 2 - k] = BYTE(std::clamp(line[3 * size_t(x) + k] + noise, 0.0f, 255.0f));
        }
    }
    return dib.release();
}

double seconds()
{
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return double(t.QuadPart) / double(f.QuadPart);
}

bool write(const std::string& path, HGLOBAL dib)
{
    std::string error;
    if (!pipeline::writeBmpFile(path.c_str(), dib, &error)) {
        std::fprintf(stderr, "quantize_bench: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

HGLOBAL read(const std::string& path)
{
    std::string error;
    HGLOBAL dib = pipeline::readBmpFile(path.c_str(), &error);
    if (!dib)
        std::fprintf(stderr, "quantize_bench: %s: %s\n", path.c_str(), error.c_str());
    return dib;
}

int timeRuns(const std::string& in, const std::string& outDir, int runs)
{
    double t0 = seconds();
    kel::GlobalMem dib(read(in));
    if (!dib)
        return 1;
    std::printf("read BMP             %6.3f s\n", seconds() - t0);
    kel::GlobalLocked<BYTE> p(dib.get());
    const double mp = double(DIBWidth(p.get())) * DIBHeight(p.get()) / 1e6;

    PALETTEENTRY entries[256];
    WORD count = 0;
    kel::GlobalMem q2;
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double t0 = seconds();
        kel::GlobalMem made(quant2(&count, entries, dib.get(), 1));
        const double t = seconds() - t0;
        if (made.get() == dib.get()) {
            made.release();
            std::fprintf(stderr, "quantize_bench: quant2 made no image\n");
            return 1;
        }
        best = std::min(best, t);
        q2 = std::move(made);
    }
    std::printf("quant2+q2dither      %6.3f s  %7.1f MP/s  (%d colors, best of %d)\n", best, mp / best, count, runs);

    std::vector<BYTE> record(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(record.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = count;
    std::memcpy(lp->palPalEntry, entries, count * sizeof(PALETTEENTRY));
    kel::GdiObject<HPALETTE> palette(CreatePalette(lp));
    kel::GlobalMem dcd;
    best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double t0 = seconds();
        kel::GlobalMem made(DitherColorDib(nullptr, dib.get(), nullptr, palette.get(), ""));
        const double t = seconds() - t0;
        if (!made) {
            std::fprintf(stderr, "quantize_bench: DitherColorDib failed\n");
            return 1;
        }
        best = std::min(best, t);
        dcd = std::move(made);
    }
    std::printf("DitherColorDib       %6.3f s  %7.1f MP/s  (onto the same %d colors, best of %d)\n", best, mp / best,
                count, runs);
    t0 = seconds();
    if (!write(outDir + "\\q2.bmp", q2.get()))
        return 1;
    std::printf("write 8-bit BMP      %6.3f s\n", seconds() - t0);
    return write(outDir + "\\dcd.bmp", dcd.get()) ? 0 : 1;
}

// Colour of pixel x of row y (memory order) of an uncompressed 8- or 24-bit DIB.
struct Pixels {
    const BYTE* base;
    const BYTE* bits;
    int width, height, bitCount;
    size_t row;
    explicit Pixels(const BYTE* p)
        : base(p), bits(FindDIBBits(p)), width(int(DIBWidth(p))), height(int(DIBHeight(p))), bitCount(DIBBitcount(p)),
          row(size_t((width * bitCount + 31) / 32) * 4)
    {
    }
    void at(int x, int y, int rgb[3]) const
    {
        const BYTE* c = bitCount == 24 ? bits + row * size_t(y) + 3 * size_t(x)
                                       : base + *reinterpret_cast<const DWORD*>(base) + 4 * bits[row * size_t(y) + x];
        rgb[0] = c[2], rgb[1] = c[1], rgb[2] = c[0];
    }
};

int psnr(const std::string& reference, const std::string& test)
{
    kel::GlobalMem a(read(reference)), b(read(test));
    if (!a || !b)
        return 1;
    kel::GlobalLocked<BYTE> pa(a.get()), pb(b.get());
    Pixels ra(pa.get()), rb(pb.get());
    const auto compressed = [](const BYTE* p) { return reinterpret_cast<const BITMAPINFOHEADER*>(p)->biCompression; };
    if (ra.width != rb.width || ra.height != rb.height || (rb.bitCount != 8 && rb.bitCount != 24) ||
        ra.bitCount != 24 || compressed(pa.get()) || compressed(pb.get())) {
        std::fprintf(stderr, "quantize_bench: images differ in size or depth, or are compressed\n");
        return 1;
    }
    double sum = 0;
    for (int y = 0; y < ra.height; ++y)
        for (int x = 0; x < ra.width; ++x) {
            int ca[3], cb[3];
            ra.at(x, y, ca);
            rb.at(x, y, cb);
            for (int k = 0; k < 3; ++k)
                sum += double(ca[k] - cb[k]) * (ca[k] - cb[k]);
        }
    const double mse = sum / (3.0 * ra.width * ra.height);
    std::printf("%.2f\n", mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse));
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
    if (mode == "generate" && argc == 3) {
        kel::GlobalMem dib(generate());
        return write(argv[2], dib.get()) ? 0 : 1;
    }
    if (mode == "time" && argc == 5)
        return timeRuns(argv[2], argv[3], std::max(1, std::atoi(argv[4])));
    if (mode == "psnr" && argc == 4)
        return psnr(argv[2], argv[3]);
    std::fputs("usage: quantize_bench generate OUT.bmp | time IN.bmp OUTDIR RUNS | psnr REF.bmp TEST.bmp\n", stderr);
    return 2;
}
