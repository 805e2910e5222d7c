// kelcli quantize / dither: the image core's quantizers and dithers on BMP files.
#include "bmp_file.h"
#include "cli.h"
#include "keldll.h"
#include "win_raii.h"

#include <cstring>
#include <vector>

namespace kelcli {

// The image core loads its texts through the application instance: this program carries them.
void initImageCore()
{
    static AppState app = [] {
        AppState a{};
        a.size = kAppStateSize;
        a.appInstance = GetModuleHandleA(nullptr);
        std::strcpy(a.appName, "Kelgrove");
        return a;
    }();
    InitKelDll(&app);
}

namespace {

const char kQuantizeUsage[] = "usage: kelcli quantize IN.bmp OUT.bmp [--colors N] [--method median|twopass]";
const char kDitherUsage[] = "usage: kelcli dither IN.bmp OUT.bmp --mono | --palette PAL.bmp";

bool readImage(const std::string& path, kel::GlobalMem* dib, std::string* why)
{
    std::string error;
    dib->reset(pipeline::readBmpFile(path.c_str(), &error));
    if (!*dib)
        *why = "cannot read " + path + ": " + error;
    return bool(*dib);
}

int writeImage(const std::string& path, HGLOBAL dib)
{
    std::string error;
    if (!pipeline::writeBmpFile(path.c_str(), dib, &error))
        return fail("cannot write " + path + ": " + error);
    return 0;
}

int bitsOf(HGLOBAL dib)
{
    kel::GlobalLocked<BYTE> p(dib);
    return p ? DIBBitcount(p.get()) : 0;
}

// Maps every pixel of a 24-bit DIB to the nearest of `count` colours (the system's nearest-index
// search of the palette, remembered per colour met) in a new 8-bit DIB.
HGLOBAL mapToNearest(HGLOBAL dib, const PALETTEENTRY* entries, int count)
{
    std::vector<BYTE> record(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * size_t(count));
    auto* lp = reinterpret_cast<LOGPALETTE*>(record.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = WORD(count);
    std::memcpy(lp->palPalEntry, entries, sizeof(PALETTEENTRY) * size_t(count));
    kel::GdiObject<HPALETTE> palette(CreatePalette(lp));
    kel::GlobalLocked<BYTE> src(dib);
    if (!palette || !src)
        return nullptr;
    const int width = int(DIBWidth(src.get())), height = int(DIBHeight(src.get()));
    const size_t inRow = size_t((width * 24 + 31) / 32) * 4, outRow = size_t((width * 8 + 31) / 32) * 4;
    const size_t head = 40 + 4 * size_t(count);
    kel::GlobalMem out = kel::GlobalMem::alloc(head + outRow * size_t(height));
    kel::GlobalLocked<BYTE> p(out.get());
    if (!p)
        return nullptr;
    BITMAPINFOHEADER bi{40, width, height, 1, 8, BI_RGB, DWORD(outRow * size_t(height)), 0, 0, DWORD(count),
                        DWORD(count)};
    std::memcpy(p.get(), &bi, 40);
    auto* table = reinterpret_cast<RGBQUAD*>(p.get() + 40);
    for (int i = 0; i < count; ++i)
        table[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    std::vector<int16_t> known(1 << 24, -1);
    const BYTE* in = FindDIBBits(src.get());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const BYTE* px = in + inRow * size_t(y) + 3 * size_t(x);
            int16_t& index = known[size_t(px[2]) << 16 | size_t(px[1]) << 8 | px[0]];
            if (index < 0)
                index = int16_t(GetNearestPaletteIndex(palette.get(), RGB(px[2], px[1], px[0])));
            p.get()[head + outRow * size_t(y) + size_t(x)] = BYTE(index);
        }
    return out.release();
}

// True when the image's own colour table holds exactly the palette's colours.
bool usesPalette(HGLOBAL dib, HPALETTE palette)
{
    kel::GdiObject<HPALETTE> own(CreateDIBPalette(dib));
    const int n = ColorsInPalette(palette);
    if (!own || ColorsInPalette(own.get()) != n || bitsOf(dib) > 8)
        return false;
    std::vector<PALETTEENTRY> a(static_cast<size_t>(n)), b(static_cast<size_t>(n));
    GetPaletteEntries(own.get(), 0, UINT(n), a.data());
    GetPaletteEntries(palette, 0, UINT(n), b.data());
    for (int i = 0; i < n; ++i)
        if (a[size_t(i)].peRed != b[size_t(i)].peRed || a[size_t(i)].peGreen != b[size_t(i)].peGreen ||
            a[size_t(i)].peBlue != b[size_t(i)].peBlue)
            return false;
    return true;
}

} // namespace

int quantizeCommand(const Args& args)
{
    if (args.size() < 2)
        return fail(kQuantizeUsage);
    int colours = 256;
    std::string method = "median";
    for (size_t i = 2; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return fail(kQuantizeUsage);
        if (args[i] == "--colors") {
            char* end = nullptr;
            const long n = std::strtol(args[i + 1].c_str(), &end, 10);
            if (*end || n < 1 || n > 256)
                return fail("--colors takes a number from 1 to 256");
            colours = int(n);
        } else if (args[i] == "--method" && (args[i + 1] == "median" || args[i + 1] == "twopass")) {
            method = args[i + 1];
        } else {
            return fail(kQuantizeUsage);
        }
    }
    if (method == "twopass" && colours != 256)
        return fail("the two-pass quantizer always makes up to 256 colors");

    initImageCore();
    kel::GlobalMem dib;
    std::string why;
    if (!readImage(args[0], &dib, &why))
        return fail(why);
    if (bitsOf(dib.get()) != 24)
        return fail(args[0] + " is not a 24-bit image");

    PALETTEENTRY entries[256] = {};
    WORD count = WORD(colours);
    kel::GlobalMem result;
    if (method == "median") {
        if (!quantize(&count, entries, dib.get()) || count == 0)
            return fail("quantization failed");
        result.reset(mapToNearest(dib.get(), entries, count));
    } else {
        HGLOBAL made = quant2(&count, entries, dib.get(), 1);
        if (made != dib.get())
            result.reset(made);
    }
    if (!result)
        return fail("not enough memory to quantize " + args[0]);
    return writeImage(args[1], result.get());
}

int ditherCommand(const Args& args)
{
    const bool mono = args.size() == 3 && args[2] == "--mono";
    const bool palette = args.size() == 4 && args[2] == "--palette";
    if (!mono && !palette)
        return fail(kDitherUsage);

    initImageCore();
    kel::GlobalMem dib;
    std::string why;
    if (!readImage(args[0], &dib, &why))
        return fail(why);
    if (mono) {
        kel::GlobalMem result(DitherDib(nullptr, dib.get(), nullptr, args[0].c_str()));
        if (!result)
            return fail("cannot dither " + args[0]);
        return writeImage(args[1], result.get());
    }

    kel::GlobalMem palDib;
    if (!readImage(args[3], &palDib, &why))
        return fail(why);
    {
        kel::GlobalLocked<BYTE> p(palDib.get());
        if (!p || PaletteSize(p.get()) == 0)
            return fail(args[3] + " has no color table");
    }
    kel::GdiObject<HPALETTE> target(CreateDIBPalette(palDib.get()));
    if (!target)
        return fail("cannot make a palette from " + args[3]);
    kel::GlobalMem result(DitherColorDib(nullptr, dib.get(), nullptr, target.get(), args[0].c_str()));
    if (result)
        return writeImage(args[1], result.get());
    // The image already holds exactly these colours: it is its own result.
    if (usesPalette(dib.get(), target.get()))
        return writeImage(args[1], dib.get());
    return fail("cannot dither " + args[0]);
}

} // namespace kelcli
