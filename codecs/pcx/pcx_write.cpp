// Writing DIBs as version 5 PCX files (layout in pcx_format.h).
#include "kelpcx.h"
#include "pcx_format.h"

#include "bytes.h"
#include "codec_palette.h"
#include "dib_layout.h"
#include "file_io.h"
#include "buffered_io.h"
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Run-length codes one plane line into `out` (room for 2 x n bytes); returns the bytes written.
// Runs are cut at 63; a single byte below 0xC0 stands for itself.
size_t encodeLine(const uint8_t* in, size_t n, uint8_t* out)
{
    uint8_t* o = out;
    auto emit = [&o](uint8_t value, int length) {
        if (length == 1 && value < 0xC0) {
            *o++ = value;
        } else if (length > 0) {
            *o++ = uint8_t(0xC0 | length);
            *o++ = value;
        }
    };
    if (n == 0)
        return 0;
    uint8_t current = in[0];
    int length = 1;
    for (size_t i = 1; i < n; ++i) {
        if (in[i] == current) {
            if (++length == pcx::kMaxRun) {
                emit(current, length);
                length = 0;
            }
        } else {
            emit(current, length);
            current = in[i];
            length = 1;
        }
    }
    emit(current, length);
    return size_t(o - out);
}

bool writeImage(const kel::File& file, const uint8_t* header, size_t blockSize, bool encode)
{
    const int bits = DIBBitcount(header);
    const int64_t width = DIBWidth(header), height = DIBHeight(header);
    const bool core = kel::getU32(header) != 40 && kel::getU32(header) != 36;
    if ((bits != 1 && bits != 4 && bits != 8 && bits != 24) || (!core && kel::getU32(header + 16) != BI_RGB))
        return false;
    // The header's coordinates are signed 16-bit: nothing larger can be described.
    if (width < 1 || height < 1 || width > 32768 || height > 32768)
        return false;
    const size_t rowBytes = size_t(kel::dibRowBytes(uint64_t(width), uint64_t(bits)));
    const uint8_t* pixels = FindDIBBits(header);
    if (size_t(pixels - header) + rowBytes * size_t(height) > blockSize)
        return false;

    const int planeBits = bits == 24 ? 8 : bits;
    const int planes = bits == 24 ? 3 : 1;
    const size_t bpl = size_t((planeBits * width + 15) / 16) * 2;
    const std::vector<kelcodec::Rgb> palette = kelcodec::dibColours(header);

    uint8_t h[pcx::kHeaderSize] = {};
    h[0] = 10;
    h[1] = 5;
    h[2] = encode ? 1 : 0;
    h[3] = uint8_t(planeBits);
    kel::putU16(h + 8, uint16_t(width - 1));
    kel::putU16(h + 10, uint16_t(height - 1));
    kel::putU16(h + 12, uint16_t(width));
    kel::putU16(h + 14, uint16_t(height));
    if (palette.size() <= 16)
        for (size_t i = 0; i < palette.size(); ++i) {
            h[16 + 3 * i] = palette[i].r;
            h[17 + 3 * i] = palette[i].g;
            h[18 + 3 * i] = palette[i].b;
        }
    h[65] = uint8_t(planes);
    kel::putU16(h + 66, uint16_t(bpl));

    kel::BufferedWriter out(file);
    out.put(h, sizeof h);
    std::vector<uint8_t> plane(bpl), coded(2 * bpl);
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + size_t(height - 1 - y) * rowBytes;
        for (int p = 0; p < planes; ++p) {
            if (bits == 24) {
                // Plane 0 takes the red bytes, 1 the green, 2 the blue; an even line's pad is 0.
                const uint8_t* src = row + 2 - p;
                for (int64_t x = 0; x < width; ++x)
                    plane[size_t(x)] = src[3 * x];
                std::fill(plane.begin() + width, plane.end(), 0);
            } else {
                std::memcpy(plane.data(), row, bpl);
            }
            if (encode)
                out.put(coded.data(), encodeLine(plane.data(), bpl, coded.data()));
            else
                out.put(plane.data(), bpl);
            if (!UpdateStatus(DWORD(y), DWORD(height)))
                return false;
        }
    }
    if (palette.size() == 256) {
        uint8_t trailer[pcx::kTrailerSize];
        trailer[0] = pcx::kTrailerMark;
        for (size_t i = 0; i < 256; ++i) {
            trailer[1 + 3 * i] = palette[i].r;
            trailer[2 + 3 * i] = palette[i].g;
            trailer[3 + 3 * i] = palette[i].b;
        }
        out.put(trailer, sizeof trailer);
    }
    return out.flush();
}

} // namespace

int WritePCX(const char* path, HGLOBAL dib, int options)
{
    if (!dib || !path)
        return 0;
    const size_t blockSize = GlobalSize(dib);
    kel::GlobalLocked<uint8_t> header(dib);
    if (!header || blockSize < 12 || (blockSize < 40 && (kel::getU32(header.get()) == 40 || kel::getU32(header.get()) == 36)))
        return 0;
    kel::File file = kel::File::open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file)
        return 0;
    if (!writeImage(file, header.get(), blockSize, options & 1)) {
        file.close();
        DeleteFileA(path);
        return 0;
    }
    return 1;
}
