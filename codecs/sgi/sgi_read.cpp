// Reading SGI image files: the information record, then the whole image into a DIB.
#include "kelsgi.h"
#include "sgi_format.h"

#include "bytes.h"
#include "codec_palette.h"
#include "codec_record.h"
#include "dib_layout.h"
#include "file_io.h"
#include "keldll.h"
#include "sequential_file.h"
#include "win_raii.h"

#include <cstring>
#include <vector>

namespace {

// Run-length images: each row of each channel the DIB takes, from the scanline tables.
bool readRunLength(const kel::File& file, const sgi::Header& h, int g, const kelcodec::DibLayout& dib)
{
    // Only the tables' entries of the channels read are needed: offsets of channel c start at
    // c x height in the first table, lengths at the same place in the second.
    const size_t rows = h.height;
    const int64_t tableBytes = int64_t(h.channels) * h.height * 4;
    if (file.size() < sgi::kHeaderSize + 2 * tableBytes)
        return false; // the tables are not all there: nothing to find the scanlines by
    std::vector<uint8_t> offsets(size_t(g) * rows * 4), lengths(size_t(g) * rows * 4);
    for (int c = 0; c < g; ++c) {
        const int64_t at = sgi::kHeaderSize + int64_t(c) * h.height * 4;
        if (file.readAt(at, &offsets[size_t(c) * rows * 4], rows * 4) != int64_t(rows * 4) ||
            file.readAt(at + tableBytes, &lengths[size_t(c) * rows * 4], rows * 4) != int64_t(rows * 4))
            return false;
    }
    // No honest scanline is longer than two bytes a value and its closing count.
    const size_t longest = 2 * size_t(h.width) + 2;
    std::vector<uint8_t> scanline(longest);
    for (size_t r = 0; r < rows; ++r) {
        uint8_t* row = dib.pixels + r * dib.rowBytes;
        for (int c = 0; c < g; ++c) {
            const size_t entry = (size_t(c) * rows + r) * 4;
            const uint32_t length = kel::getU32BE(&lengths[entry]);
            const int64_t got = file.readAt(kel::getU32BE(&offsets[entry]), scanline.data(),
                                            std::min<size_t>(length, longest));
            if (got > 0)
                sgi::expandScanline(scanline.data(), size_t(got), row + (g - c - 1), size_t(g), h.width);
        }
        if (!UpdateStatus(DWORD(r + 1), DWORD(rows)))
            return false;
    }
    return true;
}

// Verbatim images: the planes of the channels the DIB takes, row by row. A plane cut short
// leaves its remaining rows zero.
bool readVerbatim(const kel::File& file, const sgi::Header& h, int g, const kelcodec::DibLayout& dib)
{
    const size_t width = h.width, rows = h.height;
    std::vector<uint8_t> line(width);
    for (int c = 0; c < g; ++c) {
        kelcodec::SequentialFile in(file.get(), sgi::kHeaderSize + int64_t(c) * int64_t(width * rows));
        bool short_ = false;
        for (size_t r = 0; r < rows; ++r) {
            if (!short_ && in.read(line.data(), width) == width) {
                uint8_t* out = dib.pixels + r * dib.rowBytes + (g - c - 1);
                for (size_t x = 0; x < width; ++x, out += g)
                    *out = line[x];
            } else {
                short_ = true;
            }
            if (!UpdateStatus(DWORD(r + rows * c + 1), DWORD(rows * g)))
                return false;
        }
    }
    return true;
}

} // namespace

HGLOBAL ReadRGBBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, int warnings)
{
    uint8_t bytes[sgi::kHeaderSize];
    DWORD got = 0;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || !ReadFile(file, bytes, sizeof bytes, &got, nullptr) || got != sizeof bytes)
        return nullptr;
    const sgi::Header h = sgi::parseHeader(bytes);
    if (h.magic != sgi::kMagic) {
        TechInfoU(techInfo, "Invalid magic value \r\n");
        return nullptr;
    }
    if (h.storage > 1) {
        TechInfo(techInfo, "Invalid storage value, %c \r\n", h.storage);
        return nullptr;
    }
    if (h.bytesPerChannel != 1) {
        TechInfo(techInfo, "Can't handle bytes per pixel value of %c \r\n", h.bytesPerChannel);
        return nullptr;
    }
    if (h.dimension != 2 && h.dimension != 3) {
        TechInfo(techInfo, "Can't handle %d dimensions  \r\n", int(h.dimension));
        return nullptr;
    }
    if (h.colourMap != 0) {
        TechInfo(techInfo, "Can't handle color map value of , %ld \r\n", long(h.colourMap));
        return nullptr;
    }
    const int g = sgi::dibChannels(h);
    const int bits = g == 1 ? 8 : 24;
    const uint64_t imageBytes = kel::dibRowBytes(h.width, uint64_t(bits)) * h.height;
    if (g == 0 || !kelcodec::plausibleImage(imageBytes, uint64_t(size.QuadPart)))
        return nullptr;

    kel::GlobalMem record(kelcodec::newRecord(h.width, h.height, bits, 256));
    kel::GlobalLocked<uint8_t> p(record.get());
    if (!p) {
        if (warnings)
            ErrMsg("Create bit map failed");
        return nullptr;
    }
    if (bits == 8)
        kelcodec::greyRamp(p.get() + 40, 256);
    if (format)
        std::strcpy(format, "RGB");
    return record.release();
}

HGLOBAL OpenRGB(const char* path, HINSTANCE instance, char* format, HGLOBAL* /*info*/, HGLOBAL* techInfo,
                HPALETTE* palette, int warnings)
{
    kel::File file = kel::File::openRead(path);
    if (!file)
        return nullptr;
    kel::GlobalMem dib(ReadRGBBitmapInfo(file.get(), format, techInfo, warnings));
    if (!dib)
        return nullptr;
    FormatSpecs(dib.get(), format ? format : "RGB");

    uint8_t bytes[sgi::kHeaderSize];
    if (file.readAt(0, bytes, sizeof bytes) != int64_t(sizeof bytes))
        return nullptr;
    const sgi::Header h = sgi::parseHeader(bytes);
    TechInfo(techInfo, "Storage Format:%s\r\n", h.storage ? "Compressed" : "Uncompressed");
    TechInfo(techInfo, "Number of channels:%d\r\n", int(h.channels));
    TechInfo(techInfo, "Number of dimensions: %d\r\n", int(h.dimension));
    TechInfo(techInfo, "Image Name: %s \r\n", h.name);
    TechInfo(techInfo, "Colormap ID: %d\r\n", int(h.colourMap));

    if (!kelcodec::growToDib(dib)) {
        kelcodec::appendNoMemory(instance, techInfo);
        return nullptr;
    }
    const int g = sgi::dibChannels(h);
    {
        kel::GlobalLocked<uint8_t> p(dib.get());
        if (!p)
            return nullptr;
        const kelcodec::DibLayout layout = kelcodec::layoutOf(p.get());
        if (!(h.storage ? readRunLength(file, h, g, layout) : readVerbatim(file, h, g, layout)))
            return nullptr;
    }
    if (g == 3 && !kelcodec::giveOptimalPalette(dib, palette))
        return nullptr;
    return dib.release();
}
