// Writing 1-, 4-, 8- and 24-bit DIBs as PNG files (layout in png_format.h).
#include "kelpng.h"
#include "png_format.h"
#include "png_pixels.h"

#include "bytes.h"
#include "codec_palette.h"
#include "dib_layout.h"
#include "file_io.h"
#include "buffered_io.h"
#include "keldll.h"
#include "win_raii.h"

#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kIdatBytes = 32768;
constexpr char kSoftware[] = "Kelgrove Image Catalog System - Tandry Software";

void writeChunk(kel::BufferedWriter& out, const char* type, const uint8_t* data, size_t n)
{
    uint8_t head[8];
    kel::putU32BE(head, uint32_t(n));
    std::memcpy(head + 4, type, 4);
    out.put(head, sizeof head);
    if (n)
        out.put(data, n);
    uLong c = crc32(0, head + 4, 4);
    c = crc32(c, n ? data : head, uInt(n)); // zlib answers 0 for a null buffer
    uint8_t crc[4];
    kel::putU32BE(crc, uint32_t(c));
    out.put(crc, sizeof crc);
}

void writeText(kel::BufferedWriter& out, const char* keyword, const char* text)
{
    std::string data = keyword;
    data += '\0';
    data += text;
    writeChunk(out, "tEXt", reinterpret_cast<const uint8_t*>(data.data()), data.size());
}

// For a palette of greys only: the grey level each index stands for at the DIB's depth, when
// every entry is one of that depth's levels (i x 255 / (2^bits - 1)). Writing those levels, not
// the indices, keeps the picture whatever order the palette's greys are in.
bool greyLevels(const std::vector<kelcodec::Rgb>& palette, int bits, std::vector<uint8_t>* levels)
{
    const int count = 1 << bits, maxLevel = count - 1;
    levels->resize(size_t(count));
    for (int i = 0; i < count; ++i) {
        if (size_t(i) >= palette.size()) {
            (*levels)[size_t(i)] = uint8_t(i);
            continue;
        }
        const int g = palette[size_t(i)].r;
        const int k = (g * maxLevel + 127) / 255;
        if (k * 255 / maxLevel != g)
            return false;
        (*levels)[size_t(i)] = uint8_t(k);
    }
    return true;
}

// The filtered rows of the image, top row first.
std::vector<uint8_t> filteredRows(const uint8_t* pixels, size_t rowBytes, int bits, uint32_t width, uint32_t height,
                                  const std::vector<uint8_t>* levels)
{
    const size_t n = bits == 24 ? size_t(width) * 3 : (size_t(width) * size_t(bits) + 7) / 8;
    std::vector<uint8_t> out(size_t(height) * (n + 1));
    std::vector<uint8_t> rgb(bits == 24 ? n : 0), previous(bits == 24 ? n : 0), trial(n);
    bool identity = true;
    if (levels)
        for (size_t i = 0; i < levels->size(); ++i)
            identity = identity && (*levels)[i] == i;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + rowBytes * size_t(height - 1 - y);
        uint8_t* dst = out.data() + size_t(y) * (n + 1);
        if (bits != 24) {
            dst[0] = 0;
            if (identity || !levels) {
                std::memcpy(dst + 1, row, n);
            } else if (bits == 8) {
                for (size_t i = 0; i < n; ++i)
                    dst[1 + i] = (*levels)[row[i]];
            } else if (bits == 4) {
                for (size_t i = 0; i < n; ++i)
                    dst[1 + i] = uint8_t((*levels)[row[i] >> 4] << 4 | (*levels)[row[i] & 15]);
            } else {
                for (size_t i = 0; i < n; ++i) {
                    uint8_t b = 0;
                    for (int k = 7; k >= 0; --k)
                        b = uint8_t(b | (*levels)[(row[i] >> k) & 1] << k);
                    dst[1 + i] = b;
                }
            }
        } else {
            for (uint32_t x = 0; x < width; ++x) {
                rgb[3 * x] = row[3 * x + 2];
                rgb[3 * x + 1] = row[3 * x + 1];
                rgb[3 * x + 2] = row[3 * x];
            }
            // Adaptive filtering: the type whose bytes, taken as signed, sum to the smallest magnitude.
            long best = -1;
            for (uint8_t type = 0; type <= 4; ++type) {
                png::filterRow(type, rgb.data(), y ? previous.data() : nullptr, n, 3, trial.data());
                long sum = 0;
                for (size_t i = 0; i < n; ++i)
                    sum += int8_t(trial[i]);
                sum = sum < 0 ? -sum : sum;
                if (best < 0 || sum < best) {
                    best = sum;
                    dst[0] = type;
                    std::memcpy(dst + 1, trial.data(), n);
                }
            }
            rgb.swap(previous);
        }
        UpdateStatus(DWORD(uint64_t(25) * (y + 1) / height), 100);
    }
    return out;
}

// The zlib stream: header 0x78 0xDA, raw deflate at level 6, the Adler-32 of the rows.
bool compress(const std::vector<uint8_t>& rows, std::vector<uint8_t>* stream)
{
    z_stream z{};
    if (deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    *stream = {0x78, 0xDA};
    z.next_in = const_cast<Bytef*>(rows.data());
    z.avail_in = uInt(rows.size());
    int status = Z_OK;
    while (status == Z_OK) {
        const size_t at = stream->size();
        stream->resize(at + (1u << 20));
        z.next_out = stream->data() + at;
        z.avail_out = 1u << 20;
        status = deflate(&z, Z_FINISH);
        stream->resize(stream->size() - z.avail_out);
    }
    deflateEnd(&z);
    if (status != Z_STREAM_END)
        return false;
    uint8_t check[4];
    kel::putU32BE(check, uint32_t(adler32(adler32(0, nullptr, 0), rows.data(), uInt(rows.size()))));
    stream->insert(stream->end(), check, check + 4);
    return true;
}

bool writeImage(const kel::File& file, const uint8_t* header, size_t blockSize, const char* title,
                const char* description)
{
    const int bits = DIBBitcount(header);
    const int64_t width = DIBWidth(header), height = DIBHeight(header);
    const bool core = kel::getU32(header) != 40 && kel::getU32(header) != 36;
    if ((bits != 1 && bits != 4 && bits != 8 && bits != 24) || (!core && kel::getU32(header + 16) != BI_RGB))
        return false;
    if (width < 1 || height < 1)
        return false;
    const size_t rowBytes = size_t(kel::dibRowBytes(uint64_t(width), uint64_t(bits)));
    const uint8_t* pixels = FindDIBBits(header);
    if (size_t(pixels - header) + rowBytes * size_t(height) > blockSize)
        return false;

    const std::vector<kelcodec::Rgb> palette = kelcodec::dibColours(header);
    if (palette.empty())
        return false;
    bool coloured = false;
    for (const kelcodec::Rgb& c : palette)
        coloured = coloured || c.r != c.g || c.b != c.r;
    std::vector<uint8_t> levels;
    const bool grey = bits != 24 && !coloured && greyLevels(palette, bits, &levels);
    const bool withPalette = bits == 24 ? coloured : !grey;

    kel::BufferedWriter out(file);
    out.put(png::kSignature, sizeof png::kSignature);
    uint8_t ihdr[png::kIhdrSize] = {};
    kel::putU32BE(ihdr, uint32_t(width));
    kel::putU32BE(ihdr + 4, uint32_t(height));
    ihdr[8] = uint8_t(bits == 24 ? 8 : bits);
    ihdr[9] = uint8_t(bits == 24 ? 2 : grey ? 0 : 3);
    writeChunk(out, "IHDR", ihdr, sizeof ihdr);
    if (!out.flush())
        return false;
    if (title && *title)
        writeText(out, "Title", title);
    if (description && *description)
        writeText(out, "Description", description);
    writeText(out, "SoftWare", kSoftware);
    if (withPalette) {
        const size_t entries = bits == 24 ? palette.size() : std::min(palette.size(), size_t(1) << bits);
        std::vector<uint8_t> plte;
        for (size_t i = 0; i < entries; ++i)
            plte.insert(plte.end(), {palette[i].r, palette[i].g, palette[i].b});
        writeChunk(out, "PLTE", plte.data(), plte.size());
    }

    std::vector<uint8_t> stream;
    {
        const std::vector<uint8_t> rows =
            filteredRows(pixels, rowBytes, bits, uint32_t(width), uint32_t(height), grey ? &levels : nullptr);
        if (!compress(rows, &stream))
            return false;
    }
    for (size_t at = 0; at < stream.size(); at += kIdatBytes) {
        const size_t n = std::min(kIdatBytes, stream.size() - at);
        writeChunk(out, "IDAT", stream.data() + at, n);
        UpdateStatus(DWORD(50 + uint64_t(50) * (at + n) / stream.size()), 100);
    }
    writeChunk(out, "IEND", nullptr, 0);
    return out.flush();
}

} // namespace

int WritePNG(const char* path, HGLOBAL dib, INT_PTR /*ignored1*/, INT_PTR /*ignored2*/, const char* title,
             const char* description)
{
    if (!dib || !path)
        return 0;
    const size_t blockSize = GlobalSize(dib);
    kel::GlobalLocked<uint8_t> header(dib);
    if (!header || blockSize < 12 ||
        (blockSize < 40 && (kel::getU32(header.get()) == 40 || kel::getU32(header.get()) == 36)))
        return 0;
    kel::File file = kel::File::open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file)
        return 0;
    if (!writeImage(file, header.get(), blockSize, title, description)) {
        file.close();
        DeleteFileA(path);
        return 0;
    }
    return 1;
}
