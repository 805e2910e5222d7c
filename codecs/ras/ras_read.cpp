// Reading Sun raster files: the information record, then the whole image into a DIB.
#include "kelras.h"
#include "ras_format.h"

#include "codec_palette.h"
#include "codec_record.h"
#include "dib_layout.h"
#include "file_io.h"
#include "keldll.h"
#include "sequential_file.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>

namespace {

bool readHeader(HANDLE file, ras::Header* h)
{
    uint8_t bytes[ras::kHeaderSize];
    LARGE_INTEGER start{};
    DWORD got = 0;
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN) || !ReadFile(file, bytes, sizeof bytes, &got, nullptr) ||
        got != sizeof bytes)
        return false;
    *h = ras::parseHeader(bytes);
    return true;
}

// Reads `n` bytes at `offset` of an open handle; false on a short read.
bool readAt(HANDLE file, uint64_t offset, uint8_t* out, DWORD n)
{
    LARGE_INTEGER at;
    at.QuadPart = int64_t(offset);
    DWORD got = 0;
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, out, n, &got, nullptr) && got == n;
}

} // namespace

HGLOBAL ReadRASBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, int warnings)
{
    ras::Header h;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || !readHeader(file, &h))
        return nullptr;
    if (h.magic != ras::kMagic) {
        TechInfoU(techInfo, "Invalid magic value \r\n");
        return nullptr;
    }
    if (h.type != ras::kStandard) {
        TechInfo(techInfo, "Not a standard encoded SUN raster file, %ld \r\n", long(h.type));
        return nullptr;
    }
    if ((h.depth != 1 && h.depth != 8 && h.depth != 24) || h.width == 0 || h.height == 0 ||
        h.width > INT32_MAX || h.height > INT32_MAX)
        return nullptr;
    const uint64_t dataStart = uint64_t(ras::kHeaderSize) + h.mapLength;
    const uint64_t dataBytes = uint64_t(size.QuadPart) > dataStart ? uint64_t(size.QuadPart) - dataStart : 0;
    const uint64_t imageBytes = kel::dibRowBytes(h.width, h.depth) * h.height;
    if (!kelcodec::plausibleImage(imageBytes, dataBytes))
        return nullptr;

    // A map larger than the table gives only the entries the table holds.
    const int tableEntries = h.depth == 1 ? 2 : 256;
    const uint32_t mapped = std::min<uint32_t>(ras::mapEntries(h), uint32_t(tableEntries));
    kel::GlobalMem record(
        kelcodec::newRecord(int32_t(h.width), int32_t(h.height), int(h.depth), mapped ? mapped : tableEntries));
    kel::GlobalLocked<uint8_t> p(record.get());
    if (!p) {
        if (warnings)
            ErrMsg("Create bit map failed");
        return nullptr;
    }
    uint8_t* table = p.get() + 40;
    if (h.depth == 8)
        kelcodec::greyRamp(table, 256);
    else if (h.depth == 1) {
        kelcodec::putEntry(table, 0, 255, 255, 255);
        kelcodec::putEntry(table, 1, 0, 0, 0);
    }
    if (mapped) {
        const uint32_t n = ras::mapEntries(h);
        uint8_t planes[3][256];
        for (int c = 0; c < 3; ++c)
            if (!readAt(file, ras::kHeaderSize + uint64_t(c) * n, planes[c], mapped))
                return nullptr;
        for (uint32_t i = 0; i < mapped; ++i)
            kelcodec::putEntry(table, int(i), planes[0][i], planes[1][i], planes[2][i]);
    }
    if (format)
        std::strcpy(format, "RAS");
    return record.release();
}

HGLOBAL OpenRAS(const char* path, HINSTANCE instance, char* format, HGLOBAL* /*info*/, HGLOBAL* techInfo,
                HPALETTE* palette, int warnings)
{
    kel::File file = kel::File::openRead(path);
    if (!file)
        return nullptr;
    kel::GlobalMem dib(ReadRASBitmapInfo(file.get(), format, techInfo, warnings));
    ras::Header h;
    if (!dib || !readHeader(file.get(), &h))
        return nullptr;
    FormatSpecs(dib.get(), format ? format : "RAS");
    TechInfo(techInfo, "Map type = %ld\r\n", long(h.mapType));
    if (!kelcodec::growToDib(dib)) {
        kelcodec::appendNoMemory(instance, techInfo);
        return nullptr;
    }
    {
        kel::GlobalLocked<uint8_t> p(dib.get());
        if (!p)
            return nullptr;
        const kelcodec::DibLayout dibRows = kelcodec::layoutOf(p.get());
        const size_t pixels = size_t(ras::pixelBytes(h));
        const size_t padding = size_t(ras::fileRowBytes(h)) - pixels;
        // Rows the file lacks stay black (zero).
        kelcodec::SequentialFile in(file.get(), int64_t(ras::kHeaderSize) + h.mapLength);
        for (int y = 0; y < dibRows.height; ++y) {
            in.read(dibRows.rowFromTop(y), pixels);
            in.skip(padding);
            if (!UpdateStatus(DWORD(y + 1), DWORD(dibRows.height)))
                return nullptr;
        }
    }
    if (h.depth == 24 && !kelcodec::giveOptimalPalette(dib, palette))
        return nullptr;
    return dib.release();
}
