// The reading entries: information and open of JPEG files, catalog thumbnails in memory, and the
// JPEG data of QuickTime-compressed PICT pictures.
#include "jpeg_decode.h"
#include "keljpg.h"

#include "dib_layout.h"
#include "file_io.h"
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace keljpg;

namespace keljpg {

// The application's settings, from InitJPEGDll.
struct Application {
    HWND frame = nullptr;
    HINSTANCE instance = nullptr;
    char helpFile[260] = "";
    int autoDither = 0;
};
Application g_application;

} // namespace keljpg

namespace {

// Settings of the last information call, used by the open call that follows it (the dispatcher's
// mutex keeps the pair together).
ReadSettings g_settings;

int64_t bytesFromPosition(HANDLE file)
{
    LARGE_INTEGER zero{}, position{}, size{};
    if (!SetFilePointerEx(file, zero, &position, FILE_CURRENT) || !GetFileSizeEx(file, &size))
        return -1;
    return size.QuadPart - position.QuadPart;
}

bool paletteDisplay()
{
    kel::WindowDC screen;
    return screen && (GetDeviceCaps(screen.get(), RASTERCAPS) & RC_PALETTE);
}

// A DIB (or, without pixels, an image information record) of the job's output, decoded into
// when `pixels` is set; null on any failure.
HGLOBAL makeDib(Job& job, bool pixels, bool progress)
{
    BITMAPINFOHEADER bi;
    fillHeader(job, &bi);
    const size_t table = colourTableBytes(job);
    kel::GlobalMem dib = kel::GlobalMem::alloc(40 + table + (pixels ? bi.biSizeImage : 0));
    kel::GlobalLocked<uint8_t> p(dib.get());
    if (!p)
        return nullptr;
    std::memcpy(p.get(), &bi, sizeof bi);
    auto* colours = reinterpret_cast<RGBQUAD*>(p.get() + 40);
    if (!pixels) {
        if (job.layout == Layout::Grey8)
            for (int i = 0; i < 256; ++i)
                colours[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
        return dib.release();
    }
    Target t{p.get() + 40 + table, size_t(kel::dibRowBytes(uint64_t(bi.biWidth), bi.biBitCount)),
             int(bi.biWidth), int(bi.biHeight), int(bi.biBitCount), 0, table ? colours : nullptr, progress, 0};
    if (!decode(job, t))
        return nullptr;
    return dib.release();
}

} // namespace

int InitJPEGDll(HWND frame, HINSTANCE instance, const char* helpFile, int autoDither)
{
    g_application.frame = frame;
    g_application.instance = instance;
    std::snprintf(g_application.helpFile, sizeof g_application.helpFile, "%s", helpFile ? helpFile : "");
    g_application.autoDither = autoDither;
    return 1;
}

HGLOBAL ReadJPEGBitmapInfo(const JpegOptions* options, HANDLE file, int smoothing, int twoPass,
                           int colourResolution, char* format)
{
    ReadSettings s;
    s.smoothing = smoothing != 0;
    s.twoPass = twoPass != 0;
    s.colourResolution = colourResolution == 0 ? (paletteDisplay() ? 1 : 2) : colourResolution;
    s.scale = options ? options->scaleDenominator : 1;
    g_settings = s;

    const int64_t available = bytesFromPosition(file);
    if (available <= 0)
        return nullptr;
    Job job;
    if (!start(job, Source{file, nullptr, size_t(available)}, s))
        return nullptr;
    HGLOBAL record = makeDib(job, false, false);
    if (record && format)
        std::strcpy(format, "JPEG");
    return record;
}

HGLOBAL OpenJPEG(const JpegOptions* /*options*/, const char* path)
{
    kel::File file = kel::File::openRead(path);
    if (!file)
        return nullptr;
    Job job;
    if (!start(job, Source{file.get(), nullptr, size_t(std::max<int64_t>(file.size(), 0))}, g_settings))
        return nullptr;
    return makeDib(job, true, true);
}

HGLOBAL ReadJPEGMem(const void* data, DWORD size)
{
    if (!data || size == 0)
        return nullptr;
    Job job;
    if (!start(job, Source{nullptr, static_cast<const uint8_t*>(data), size}, ReadSettings{}))
        return nullptr;
    return makeDib(job, true, false);
}

int ReadJPEGPictData(HGLOBAL dib, HANDLE file, int rowsDone, HGLOBAL* techInfo)
{
    const size_t blockSize = GlobalSize(dib);
    kel::GlobalLocked<uint8_t> p(dib);
    if (!p || blockSize < 40 || rowsDone < 0)
        return rowsDone;
    BITMAPINFOHEADER bi;
    std::memcpy(&bi, p.get(), sizeof bi);
    const size_t rowBytes = size_t(kel::dibRowBytes(uint64_t(std::max<LONG>(bi.biWidth, 0)), 24));
    const size_t pixelsAt = size_t(FindDIBBits(p.get()) - p.get());
    if (bi.biSize != 40 || bi.biBitCount != 24 || bi.biWidth <= 0 || bi.biHeight <= 0 ||
        pixelsAt + rowBytes * size_t(bi.biHeight) > blockSize)
        return rowsDone;

    // The opcode's image description comes first; the stream starts at its start-of-image marker.
    LARGE_INTEGER here{}, zero{};
    SetFilePointerEx(file, zero, &here, FILE_CURRENT);
    uint8_t look[4096];
    DWORD got = 0;
    ReadFile(file, look, sizeof look, &got, nullptr);
    DWORD at = 0;
    while (at + 2 < got && !(look[at] == 0xFF && look[at + 1] == 0xD8 && look[at + 2] == 0xFF))
        ++at;
    bool ok = false;
    Target t{p.get() + pixelsAt, rowBytes, int(bi.biWidth), int(bi.biHeight), 24, rowsDone, nullptr, false, 0};
    if (at + 2 < got) {
        LARGE_INTEGER soi;
        soi.QuadPart = here.QuadPart + at;
        SetFilePointerEx(file, soi, nullptr, FILE_BEGIN);
        Job job;
        ok = start(job, Source{file, nullptr, size_t(std::max<int64_t>(bytesFromPosition(file), 0))}, ReadSettings{}) &&
             decode(job, t);
    }
    if (!ok)
        TechInfoU(techInfo, "QuickTime JPEG data could not be decoded\r\n");
    return rowsDone + t.rowsWritten;
}
