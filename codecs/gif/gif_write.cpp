// Writing 1-, 4- and 8-bit DIBs as GIF87a or GIF89a files (layout in gif_format.h).
#include "gif_format.h"
#include "gif_lzw.h"
#include "kelgif.h"

#include "bytes.h"
#include "codec_palette.h"
#include "dib_layout.h"
#include "file_io.h"
#include "buffered_io.h"
#include "keldll.h"
#include "win_raii.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kInterlaced = 1, kGif89a = 2;

// One row's pixel values (one byte each) from a DIB row, leftmost first.
void unpackRow(const uint8_t* row, int bits, int width, uint8_t* out)
{
    for (int x = 0; x < width; ++x) {
        if (bits == 8)
            out[x] = row[x];
        else if (bits == 4)
            out[x] = uint8_t((row[x >> 1] >> (x & 1 ? 0 : 4)) & 15);
        else
            out[x] = uint8_t((row[x >> 3] >> (7 - (x & 7))) & 1);
    }
}

enum class Result { Written, Failed, Cancelled };

Result writeImage(const kel::File& file, const uint8_t* header, size_t blockSize, int warnings, int options,
                  const char* comment, const int* transparent, const COLORREF* transparentColour)
{
    const int bits = DIBBitcount(header);
    const int64_t width = DIBWidth(header), height = DIBHeight(header);
    const bool core = kel::getU32(header) != 40 && kel::getU32(header) != 36;
    if ((bits != 1 && bits != 4 && bits != 8) || (!core && kel::getU32(header + 16) != BI_RGB))
        return Result::Failed;
    if (width < 1 || height < 1 || width > 65535 || height > 65535)
        return Result::Failed;
    const size_t rowBytes = size_t(kel::dibRowBytes(uint64_t(width), uint64_t(bits)));
    const uint8_t* pixels = FindDIBBits(header);
    if (size_t(pixels - header) + rowBytes * size_t(height) > blockSize)
        return Result::Failed;
    const bool gif89a = options & kGif89a;

    kel::BufferedWriter out(file);
    uint8_t screen[6 + gif::kScreenDescriptorSize] = {};
    std::memcpy(screen, gif89a ? "GIF89a" : "GIF87a", 6);
    kel::putU16(screen + 6, uint16_t(width));
    kel::putU16(screen + 8, uint16_t(height));
    screen[10] = uint8_t(0x80 | (bits - 1) << 4 | (bits - 1));
    out.put(screen, sizeof screen);

    const std::vector<kelcodec::Rgb> palette = kelcodec::dibColours(header);
    const size_t entries = size_t(1) << bits;
    std::vector<uint8_t> table(3 * entries, 0);
    for (size_t i = 0; i < entries && i < palette.size(); ++i) {
        table[3 * i] = palette[i].r;
        table[3 * i + 1] = palette[i].g;
        table[3 * i + 2] = palette[i].b;
    }
    out.put(table.data(), table.size());

    if (gif89a && transparent && *transparent) {
        uint8_t index = 0;
        const COLORREF c = transparentColour ? *transparentColour : 0;
        for (size_t i = 0; i < entries && i < palette.size(); ++i)
            if (palette[i] == kelcodec::Rgb{GetRValue(c), GetGValue(c), GetBValue(c)})
                index = uint8_t(i);
        const uint8_t control[] = {gif::kExtension, gif::kGraphicControl, 4, 1, 0, 0, index, 0};
        out.put(control, sizeof control);
    }

    uint8_t descriptor[1 + gif::kImageDescriptorSize] = {gif::kImage};
    kel::putU16(descriptor + 5, uint16_t(width));
    kel::putU16(descriptor + 7, uint16_t(height));
    descriptor[9] = options & kInterlaced ? 0x40 : 0;
    out.put(descriptor, sizeof descriptor);

    const int minCodeSize = bits == 1 ? 2 : bits;
    out.put(uint8_t(minCodeSize));
    gif::LzwEncoder lzw(minCodeSize, [&out](const uint8_t* p, size_t n) { out.put(p, n); });
    if (!lzw.ok()) {
        if (warnings)
            ErrMsg("Local Alloc Error");
        return Result::Failed;
    }
    std::vector<int64_t> rows;
    rows.reserve(size_t(height));
    if (options & kInterlaced) {
        static const int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int64_t r = kStart[pass]; r < height; r += kStep[pass])
                rows.push_back(r);
    } else {
        for (int64_t r = 0; r < height; ++r)
            rows.push_back(r);
    }
    std::vector<uint8_t> values(static_cast<size_t>(width));
    DWORD done = 0;
    for (int64_t r : rows) {
        unpackRow(pixels + rowBytes * size_t(height - 1 - r), bits, int(width), values.data());
        lzw.put(values.data(), values.size());
        if (!UpdateStatus(++done, DWORD(height)))
            return Result::Cancelled;
    }
    lzw.finish();

    if (gif89a && comment && *comment) {
        const uint8_t head[] = {gif::kExtension, gif::kComment};
        out.put(head, sizeof head);
        for (size_t left = std::strlen(comment); left > 0;) {
            const uint8_t n = uint8_t(std::min<size_t>(left, 255));
            out.put(n);
            out.put(reinterpret_cast<const uint8_t*>(comment), n);
            comment += n;
            left -= n;
        }
        out.put(uint8_t(0));
    }
    out.put(gif::kTrailer);
    return out.flush() ? Result::Written : Result::Failed;
}

} // namespace

int WriteGIF(const char* path, HGLOBAL dib, int warnings, int options, INT_PTR /*ignored1*/, const char* comment,
             INT_PTR /*ignored2*/, int* transparent, COLORREF* transparentColour)
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
    // A cancelled write is no file either: a picture cut short is not passed off as the image.
    if (writeImage(file, header.get(), blockSize, warnings, options, comment, transparent, transparentColour) !=
        Result::Written) {
        file.close();
        DeleteFileA(path);
        return 0;
    }
    return 1;
}
