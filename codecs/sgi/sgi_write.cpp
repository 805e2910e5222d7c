// Writing DIBs as SGI image files (layout in sgi_format.h).
#include "kelsgi.h"
#include "sgi_format.h"

#include "bytes.h"
#include "buffered_io.h"
#include "dib_layout.h"
#include "file_io.h"
#include "keldll.h"
#include "win_raii.h"

#include <cstring>
#include <vector>

namespace {

// The pixels of the DIB being written, checked against its block before anything is read.
class Source {
public:
    // False for a DIB this writer cannot take: not a 40-byte header, compressed, a depth other
    // than 1, 4, 8 and 24, a size the file's 16-bit fields cannot hold, or a block too small for
    // what its header claims.
    bool open(const uint8_t* dib, size_t blockSize)
    {
        if (blockSize < 40 || (kel::getU32(dib) != 40 && kel::getU32(dib) != 36))
            return false;
        const int64_t width = kel::getI32(dib + 4), height = kel::getI32(dib + 8);
        bits_ = kel::getU16(dib + 14);
        if ((bits_ != 1 && bits_ != 4 && bits_ != 8 && bits_ != 24) || kel::getU32(dib + 16) != BI_RGB ||
            width < 1 || height < 1 || width > 65535 || height > 65535)
            return false;
        width_ = int(width);
        height_ = int(height);
        rowBytes_ = size_t(kel::dibRowBytes(uint64_t(width), uint64_t(bits_)));
        table_ = dib + kel::getU32(dib);
        entries_ = bits_ <= 8 ? DIBNumColors(dib) : 0;
        pixels_ = FindDIBBits(dib);
        return size_t(pixels_ - dib) + rowBytes_ * size_t(height_) <= blockSize;
    }

    int width() const { return width_; }
    int height() const { return height_; }

    // Byte k (0 blue, 1 green, 2 red) of every pixel of row r (0 = bottom), into `out`.
    void channel(int r, int k, uint8_t* out) const
    {
        const uint8_t* row = pixels_ + size_t(r) * rowBytes_;
        for (int x = 0; x < width_; ++x)
            out[x] = colour(row, x)[k];
    }

    // Grey value of every pixel of row r: (blue x 11 + green x 59 + red x 30) / 100.
    void grey(int r, uint8_t* out) const
    {
        const uint8_t* row = pixels_ + size_t(r) * rowBytes_;
        for (int x = 0; x < width_; ++x) {
            const uint8_t* c = colour(row, x);
            out[x] = uint8_t((c[0] * 11 + c[1] * 59 + c[2] * 30) / 100);
        }
    }

private:
    // Blue, green, red of pixel x: the 24-bit pixel, or the colour-table entry an index names
    // (black for an index past the table).
    const uint8_t* colour(const uint8_t* row, int x) const
    {
        static const uint8_t kBlack[3] = {};
        if (bits_ == 24)
            return row + 3 * x;
        unsigned index;
        switch (bits_) {
        case 1: index = row[x / 8] >> (7 - x % 8) & 1; break;
        case 4: index = row[x / 2] >> (x % 2 ? 0 : 4) & 15; break;
        default: index = row[x]; break;
        }
        return index < entries_ ? table_ + 4 * index : kBlack;
    }

    const uint8_t* table_ = nullptr;
    const uint8_t* pixels_ = nullptr;
    DWORD entries_ = 0;
    int width_ = 0, height_ = 0, bits_ = 0;
    size_t rowBytes_ = 0;
};

// The values of output channel c of row r: grey, or red, green, blue for channels 0, 1, 2.
void extract(const Source& src, int channels, int c, int r, uint8_t* out)
{
    if (channels == 1)
        src.grey(r, out);
    else
        src.channel(r, channels - c - 1, out);
}

bool writeRunLength(const kel::File& file, const Source& src, int channels)
{
    const size_t entries = size_t(channels) * size_t(src.height());
    std::vector<uint8_t> offsets(entries * 4), lengths(entries * 4), line(size_t(src.width())), packets;
    packets.reserve(2 * line.size());
    kel::BufferedWriter out(file, sgi::kHeaderSize + int64_t(2 * entries * 4)); // after the two tables
    for (int r = 0; r < src.height(); ++r) {
        for (int c = 0; c < channels; ++c) {
            const size_t entry = size_t(c) * size_t(src.height()) + size_t(r);
            extract(src, channels, c, r, line.data());
            packets.clear();
            sgi::encodeScanline(line.data(), line.size(), packets);
            kel::putU32BE(&offsets[4 * entry], uint32_t(out.offset()));
            kel::putU32BE(&lengths[4 * entry], uint32_t(packets.size()));
            out.put(packets.data(), packets.size());
        }
        if (!UpdateStatus(DWORD(r + 1), DWORD(src.height())))
            return false;
    }
    return out.flush() && file.writeAt(sgi::kHeaderSize, offsets.data(), offsets.size()) &&
           file.writeAt(sgi::kHeaderSize + int64_t(offsets.size()), lengths.data(), lengths.size());
}

bool writeVerbatim(const kel::File& file, const Source& src, int channels)
{
    std::vector<uint8_t> line(size_t(src.width()));
    kel::BufferedWriter out(file, sgi::kHeaderSize);
    for (int c = 0; c < channels; ++c)
        for (int r = 0; r < src.height(); ++r) {
            extract(src, channels, c, r, line.data());
            out.put(line.data(), line.size());
            if (!UpdateStatus(DWORD(r + src.height() * c + 1), DWORD(src.height() * channels)))
                return false;
        }
    return out.flush();
}

} // namespace

int WriteRGB(const char* path, HGLOBAL dib, int options)
{
    if (!dib || !path)
        return 0;
    const size_t blockSize = GlobalSize(dib);
    kel::GlobalLocked<uint8_t> p(dib);
    Source src;
    if (!p || !src.open(p.get(), blockSize))
        return 0;
    kel::File file = kel::File::open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file)
        return 0;
    const bool runLength = options & 1;
    const int channels = options & 2 ? 1 : 3;
    uint8_t header[sgi::kHeaderSize];
    sgi::buildHeader(header, uint16_t(src.width()), uint16_t(src.height()), uint16_t(channels), runLength, path);
    // A cancel or a failed write leaves no partial file to be taken for the image.
    if (!file.writeAt(0, header, sizeof header) ||
        !(runLength ? writeRunLength(file, src, channels) : writeVerbatim(file, src, channels))) {
        file.close();
        DeleteFileA(path);
        return 0;
    }
    return 1;
}
