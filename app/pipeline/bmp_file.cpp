// BMP file reading and writing (layout in bmp_file.h).
#include "bmp_file.h"

#include "bytes.h"
#include "dib_layout.h"
#include "file_io.h"
#include "keldll.h"
#include "win_raii.h"

#include <cstring>
#include <vector>

namespace pipeline {

namespace {

constexpr size_t kFileHeader = 14;

bool failWith(std::string* error, const char* why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

HGLOBAL bmpFromBytes(const unsigned char* data, size_t size, std::string* error)
{
    if (size < kFileHeader + 12 || data[0] != 'B' || data[1] != 'M')
        return failWith(error, "not a BMP file"), nullptr;
    const unsigned char* dib = data + kFileHeader;
    const size_t dibSize = size - kFileHeader;
    const uint32_t headerSize = kel::getU32(dib);
    uint32_t width, bits, compression = BI_RGB, coloursUsed = 0, entrySize;
    int32_t height;
    if (headerSize == 12) {
        width = kel::getU16(dib + 4);
        height = kel::getU16(dib + 6);
        bits = kel::getU16(dib + 10);
        entrySize = 3;
    } else if (headerSize == 40) {
        if (dibSize < 40)
            return failWith(error, "truncated BMP header"), nullptr;
        width = uint32_t(kel::getI32(dib + 4));
        height = kel::getI32(dib + 8);
        bits = kel::getU16(dib + 14);
        compression = kel::getU32(dib + 16);
        coloursUsed = kel::getU32(dib + 32);
        entrySize = 4;
    } else {
        return failWith(error, "unsupported BMP header size"), nullptr;
    }
    const bool rle = (compression == BI_RLE8 && bits == 8) || (compression == BI_RLE4 && bits == 4);
    if (int32_t(width) <= 0 || height <= 0 || (bits != 1 && bits != 4 && bits != 8 && bits != 24) ||
        (compression != BI_RGB && !rle))
        return failWith(error, "unsupported BMP layout"), nullptr;
    const uint64_t maxColours = bits <= 8 ? (1u << bits) : 256;
    if (coloursUsed > maxColours)
        return failWith(error, "BMP colour count out of range"), nullptr;

    // Colour table as the DIB rules count it, pixel bytes as the header or the row size gives them.
    const uint64_t colours = coloursUsed ? coloursUsed : (bits <= 8 ? (1u << bits) : 0);
    const uint64_t table = colours * entrySize;
    const uint64_t rowBytes = kel::dibRowBytes(width, bits);
    uint64_t pixels = rowBytes * uint64_t(height);
    if (rle)
        pixels = kel::getU32(dib + 20);
    const uint32_t pixelOffset = kel::getU32(data + 10);
    if (pixels == 0 || pixels > kel::kMaxImageBytes || headerSize + table > dibSize ||
        pixelOffset < kFileHeader + headerSize + table || uint64_t(pixelOffset) + pixels > size)
        return failWith(error, "truncated or inconsistent BMP file"), nullptr;

    kel::GlobalMem block = kel::GlobalMem::alloc(SIZE_T(headerSize + table + pixels));
    kel::GlobalLocked<unsigned char> p(block.get());
    if (!p)
        return failWith(error, "out of memory"), nullptr;
    std::memcpy(p.get(), dib, size_t(headerSize + table));
    std::memcpy(p.get() + headerSize + table, data + pixelOffset, size_t(pixels));
    if (headerSize == 40 && !rle)
        kel::putU32(p.get() + 20, uint32_t(pixels));
    return block.release();
}

bool bmpToBytes(HGLOBAL dib, std::string* bytes, std::string* error)
{
    kel::GlobalLocked<unsigned char> p(dib);
    if (!p)
        return failWith(error, "no image");
    BITMAPINFOHEADER bi;
    if (!DibInfo(dib, &bi))
        return failWith(error, "no image");
    const size_t headerAndTable = size_t(FindDIBBits(p.get()) - p.get());
    const size_t pixels = bi.biSizeImage;
    if (headerAndTable + pixels > GlobalSize(dib))
        return failWith(error, "inconsistent image");
    bytes->assign(kFileHeader + headerAndTable + pixels, '\0');
    auto* out = reinterpret_cast<unsigned char*>(bytes->data());
    out[0] = 'B';
    out[1] = 'M';
    kel::putU32(out + 2, uint32_t(bytes->size()));
    kel::putU32(out + 10, uint32_t(kFileHeader + headerAndTable));
    std::memcpy(out + kFileHeader, p.get(), headerAndTable + pixels);
    return true;
}

HGLOBAL readBmpFile(const char* path, std::string* error)
{
    std::vector<uint8_t> bytes;
    if (!kel::readWholeFile(path, &bytes))
        return failWith(error, "cannot read the file"), nullptr;
    return bmpFromBytes(bytes.data(), bytes.size(), error);
}

bool writeBmpFile(const char* path, HGLOBAL dib, std::string* error)
{
    std::string bytes;
    if (!bmpToBytes(dib, &bytes, error))
        return false;
    if (!kel::replaceFile(path, bytes.data(), bytes.size()))
        return failWith(error, "cannot write the file");
    return true;
}

} // namespace pipeline
