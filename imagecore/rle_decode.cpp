// Expanding run-length encoded DIBs (8-bit RLE, compression 1; 4-bit RLE, compression 2).
//
// The encoded pixels are a sequence of byte pairs, decoded from the bottom row up:
//   (n > 0, v)                 n pixels of v (4-bit: alternately v's high and low nibble)
//   (0, 0)                     end of line: column 0 of the next row
//   (0, 1)                     end of bitmap
//   (0, 2, dx, dy)             move right dx and up dy rows (both unsigned)
//   (0, n >= 3, n values, pad) absolute run; the values take n bytes (8-bit) or (n + 1) / 2
//                              bytes (4-bit) and are padded to an even byte count
// Runs and moves that leave the image are cut at its edge; the stream ends at its last byte even
// without an end of bitmap. Nothing is ever written outside the new image.
#include "dib_layout.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>

using namespace keldll;

namespace {

struct Target {
    BYTE* bits;
    size_t rowBytes;
    int width, height, bitCount;

    void set(int x, int y, int v) const
    {
        BYTE* row = bits + rowBytes * size_t(y);
        if (bitCount == 8)
            row[x] = BYTE(v);
        else
            row[x >> 1] = BYTE((x & 1) ? (row[x >> 1] & 0xF0) | (v & 15) : (row[x >> 1] & 0x0F) | (v & 15) << 4);
    }
};

void decode(const BYTE* data, size_t size, const Target& t)
{
    const bool four = t.bitCount == 4;
    size_t i = 0;
    int64_t x = 0, y = 0;
    while (i + 2 <= size && y < t.height) {
        const int count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            const int64_t end = std::min<int64_t>(x + count, t.width);
            if (!four && x < end) {
                std::memset(t.bits + t.rowBytes * size_t(y) + size_t(x), value, size_t(end - x));
            } else {
                for (int64_t k = x; k < end; ++k)
                    t.set(int(k), int(y), ((k - x) & 1) ? value & 15 : value >> 4);
            }
            x += count;
            continue;
        }
        switch (value) {
        case 0: x = 0, ++y; break;
        case 1: return;
        case 2:
            if (i + 2 > size)
                return;
            x += data[i];
            y += data[i + 1];
            i += 2;
            break;
        default: {
            const size_t bytes = four ? size_t(value + 1) / 2 : size_t(value);
            const size_t available = std::min(bytes, size - i);
            for (int k = 0; k < value; ++k) {
                const size_t at = four ? size_t(k) / 2 : size_t(k);
                if (at >= available)
                    return; // the stream stops inside the run
                if (x + k < t.width)
                    t.set(int(x + k), int(y), four ? ((k & 1) ? data[i + at] & 15 : data[i + at] >> 4) : data[i + at]);
            }
            x += value;
            i += bytes + (bytes & 1);
            break;
        }
        }
    }
}

} // namespace

HGLOBAL RLEtoRGB(HGLOBAL dib, HGLOBAL info)
{
    BITMAPINFOHEADER bi;
    if (!DibInfo(dib, &bi))
        return nullptr;
    const bool rle8 = bi.biCompression == BI_RLE8 && bi.biBitCount == 8;
    const bool rle4 = bi.biCompression == BI_RLE4 && bi.biBitCount == 4;
    if ((!rle8 && !rle4) || bi.biWidth <= 0 || bi.biHeight <= 0)
        return nullptr;
    const uint64_t rowBytes = kel::dibRowBytes(uint64_t(bi.biWidth), bi.biBitCount);
    const uint64_t imageSize = rowBytes * uint64_t(bi.biHeight);
    const DWORD colours = std::min<DWORD>(bi.biClrUsed, 1u << bi.biBitCount);
    if (imageSize > kel::kMaxImageBytes)
        return nullptr;

    kel::GlobalLocked<BYTE> in(dib);
    if (!in)
        return nullptr;
    const SIZE_T inSize = GlobalSize(dib);
    const SIZE_T dataStart = SIZE_T(FindDIBBits(in.get()) - in.get());
    if (dataStart > inSize)
        return nullptr;
    // The header's image size when it is set and honest, else whatever the block holds.
    SIZE_T dataSize = inSize - dataStart;
    if (bi.biSizeImage != 0)
        dataSize = std::min<SIZE_T>(dataSize, bi.biSizeImage);

    // Header and colour table from the information record when it is a usable one (a 40- or
    // 36-byte header), else from the encoded DIB itself; size and depth always from the latter.
    if (!info)
        info = dib;
    kel::GlobalLocked<BYTE> record(info);
    const BYTE* source = in.get();
    if (record && GlobalSize(info) >= 40 && !isCoreHeader(record.get()) &&
        GlobalSize(info) >= SIZE_T(*reinterpret_cast<const DWORD*>(record.get())) + PaletteSize(record.get()))
        source = record.get();

    const SIZE_T headerBytes = 40 + 4 * SIZE_T(colours);
    kel::GlobalMem result = kel::GlobalMem::alloc(headerBytes + SIZE_T(imageSize));
    kel::GlobalLocked<BYTE> out(result.get());
    if (!out)
        return nullptr;
    BITMAPINFOHEADER head{};
    std::memcpy(&head, source, *reinterpret_cast<const DWORD*>(source) == 40 ? 40 : 36);
    if (*reinterpret_cast<const DWORD*>(source) != 40)
        head.biClrImportant = colours; // a 36-byte header ends before this field
    head.biSize = 40;
    head.biWidth = bi.biWidth;
    head.biHeight = bi.biHeight;
    head.biPlanes = 1;
    head.biBitCount = bi.biBitCount;
    head.biCompression = BI_RGB;
    head.biSizeImage = DWORD(imageSize);
    head.biClrUsed = colours;
    std::memcpy(out.get(), &head, 40);
    CopyDIBPaletteInfo(source, out.get());

    decode(in.get() + dataStart, dataSize, Target{out.get() + headerBytes, size_t(rowBytes), int(bi.biWidth),
                                                    int(bi.biHeight), bi.biBitCount});
    return result.release();
}
