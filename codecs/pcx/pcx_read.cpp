// Reading PCX files: the information record, then the whole image into a DIB.
#include "kelpcx.h"
#include "pcx_format.h"

#include "dib_layout.h"
#include "file_io.h"
#include "ids_imagecore.h"
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr SIZE_T kRecordSize = 40 + 256 * 4;

// Sequential reads through a buffer; bytes past the end of the file read as 0. Run state lives
// per scan line: a run never carries into the next line.
class ScanReader {
public:
    ScanReader(HANDLE file, int64_t offset) : file_(file), buffer_(64 * 1024)
    {
        LARGE_INTEGER li;
        li.QuadPart = offset;
        SetFilePointerEx(file_, li, nullptr, FILE_BEGIN);
    }

    void newLine() { pending_ = 0; }

    void raw(uint8_t* out, size_t n)
    {
        for (size_t i = 0; i < n;) {
            if (pos_ == fill_ && !refill()) {
                std::memset(out + i, 0, n - i);
                return;
            }
            const size_t k = std::min(n - i, fill_ - pos_);
            std::memcpy(out + i, buffer_.data() + pos_, k);
            pos_ += k;
            i += k;
        }
    }

    void decode(uint8_t* out, size_t n)
    {
        size_t i = 0;
        while (i < n) {
            if (pending_) {
                const size_t k = std::min<size_t>(pending_, n - i);
                std::memset(out + i, value_, k);
                i += k;
                pending_ -= uint32_t(k);
                continue;
            }
            uint8_t b = next();
            while (b == 0xC0) { // a run of length 0: its value byte is skipped
                next();
                b = next();
            }
            if (b < 0xC0) {
                out[i++] = b;
                continue;
            }
            value_ = next();
            pending_ = (b & 0x3Fu) - 1;
            out[i++] = value_;
        }
    }

private:
    uint8_t next()
    {
        if (pos_ == fill_ && !refill())
            return 0;
        return buffer_[pos_++];
    }

    bool refill()
    {
        if (eof_)
            return false;
        DWORD got = 0;
        if (!ReadFile(file_, buffer_.data(), DWORD(buffer_.size()), &got, nullptr) || got == 0) {
            eof_ = true;
            return false;
        }
        pos_ = 0;
        fill_ = got;
        return true;
    }

    HANDLE file_;
    std::vector<uint8_t> buffer_;
    size_t pos_ = 0, fill_ = 0;
    bool eof_ = false;
    uint32_t pending_ = 0;
    uint8_t value_ = 0;
};

// Puts one decoded scan line (all planes) into its DIB row as the depth lays it out.
void placeLine(const pcx::Header& h, int dibBits, const uint8_t* line, uint8_t* row, size_t rowBytes)
{
    const size_t bpl = h.bytesPerLine;
    const size_t width = size_t(h.width);
    if (h.planes == 1 && h.bitsPerPixel == 2) {
        // Four 2-bit pixels become two bytes of two 4-bit pixels.
        const size_t n = std::min(bpl, rowBytes / 2);
        for (size_t k = 0; k < n; ++k) {
            const uint8_t v = line[k];
            row[2 * k] = uint8_t(((v >> 6) << 4) | ((v >> 4) & 3));
            row[2 * k + 1] = uint8_t((((v >> 2) & 3) << 4) | (v & 3));
        }
    } else if (h.planes == 1) {
        std::memcpy(row, line, std::min(bpl, rowBytes));
    } else if (dibBits == 24) {
        // Planes red, green, blue into blue-green-red pixels.
        const uint8_t* r = line;
        const uint8_t* g = line + bpl;
        const uint8_t* b = line + 2 * bpl;
        for (size_t x = 0; x < width; ++x) {
            row[3 * x] = b[x];
            row[3 * x + 1] = g[x];
            row[3 * x + 2] = r[x];
        }
    } else {
        // Bit planes: plane p gives bit p of each 4-bit pixel.
        std::memset(row, 0, rowBytes);
        for (size_t x = 0; x < width; ++x) {
            const int shift = 7 - int(x & 7);
            int pixel = 0;
            for (int p = 0; p < h.planes; ++p)
                pixel |= ((line[p * bpl + (x >> 3)] >> shift) & 1) << p;
            row[x >> 1] |= uint8_t(x & 1 ? pixel : pixel << 4);
        }
    }
}

void appendTechInfo(HGLOBAL* techInfo, const pcx::Header& h)
{
    const char* version;
    switch (h.version) {
    case 0: version = "Version 2.5 of PC Paintbrush\r\n"; break;
    case 2: version = "Version 2.8 w/palette info\r\n"; break;
    case 3: version = "Version 2.8 w/o palette info\r\n"; break;
    case 4: version = "PC Paintbrush for Windows\r\n"; break;
    case 5: version = "Version 3.0 and > of PC Paintbrush\r\n"; break;
    default: version = "Unrecognized version\r\n"; break;
    }
    TechInfoU(techInfo, version);
    TechInfoU(techInfo, h.encoding ? "Encoded\r\n" : "Unencoded\r\n");
    TechInfo(techInfo, "Bits per pixel:%d\r\n", h.bitsPerPixel);
    TechInfo(techInfo, "Number of planes:%d\r\n", h.planes);
    TechInfo(techInfo, "Horizontal resolution: %d DPI\r\n", h.hres);
    TechInfo(techInfo, "Vertical resolution: %d DPI\r\n", h.vres);
}

} // namespace

HGLOBAL ReadPCXBitmapInfo(HANDLE file, char* format, HGLOBAL* /*techInfo*/, int warnings)
{
    LARGE_INTEGER zero{}, start{}, size{};
    if (!SetFilePointerEx(file, zero, &start, FILE_CURRENT) || !GetFileSizeEx(file, &size))
        return nullptr;
    uint8_t header[pcx::kHeaderSize];
    DWORD got = 0;
    if (!ReadFile(file, header, sizeof header, &got, nullptr) || got != sizeof header)
        return nullptr;
    const pcx::Header h = pcx::parseHeader(header);
    const int64_t dataBytes = size.QuadPart - start.QuadPart - pcx::kHeaderSize;
    const uint64_t image = pcx::imageBytes(h, uint64_t(std::max<int64_t>(dataBytes, 0)));
    if (!image)
        return nullptr;
    const pcx::Depth depth = pcx::dibDepth(h.bitsPerPixel, h.planes);

    // The palette trailer is looked for at the end of the file, wherever the header was.
    uint8_t trailer[pcx::kTrailerSize];
    bool hasTrailer = false;
    if (size.QuadPart >= pcx::kTrailerSize) {
        LARGE_INTEGER at;
        at.QuadPart = size.QuadPart - pcx::kTrailerSize;
        hasTrailer = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
                     ReadFile(file, trailer, sizeof trailer, &got, nullptr) && got == sizeof trailer;
        at.QuadPart = start.QuadPart + pcx::kHeaderSize;
        SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    }

    kel::GlobalMem record = kel::GlobalMem::alloc(kRecordSize);
    kel::GlobalLocked<uint8_t> p(record.get());
    if (!p) {
        if (warnings)
            ErrMsg("Create bit map failed");
        return nullptr;
    }
    BITMAPINFOHEADER bi{};
    bi.biSize = 40;
    bi.biWidth = h.width;
    bi.biHeight = h.height;
    bi.biPlanes = 1;
    bi.biBitCount = WORD(depth.bits);
    bi.biCompression = BI_RGB;
    bi.biSizeImage = DWORD(image);
    bi.biClrUsed = bi.biClrImportant = DWORD(depth.colours);
    std::memcpy(p.get(), &bi, sizeof bi);
    pcx::choosePalette(h, header, hasTrailer ? trailer : nullptr, depth.colours, p.get() + 40);
    if (format)
        std::strcpy(format, "PCX");
    return record.release();
}

HGLOBAL OpenPCX(const char* path, HINSTANCE instance, char* format, HGLOBAL* /*info*/, HGLOBAL* techInfo,
                HPALETTE* /*palette*/, int warnings)
{
    kel::File file = kel::File::openRead(path);
    if (!file)
        return nullptr;
    kel::GlobalMem dib(ReadPCXBitmapInfo(file.get(), format, techInfo, warnings));
    if (!dib)
        return nullptr;
    FormatSpecs(dib.get(), format ? format : "PCX");

    uint8_t header[pcx::kHeaderSize];
    if (file.readAt(0, header, sizeof header) != int64_t(sizeof header))
        return nullptr;
    const pcx::Header h = pcx::parseHeader(header);
    appendTechInfo(techInfo, h);

    size_t tableBytes, imageBytes, rowBytes;
    int bits, height;
    {
        kel::GlobalLocked<BITMAPINFOHEADER> bi(dib.get());
        if (!bi)
            return nullptr;
        tableBytes = PaletteSize(bi.get());
        imageBytes = bi->biSizeImage;
        bits = bi->biBitCount;
        height = bi->biHeight;
        rowBytes = size_t(kel::dibRowBytes(uint64_t(bi->biWidth), uint64_t(bits)));
    }
    if (!dib.realloc(40 + tableBytes + imageBytes)) {
        char text[256];
        LoadStringA(instance, IDS_NO_MEMORY, text, sizeof text);
        TechInfo(techInfo, "%s\r\n", text);
        return nullptr;
    }

    const size_t lineBytes = size_t(h.bytesPerLine) * h.planes;
    std::vector<uint8_t> line(lineBytes);
    ScanReader in(file.get(), pcx::kHeaderSize);
    kel::GlobalLocked<uint8_t> p(dib.get());
    if (!p)
        return nullptr;
    uint8_t* pixels = p.get() + 40 + tableBytes;
    for (int i = 0; i < height; ++i) {
        in.newLine();
        if (h.encoding == 1)
            in.decode(line.data(), lineBytes);
        else
            in.raw(line.data(), lineBytes);
        placeLine(h, bits, line.data(), pixels + size_t(height - 1 - i) * rowBytes, rowBytes);
        if (!UpdateStatus(DWORD(i), DWORD(height)))
            return nullptr;
    }
    return dib.release();
}
