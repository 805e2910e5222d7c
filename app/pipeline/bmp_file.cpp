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

struct Layout {
    uint32_t headerSize;
    size_t table, pixels;
    uint32_t pixelOffset;
    bool fillImageSize; // uncompressed 40-byte header: the image size field is made exact
};

// Where the parts of a BMP file lie, checked against the file's size. Needs only the bytes up to
// the end of the colour table (`available` of them at `data`).
bool parseLayout(const unsigned char* data, size_t available, uint64_t size, Layout* out, std::string* error)
{
    if (size < kFileHeader + 12 || available < kFileHeader + 12 || data[0] != 'B' || data[1] != 'M')
        return failWith(error, "not a BMP file");
    const unsigned char* dib = data + kFileHeader;
    const uint64_t dibSize = size - kFileHeader;
    const uint32_t headerSize = kel::getU32(dib);
    uint32_t width, bits, compression = BI_RGB, coloursUsed = 0, entrySize;
    int32_t height;
    if (headerSize == 12) {
        width = kel::getU16(dib + 4);
        height = kel::getU16(dib + 6);
        bits = kel::getU16(dib + 10);
        entrySize = 3;
    } else if (headerSize == 40) {
        if (dibSize < 40 || available < kFileHeader + 40)
            return failWith(error, "truncated BMP header");
        width = uint32_t(kel::getI32(dib + 4));
        height = kel::getI32(dib + 8);
        bits = kel::getU16(dib + 14);
        compression = kel::getU32(dib + 16);
        coloursUsed = kel::getU32(dib + 32);
        entrySize = 4;
    } else {
        return failWith(error, "unsupported BMP header size");
    }
    const bool rle = (compression == BI_RLE8 && bits == 8) || (compression == BI_RLE4 && bits == 4);
    if (int32_t(width) <= 0 || height <= 0 || (bits != 1 && bits != 4 && bits != 8 && bits != 24) ||
        (compression != BI_RGB && !rle))
        return failWith(error, "unsupported BMP layout");
    const uint64_t maxColours = bits <= 8 ? (1u << bits) : 256;
    if (coloursUsed > maxColours)
        return failWith(error, "BMP colour count out of range");

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
        return failWith(error, "truncated or inconsistent BMP file");

    if (kFileHeader + headerSize + table > available)
        return failWith(error, "truncated or inconsistent BMP file");
    *out = Layout{headerSize, size_t(table), size_t(pixels), pixelOffset, headerSize == 40 && !rle};
    return true;
}

} // namespace

HGLOBAL bmpFromBytes(const unsigned char* data, size_t size, std::string* error)
{
    Layout l;
    if (!parseLayout(data, size, size, &l, error))
        return nullptr;
    kel::GlobalMem block = kel::GlobalMem::alloc(SIZE_T(l.headerSize + l.table + l.pixels));
    kel::GlobalLocked<unsigned char> p(block.get());
    if (!p)
        return failWith(error, "out of memory"), nullptr;
    std::memcpy(p.get(), data + kFileHeader, l.headerSize + l.table);
    std::memcpy(p.get() + l.headerSize + l.table, data + l.pixelOffset, l.pixels);
    if (l.fillImageSize)
        kel::putU32(p.get() + 20, uint32_t(l.pixels));
    return block.release();
}

namespace {

// The 14-byte file header of a locked DIB and how many of its bytes the file holds.
bool fileHeader(HGLOBAL dib, const unsigned char* p, unsigned char head[kFileHeader], size_t* dibBytes,
                std::string* error)
{
    BITMAPINFOHEADER bi;
    if (!p || !DibInfo(dib, &bi))
        return failWith(error, "no image");
    const size_t headerAndTable = size_t(FindDIBBits(p) - p);
    const size_t pixels = bi.biSizeImage;
    if (headerAndTable + pixels > GlobalSize(dib))
        return failWith(error, "inconsistent image");
    std::memset(head, 0, kFileHeader);
    head[0] = 'B';
    head[1] = 'M';
    kel::putU32(head + 2, uint32_t(kFileHeader + headerAndTable + pixels));
    kel::putU32(head + 10, uint32_t(kFileHeader + headerAndTable));
    *dibBytes = headerAndTable + pixels;
    return true;
}

} // namespace

bool bmpToBytes(HGLOBAL dib, std::string* bytes, std::string* error)
{
    kel::GlobalLocked<unsigned char> p(dib);
    unsigned char head[kFileHeader];
    size_t dibBytes = 0;
    if (!fileHeader(dib, p.get(), head, &dibBytes, error))
        return false;
    bytes->assign(reinterpret_cast<const char*>(head), kFileHeader);
    bytes->append(reinterpret_cast<const char*>(p.get()), dibBytes);
    return true;
}

HGLOBAL readBmpFile(const char* path, std::string* error)
{
    // The headers and colour table first, then the pixels straight into the image's block: a
    // large image is not held twice.
    kel::File f = kel::File::openRead(path);
    const int64_t size = f ? f.size() : -1;
    if (size < 0)
        return failWith(error, "cannot read the file"), nullptr;
    unsigned char head[kFileHeader + 40 + 256 * 4];
    const size_t headBytes = size_t(std::min<int64_t>(size, int64_t(sizeof head)));
    if (f.readAt(0, head, headBytes) != int64_t(headBytes))
        return failWith(error, "cannot read the file"), nullptr;
    Layout l;
    if (!parseLayout(head, headBytes, uint64_t(size), &l, error))
        return nullptr;
    kel::GlobalMem block = kel::GlobalMem::alloc(SIZE_T(l.headerSize + l.table + l.pixels));
    kel::GlobalLocked<unsigned char> p(block.get());
    if (!p)
        return failWith(error, "out of memory"), nullptr;
    std::memcpy(p.get(), head + kFileHeader, l.headerSize + l.table);
    if (f.readAt(l.pixelOffset, p.get() + l.headerSize + l.table, l.pixels) != int64_t(l.pixels))
        return failWith(error, "cannot read the file"), nullptr;
    if (l.fillImageSize)
        kel::putU32(p.get() + 20, uint32_t(l.pixels));
    return block.release();
}

bool writeBmpFile(const char* path, HGLOBAL dib, std::string* error)
{
    // Straight from the image's block: a large image is not copied before it is written.
    kel::GlobalLocked<unsigned char> p(dib);
    unsigned char head[kFileHeader];
    size_t dibBytes = 0;
    if (!fileHeader(dib, p.get(), head, &dibBytes, error))
        return false;
    if (!kel::replaceFile(path, {kel::FilePiece{head, kFileHeader}, kel::FilePiece{p.get(), dibBytes}}))
        return failWith(error, "cannot write the file");
    return true;
}

} // namespace pipeline
