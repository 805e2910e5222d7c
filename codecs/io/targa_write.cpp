// Writing DIBs as Targa files (layout in targa_format.h): types 1 and 2, run-length coded as 9
// and 10, always with a colour map and the application's name as the image ID.
#include "dib_source.h"
#include "kelio.h"
#include "targa_format.h"

#include "buffered_io.h"
#include "dib_layout.h"
#include "file_io.h"
#include "ids_app.h"
#include "keldll.h"
#include "win_raii.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kIdLength = 9;

bool writeImage(const kel::File& file, HGLOBAL dib, const uint8_t* header, size_t blockSize, int options,
                char* format, HINSTANCE instance)
{
    const int bits = DIBBitcount(header);
    const int64_t width = DIBWidth(header), height = DIBHeight(header);
    if (!kelio::plainDib(header, blockSize) || (bits != 1 && bits != 4 && bits != 8 && bits != 24) ||
        width > 0xFFFF || height > 0xFFFF)
        return false;
    const size_t dibRow = size_t(kel::dibRowBytes(uint64_t(width), uint64_t(bits)));
    const uint8_t* pixels = FindDIBBits(header);
    const std::vector<kelio::Rgb> palette = kelio::dibPalette(header);

    // The image ID: the application's name, at most 8 characters, zero-padded to 9 bytes.
    char id[kIdLength + 1] = {};
    if (instance)
        LoadStringA(instance, IDS_APPNAME, id, kIdLength);
    const bool compress = options & 1;
    targa::Header h;
    h.idLength = kIdLength;
    h.mapType = 1;
    h.type = uint8_t((bits == 24 ? 2 : 1) + (compress ? 8 : 0));
    h.mapLength = uint16_t(palette.size());
    h.mapEntryBits = 24;
    h.width = uint16_t(width);
    h.height = uint16_t(height);
    h.bits = uint8_t(bits);
    uint8_t hb[targa::kHeaderSize];
    targa::writeHeader(h, hb);

    kel::BufferedWriter out(file);
    out.put(hb, sizeof hb);
    out.put(id, kIdLength);
    char name[16];
    std::snprintf(name, sizeof name, "TGA-%d", h.type);
    if (format)
        std::strcpy(format, name);
    FormatSpecs(dib, name);
    for (const kelio::Rgb& c : palette) {
        const uint8_t entry[3] = {c.b, c.g, c.r};
        out.put(entry, 3);
    }

    const size_t rowBytes = size_t((width * bits + 7) / 8);
    const int unit = bits == 24 ? 3 : 1;
    const size_t units = bits > 8 ? size_t(width) : rowBytes;
    std::vector<uint8_t> coded(compress ? 2 * rowBytes + 1 : 0);
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + size_t(y) * dibRow;
        if (compress)
            out.put(coded.data(), targa::encodeRow(row, units, unit, coded.data()));
        else
            out.put(row, rowBytes);
        if (!UpdateStatus(DWORD(y), DWORD(height)))
            return false;
    }
    return out.flush();
}

} // namespace

int WriteTGA(const char* path, HGLOBAL dib, int options, char* format, HINSTANCE instance)
{
    if (!dib || !path)
        return 0;
    const size_t blockSize = GlobalSize(dib);
    kel::GlobalLocked<uint8_t> header(dib);
    if (!header)
        return 0;
    kel::File file = kel::File::open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file)
        return 0;
    if (!writeImage(file, dib, header.get(), blockSize, options, format, instance)) {
        file.close();
        DeleteFileA(path);
        return 0;
    }
    return 1;
}
