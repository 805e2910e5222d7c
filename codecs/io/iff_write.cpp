// Writing DIBs as ILBM files (layout in iff_format.h): one plane per bit of the DIB's pixels,
// ByteRun1-packed when asked.
#include "dib_source.h"
#include "iff_format.h"
#include "kelio.h"

#include "buffered_io.h"
#include "bytes.h"
#include "dib_layout.h"
#include "file_io.h"
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Splits one DIB row into its plane rows (plane p of pixel x is bit p of its value; for 24 bits
// planes 0-7 hold red, 8-15 green, 16-23 blue).
class PlaneSplitter {
public:
    PlaneSplitter(int bits, size_t width)
        : bits_(bits), width_(width), planeBytes_(iff::planeRowBytes(width)), values_(planeBytes_ * 8, 0)
    {
    }
    size_t planeBytes() const { return planeBytes_; }

    // Fills `planes` (bits_ x planeBytes bytes) from a DIB row.
    void split(const uint8_t* row, uint8_t* planes)
    {
        if (bits_ == 1) {
            std::memcpy(planes, row, planeBytes_);
            return;
        }
        if (bits_ == 24) {
            for (int channel = 0; channel < 3; ++channel) {
                for (size_t x = 0; x < width_; ++x)
                    values_[x] = row[3 * x + size_t(2 - channel)];
                gather(8, planes + size_t(8 * channel) * planeBytes_);
            }
            return;
        }
        if (bits_ == 4) {
            for (size_t x = 0; x < width_; ++x)
                values_[x] = uint8_t(x & 1 ? row[x / 2] & 15 : row[x / 2] >> 4);
        } else {
            std::memcpy(values_.data(), row, width_);
        }
        gather(bits_, planes);
    }

private:
    // Eight pixel values at a time become one byte of each plane; the values past the width are 0.
    void gather(int count, uint8_t* planes)
    {
        for (size_t j = 0; j < planeBytes_; ++j) {
            uint64_t eight = 0;
            std::memcpy(&eight, values_.data() + 8 * j, 8);
            for (int p = 0; p < count; ++p)
                planes[size_t(p) * planeBytes_ + j] = iff::gatherPlane(eight, p);
        }
    }

    int bits_;
    size_t width_, planeBytes_;
    std::vector<uint8_t> values_;
};

bool writeImage(const kel::File& file, const uint8_t* header, size_t blockSize, int options)
{
    const int bits = DIBBitcount(header);
    const int64_t width = DIBWidth(header), height = DIBHeight(header);
    if (!kelio::plainDib(header, blockSize) || (bits != 1 && bits != 4 && bits != 8 && bits != 24) ||
        width > 0xFFFF || height > 0xFFFF)
        return false;
    const size_t dibRow = size_t(kel::dibRowBytes(uint64_t(width), uint64_t(bits)));
    const uint8_t* pixels = FindDIBBits(header);
    const bool compress = (options & 0xFF) != 0;

    uint8_t head[40];
    std::memcpy(head, "FORM\0\0\0\0ILBMBMHD", 16);
    kel::putU32BE(head + 16, 20);
    iff::Bmhd b;
    b.width = uint16_t(width);
    b.height = uint16_t(height);
    b.planes = uint8_t(bits);
    b.compression = compress ? 1 : 0;
    iff::writeBmhd(b, head + 20);
    kel::BufferedWriter out(file);
    out.put(head, sizeof head);

    if (bits <= 8) {
        const std::vector<kelio::Rgb> palette = kelio::dibPalette(header);
        uint8_t chunk[8];
        std::memcpy(chunk, "CMAP", 4);
        kel::putU32BE(chunk + 4, uint32_t(3 * palette.size()));
        out.put(chunk, sizeof chunk);
        for (const kelio::Rgb& c : palette) {
            const uint8_t rgb[3] = {c.r, c.g, c.b};
            out.put(rgb, 3);
        }
        if (palette.size() & 1)
            out.put(uint8_t(0));
    }

    const int64_t bodyAt = out.offset();
    out.put("BODY\0\0\0\0", 8);
    PlaneSplitter splitter(bits, size_t(width));
    const size_t planeBytes = splitter.planeBytes();
    std::vector<uint8_t> planes(planeBytes * size_t(bits)), packed(planeBytes + planeBytes / 127 + 2);
    uint64_t bodyLength = 0;
    for (int64_t r = 0; r < height; ++r) {
        splitter.split(pixels + size_t(height - 1 - r) * dibRow, planes.data());
        for (int p = 0; p < bits; ++p) {
            const uint8_t* plane = planes.data() + size_t(p) * planeBytes;
            if (compress) {
                const size_t n = iff::packRow(plane, planeBytes, packed.data());
                out.put(packed.data(), n);
                bodyLength += n;
            } else {
                out.put(plane, planeBytes);
                bodyLength += planeBytes;
            }
        }
        if (!UpdateStatus(DWORD(r), DWORD(height)))
            return false;
    }
    if (bodyLength & 1)
        out.put(uint8_t(0));
    if (bodyLength > 0xFFFFFFF0u || out.offset() - 8 > int64_t(0xFFFFFFFFu))
        return false;
    uint8_t length[4];
    kel::putU32BE(length, uint32_t(bodyLength));
    if (!out.patch(bodyAt + 4, length, 4))
        return false;
    kel::putU32BE(length, uint32_t(out.offset() - 8));
    return out.patch(4, length, 4);
}

} // namespace

int WriteLBM(const char* path, HGLOBAL dib, int options)
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
    if (!writeImage(file, header.get(), blockSize, options)) {
        file.close();
        DeleteFileA(path);
        return 0;
    }
    return 1;
}
