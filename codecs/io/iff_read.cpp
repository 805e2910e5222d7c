// Reading IFF pictures (ILBM and PBM): the chunks up to BODY into an information record, then
// the rows into a DIB (layout in iff_format.h).
#include "display_palette.h"
#include "iff_format.h"
#include "kelio.h"

#include "buffered_io.h"
#include "bytes.h"
#include "dib_layout.h"
#include "file_io.h"
#include "ids_imagecore.h"
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

// What the chunks before BODY say about the picture.
struct Picture {
    bool pbm = false;
    iff::Bmhd bmhd;
    bool hasCamg = false;
    uint32_t camg = 0;
    std::vector<Rgb> cmap; // at most 256 colours
    size_t cmapCount = 0;  // colours the CMAP holds (those past 256 are not kept)
    bool hasCmap = false;
    bool ham = false, halfBrite = false;
    int dibBits = 0, room = 0;
};

bool sameIdIgnoringCase(const uint8_t* a, const char* b)
{
    for (int i = 0; i < 4; ++i)
        if (toupper(a[i]) != toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Hold-and-modify is what the display mode says; files without one that have the classic
// base palettes (16 colours for 6 planes, 64 for 8) are taken as HAM too, which changes nothing
// for pixels that are plain indices. Extra half-brite likewise: 6 planes and 32 colours.
void classify(Picture& p)
{
    const int planes = p.bmhd.planes;
    if (!p.pbm && (planes == 6 || planes == 8)) {
        const size_t base = planes == 6 ? 16 : 64;
        p.ham = p.hasCamg ? (p.camg & iff::kCamgHam) != 0 : (p.hasCmap && p.cmapCount == base);
    }
    if (!p.pbm && planes == 6 && !p.ham)
        p.halfBrite = p.hasCamg ? (p.camg & iff::kCamgHalfBrite) != 0 : (p.hasCmap && p.cmapCount == 32);

    if (p.ham || planes == 24) {
        p.dibBits = p.pbm ? 0 : 24; // a chunky picture has at most one byte per pixel
        p.room = 0;
    } else if (planes == 1) {
        p.dibBits = 1;
        p.room = 2;
    } else if (planes >= 2 && planes <= 8) {
        p.dibBits = 8;
        p.room = planes == 6 || planes == 8 ? 256 : 1 << planes;
    } else {
        p.dibBits = 0;
    }
}

// Bytes of one file row: every plane row (and the mask row) of an ILBM, the even-length row of a PBM.
size_t fileRowBytes(const Picture& p)
{
    if (p.pbm)
        return size_t(p.bmhd.width) + (p.bmhd.width & 1);
    return iff::planeRowBytes(p.bmhd.width) * (size_t(p.bmhd.planes) + (p.bmhd.masking == 1 ? 1 : 0));
}

// The chunks from the start of the file to the BODY chunk, whose header the reader is left at.
// Null with nothing said when the file is no IFF picture or has no BMHD; "Invalid IFF format"
// when the chunks break off after it.
bool readChunks(kel::BufferedReader& in, Picture& p, HGLOBAL* techInfo)
{
    uint8_t form[12];
    if (in.read(form, sizeof form) != sizeof form || kel::getU32BE(form) != iff::id("FORM"))
        return false;
    const uint32_t type = kel::getU32BE(form + 8);
    if (type != iff::id("ILBM") && type != iff::id("PBM "))
        return false;
    p.pbm = type == iff::id("PBM ");
    bool haveBmhd = false;
    for (;;) {
        uint8_t head[8];
        if (in.read(head, sizeof head) != sizeof head) {
            if (haveBmhd)
                TechInfoU(techInfo, "Invalid IFF format");
            return false;
        }
        const uint32_t length = kel::getU32BE(head + 4);
        const uint64_t padded = uint64_t(length) + (length & 1);
        if (sameIdIgnoringCase(head, "BMHD") && !haveBmhd) {
            uint8_t b[20];
            if (length < sizeof b || in.read(b, sizeof b) != sizeof b)
                return false;
            p.bmhd = iff::parseBmhd(b);
            haveBmhd = true;
            in.skip(padded - sizeof b);
        } else if (!haveBmhd) {
            in.skip(padded);
        } else if (std::memcmp(head, "BODY", 4) == 0) {
            in.seek(in.position() - 8);
            return true;
        } else if (std::memcmp(head, "CMAP", 4) == 0 && !p.hasCmap) {
            p.hasCmap = true;
            p.cmapCount = length / 3;
            p.cmap.resize(std::min<size_t>(p.cmapCount, 256));
            for (Rgb& c : p.cmap) {
                uint8_t rgb[3];
                if (in.read(rgb, 3) != 3) {
                    TechInfoU(techInfo, "Invalid IFF format");
                    return false;
                }
                c = {rgb[0], rgb[1], rgb[2]};
            }
            in.skip(length - 3 * p.cmap.size());
            // The pad byte after an odd-length map; files whose writer left it out go straight
            // on with their BODY.
            if (length & 1) {
                uint8_t next[4];
                const int64_t here = in.position();
                const bool bodyFollows = in.read(next, 4) == 4 && std::memcmp(next, "BODY", 4) == 0;
                in.seek(bodyFollows ? here : here + 1);
            }
        } else if (std::memcmp(head, "CAMG", 4) == 0 && length >= 4 && !p.hasCamg) {
            uint8_t v[4];
            if (in.read(v, 4) != 4) {
                TechInfoU(techInfo, "Invalid IFF format");
                return false;
            }
            p.hasCamg = true;
            p.camg = kel::getU32BE(v);
            in.skip(padded - 4);
        } else {
            in.skip(padded);
        }
    }
}

void putEntry(uint8_t* table, size_t i, Rgb c)
{
    uint8_t* e = table + 4 * i;
    e[0] = c.b;
    e[1] = c.g;
    e[2] = c.r;
    e[3] = 1;
}

// The information record of a picture whose chunks were read, or null.
HGLOBAL makeRecord(const Picture& p, uint64_t fileBytes, HGLOBAL* techInfo)
{
    const iff::Bmhd& b = p.bmhd;
    if (!p.dibBits || b.width == 0 || b.height == 0)
        return nullptr;
    // Refused before anything is allocated: more image than the file could give. A ByteRun1
    // packet of two bytes gives 128, and planes become whole bytes, so a file expands at most
    // 256-fold; the allowance keeps tiny images with short files readable.
    const uint64_t image = kel::dibRowBytes(b.width, uint64_t(p.dibBits)) * b.height;
    if (image > kel::kMaxImageBytes || image > 256 * fileBytes + 64 * 1024)
        return nullptr;
    kel::GlobalMem record = kel::GlobalMem::alloc(40 + 4 * size_t(p.room));
    kel::GlobalLocked<uint8_t> q(record.get());
    if (!q) {
        TechInfoU(techInfo, "Unable to allocate space for bitmap\r\n");
        return nullptr;
    }
    BITMAPINFOHEADER bi{};
    bi.biSize = 40;
    bi.biWidth = b.width;
    bi.biHeight = b.height;
    bi.biPlanes = 1;
    bi.biBitCount = WORD(p.dibBits);
    bi.biCompression = BI_RGB;
    bi.biSizeImage = DWORD(image);
    bi.biClrUsed = DWORD(p.room);
    bi.biClrImportant = DWORD(p.hasCmap ? std::min<size_t>(p.cmapCount, size_t(p.room)) : size_t(p.room));
    uint8_t* table = q.get() + 40;
    if (p.room > 0) {
        for (size_t i = 0; i < p.cmap.size() && i < size_t(p.room); ++i)
            putEntry(table, i, p.cmap[i]);
        if (p.dibBits == 1 && !p.hasCmap) {
            putEntry(table, 0, {0, 0, 0});
            putEntry(table, 1, {255, 255, 255});
        }
        if (p.halfBrite) {
            // The upper 32 colours are the lower 32 at half brightness, unless the map gives them.
            for (size_t i = p.cmap.size(); i < 64; ++i) {
                const Rgb c = i - 32 < p.cmap.size() ? p.cmap[i - 32] : Rgb{};
                putEntry(table, i, {uint8_t(c.r >> 1), uint8_t(c.g >> 1), uint8_t(c.b >> 1)});
            }
            bi.biClrImportant = 64;
        }
    }
    std::memcpy(q.get(), &bi, sizeof bi);
    return record.release();
}

HGLOBAL readInfo(HANDLE file, char* format, HGLOBAL* techInfo, Picture* p)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size))
        return nullptr;
    kel::BufferedReader in(file, 4096);
    if (!readChunks(in, *p, techInfo))
        return nullptr;
    classify(*p);
    HGLOBAL record = makeRecord(*p, uint64_t(size.QuadPart), techInfo);
    if (!record)
        return nullptr;
    in.syncHandle();
    if (format)
        std::strcpy(format, "IFF");
    return record;
}

// The pixel values of one planar row: bit p of pixel x from plane p's row, `width` bytes.
void planarToBytes(const uint8_t* planes, size_t planeBytes, int count, size_t width, uint8_t* out)
{
    for (size_t j = 0; j * 8 < width; ++j) {
        uint64_t acc = 0;
        for (int p = 0; p < count; ++p)
            acc |= iff::spreadPlane(planes[size_t(p) * planeBytes + j]) << p;
        std::memcpy(out + 8 * j, &acc, std::min<size_t>(8, width - 8 * j)); // pixel 0 in the lowest byte
    }
}

// Hold-and-modify: a value whose top two bits are 0 takes a base colour; otherwise those bits
// name the channel (1 blue, 2 red, 3 green) whose upper bits the rest replaces, the lower bits
// of the colour held from the pixel before staying.
void hamRow(const uint8_t* values, size_t width, int planes, const std::vector<Rgb>& cmap, uint8_t* bgr)
{
    const int c = planes - 2, shift = 8 - c;
    const int valueMask = (1 << c) - 1, keep = (1 << shift) - 1;
    Rgb held;
    for (size_t x = 0; x < width; ++x) {
        const int v = values[x], value = v & valueMask;
        switch (v >> c) {
        case 0: held = size_t(value) < cmap.size() ? cmap[size_t(value)] : Rgb{}; break;
        case 1: held.b = uint8_t(value << shift | (held.b & keep)); break;
        case 2: held.r = uint8_t(value << shift | (held.r & keep)); break;
        default: held.g = uint8_t(value << shift | (held.g & keep)); break;
        }
        bgr[3 * x] = held.b;
        bgr[3 * x + 1] = held.g;
        bgr[3 * x + 2] = held.r;
    }
}

// Turns one file row into its DIB row.
class RowConverter {
public:
    explicit RowConverter(const Picture& p) : p_(p), width_(p.bmhd.width), values_(width_ + 8)
    {
        planeBytes_ = iff::planeRowBytes(width_);
    }

    void convert(const uint8_t* row, uint8_t* dst)
    {
        const int planes = p_.bmhd.planes;
        if (p_.pbm) {
            chunky(row, dst);
        } else if (planes == 1) {
            std::memcpy(dst, row, planeBytes_);
        } else if (planes == 24) {
            trueColour(row, dst);
        } else if (p_.ham) {
            planarToBytes(row, planeBytes_, planes, width_, values_.data());
            hamRow(values_.data(), width_, planes, p_.cmap, dst);
        } else {
            planarToBytes(row, planeBytes_, planes, width_, dst);
        }
    }

private:
    // Planes 0-7 are red, 8-15 green, 16-23 blue; eight pixels at a time.
    void trueColour(const uint8_t* row, uint8_t* dst)
    {
        for (size_t j = 0; j * 8 < width_; ++j) {
            uint64_t channel[3] = {};
            for (int c = 0; c < 3; ++c)
                for (int p = 0; p < 8; ++p)
                    channel[c] |= iff::spreadPlane(row[size_t(8 * c + p) * planeBytes_ + j]) << p;
            uint8_t* d = dst + 24 * j;
            for (size_t k = 0, n = std::min<size_t>(8, width_ - 8 * j); k < n; ++k, d += 3) {
                d[0] = uint8_t(channel[2] >> (8 * k));
                d[1] = uint8_t(channel[1] >> (8 * k));
                d[2] = uint8_t(channel[0] >> (8 * k));
            }
        }
    }

    // One byte per pixel; values the colour table does not hold become entry 0.
    void chunky(const uint8_t* row, uint8_t* dst)
    {
        const int room = p_.room;
        if (p_.dibBits == 1) {
            std::memset(dst, 0, (width_ + 7) / 8);
            for (size_t x = 0; x < width_; ++x)
                if (row[x] == 1)
                    dst[x / 8] |= uint8_t(0x80 >> (x % 8));
        } else if (room == 256) {
            std::memcpy(dst, row, width_);
        } else {
            for (size_t x = 0; x < width_; ++x)
                dst[x] = row[x] < room ? row[x] : 0;
        }
    }

    const Picture& p_;
    size_t width_, planeBytes_ = 0;
    std::vector<uint8_t> values_;
};

void appendTechInfo(HGLOBAL* techInfo, const Picture& p, DWORD colours)
{
    const iff::Bmhd& b = p.bmhd;
    TechInfo(techInfo, "Number of planes = %d\r\n", b.planes);
    TechInfo(techInfo, "Number of colors = %ld\r\n", long(colours));
    TechInfo(techInfo, "Image origin: %d, %d\r\n", b.x, b.y);
    TechInfo(techInfo, "%s\r\n", b.compression ? "Compressed" : "No compression");
    TechInfo(techInfo, "Masking byte = %d\r\n", b.masking);
    TechInfo(techInfo, "X aspect: %d, Y aspect: %d\r\n", b.xAspect, b.yAspect);
}

} // namespace

HGLOBAL ReadLBMBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo)
{
    Picture p;
    return readInfo(file, format, techInfo, &p);
}

HGLOBAL OpenLBM(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, HPALETTE* palette)
{
    kel::File file = kel::File::openRead(path);
    if (!file)
        return nullptr;
    Picture p;
    kel::GlobalMem dib(readInfo(file.get(), format, techInfo, &p));
    if (!dib)
        return nullptr;
    BITMAPINFOHEADER bi;
    DibInfo(dib.get(), &bi);
    FormatSpecs(dib.get(), "IFF");
    appendTechInfo(techInfo, p, bi.biClrImportant);

    const size_t tableBytes = 4 * size_t(p.room);
    const size_t rowBytes = size_t(kel::dibRowBytes(bi.biWidth, bi.biBitCount));
    if (!dib.realloc(40 + tableBytes + size_t(bi.biSizeImage) + kelio::displayPaletteRoom(bi.biBitCount))) {
        char text[256];
        LoadStringA(instance, IDS_NO_MEMORY, text, sizeof text);
        TechInfo(techInfo, "%s\r\n", text);
        return nullptr;
    }

    kel::BufferedReader in(file.get());
    for (;;) {
        uint8_t head[8];
        if (in.read(head, sizeof head) != sizeof head) {
            TechInfoU(techInfo, "Invalid LBM format");
            return nullptr;
        }
        if (std::memcmp(head, "BODY", 4) == 0)
            break;
        const uint32_t length = kel::getU32BE(head + 4);
        in.skip(uint64_t(length) + (length & 1));
    }

    const iff::Bmhd& b = p.bmhd;
    const size_t rowLength = fileRowBytes(p);
    // A picture row is decoded whole; each plane row (and a PBM row) is its own ByteRun1 stream.
    const size_t streamBytes = p.pbm ? rowLength : iff::planeRowBytes(b.width);
    std::vector<uint8_t> row(rowLength);
    RowConverter converter(p);
    // Pictures coded down their columns are decoded whole, plane after plane, before the rows.
    const bool vertical = b.compression == 2 && !p.pbm;
    const size_t planeRow = iff::planeRowBytes(b.width);
    std::vector<uint8_t> planes(vertical ? planeRow * b.height * b.planes : 0);
    if (vertical)
        iff::unpackVertical(in, planes.data(), b.planes, planeRow, b.height, uint64_t(file.size()));
    {
        kel::GlobalLocked<uint8_t> q(dib.get());
        if (!q)
            return nullptr;
        uint8_t* pixels = q.get() + 40 + tableBytes;
        for (int r = 0; r < b.height; ++r) {
            if (vertical) {
                for (int plane = 0; plane < b.planes; ++plane)
                    std::memcpy(row.data() + size_t(plane) * planeRow,
                                planes.data() + (size_t(plane) * b.height + size_t(r)) * planeRow, planeRow);
            } else if (b.compression) {
                for (size_t at = 0; at < rowLength; at += streamBytes)
                    iff::unpackRow(in, row.data() + at, streamBytes);
            } else if (in.read(row.data(), rowLength) != rowLength) {
                TechInfoU(techInfo, "Decompression failure\r\n");
                return nullptr;
            }
            converter.convert(row.data(), pixels + size_t(b.height - 1 - r) * rowBytes);
            if (!UpdateStatus(DWORD(r + 1), DWORD(b.height)))
                return nullptr;
        }
    }
    if (bi.biBitCount == 24) {
        HGLOBAL image = dib.release();
        const bool ok = kelio::addDisplayPalette(&image, palette);
        dib.reset(image);
        if (!ok)
            return nullptr;
    }
    return dib.release();
}
