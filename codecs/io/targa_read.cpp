// Reading Targa files: the information record (header, image ID, colour map), then the pixels
// into a DIB (layout in targa_format.h).
#include "display_palette.h"
#include "kelio.h"
#include "targa_format.h"

#include "buffered_io.h"
#include "bytes.h"
#include "dib_layout.h"
#include "file_io.h"
#include "ids_imagecore.h"
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// One colour-table entry as this codec writes it: blue, green, red and the reserved byte 1.
void put(uint8_t* table, int index, uint8_t red, uint8_t green, uint8_t blue)
{
    uint8_t* e = table + 4 * index;
    e[0] = blue;
    e[1] = green;
    e[2] = red;
    e[3] = 1;
}

// 5-bit channel values to 8 bits, white staying white.
const std::array<uint8_t, 32> kFive = [] {
    std::array<uint8_t, 32> t{};
    for (int v = 0; v < 32; ++v)
        t[size_t(v)] = uint8_t((v * 255 + 15) / 31);
    return t;
}();

// Blue, green, red of a 5-5-5 word (bit 15 unused).
void fromWord(uint16_t v, uint8_t* bgr)
{
    bgr[0] = kFive[v & 31];
    bgr[1] = kFive[(v >> 5) & 31];
    bgr[2] = kFive[(v >> 10) & 31];
}

void fillColourMap(const targa::Header& h, const targa::Layout& l, const uint8_t* map, uint8_t* table)
{
    const int entry = targa::mapEntryBytes(h.mapEntryBits);
    const int at = l.bits <= 8 ? h.mapFirst : 0;
    for (int i = 0; i < h.mapLength && at + i < l.colours; ++i) {
        const uint8_t* e = map + size_t(i) * size_t(entry);
        uint8_t bgr[3];
        if (entry == 2)
            fromWord(kel::getU16(e), bgr);
        else
            std::memcpy(bgr, e, 3);
        put(table, at + i, bgr[2], bgr[1], bgr[0]);
    }
}

// The header, image ID and colour map at the handle's position into a new information record;
// the handle is left at the first pixel byte. `header` receives the parsed header.
HGLOBAL readInfo(HANDLE file, char* format, HGLOBAL* imageId, targa::Header* header)
{
    LARGE_INTEGER zero{}, start{}, size{};
    if (!SetFilePointerEx(file, zero, &start, FILE_CURRENT) || !GetFileSizeEx(file, &size))
        return nullptr;
    kel::BufferedReader in(file, 4096);
    uint8_t hb[targa::kHeaderSize];
    if (in.read(hb, sizeof hb) != sizeof hb)
        return nullptr;
    const targa::Header h = targa::parseHeader(hb);
    const int64_t dataBytes = size.QuadPart - start.QuadPart - targa::kHeaderSize;
    const targa::Layout l = targa::layoutOf(h, uint64_t(std::max<int64_t>(dataBytes, 0)));
    if (!l.bits)
        return nullptr;

    if (h.idLength) {
        if (imageId && !*imageId)
            *imageId = GlobalAlloc(GHND, size_t(h.idLength) + 1);
        size_t taken = 0;
        if (imageId && *imageId) {
            // A block of the caller's that is too small takes what fits, still zero-terminated.
            const size_t room = GlobalSize(*imageId);
            kel::GlobalLocked<uint8_t> id(*imageId);
            if (id && room > 0) {
                taken = std::min<size_t>(h.idLength, room - 1);
                if (in.read(id.get(), taken) != taken)
                    return nullptr;
                id.get()[taken] = 0;
            }
        }
        if (!in.skip(h.idLength - taken))
            return nullptr;
    }

    std::vector<uint8_t> map;
    if (h.mapType == 1 && h.mapLength > 0) {
        map.resize(size_t(h.mapLength) * size_t(targa::mapEntryBytes(h.mapEntryBits)));
        if (in.read(map.data(), map.size()) != map.size())
            return nullptr;
    }

    kel::GlobalMem record = kel::GlobalMem::alloc(40 + 4 * size_t(l.colours));
    kel::GlobalLocked<uint8_t> p(record.get());
    if (!p) {
        ErrMsg("Create bit map failed");
        return nullptr;
    }
    BITMAPINFOHEADER bi{};
    bi.biSize = 40;
    bi.biWidth = h.width;
    bi.biHeight = h.height;
    bi.biPlanes = 1;
    bi.biBitCount = WORD(l.bits);
    bi.biCompression = BI_RGB;
    bi.biSizeImage = DWORD(l.imageBytes);
    bi.biClrUsed = DWORD(l.colours);
    bi.biClrImportant = h.mapType ? DWORD(std::min<int>(h.mapLength, l.colours)) : 0;
    std::memcpy(p.get(), &bi, sizeof bi);
    uint8_t* table = p.get() + 40;
    if (!map.empty())
        fillColourMap(h, l, map.data(), table);
    if (h.type == 3) {
        for (int i = 0; i < l.colours; ++i) {
            const uint8_t v = uint8_t(i * 255 / (l.colours - 1));
            put(table, i, v, v, v);
        }
    } else if (l.bits == 1 && map.empty()) {
        // Two colours the file does not give: black and white.
        put(table, 0, 0, 0, 0);
        put(table, 1, 255, 255, 255);
    }
    if (format)
        std::snprintf(format, 16, "TGA-%d", h.type);
    in.syncHandle();
    *header = h;
    return record.release();
}

// Run state of types 9 and 10; packets carry on from one row into the next.
struct RunState {
    size_t remaining = 0;
    bool run = false;
    uint8_t value[4] = {};
};

// Decodes `n` units of `unit` bytes into `out`; the units the file no longer holds are zero.
void decodeRuns(kel::BufferedReader& in, RunState& s, uint8_t* out, size_t n, int unit)
{
    const size_t u = size_t(unit);
    size_t done = 0;
    while (done < n) {
        if (s.remaining == 0) {
            const int h = in.byte();
            if (h < 0)
                break;
            s.remaining = size_t(h & 0x7F) + 1;
            s.run = (h & 0x80) != 0;
            if (s.run && in.read(s.value, u) != u) {
                s.remaining = 0;
                break;
            }
        }
        const size_t k = std::min(s.remaining, n - done);
        uint8_t* o = out + done * u;
        if (s.run) {
            if (u == 1) {
                std::memset(o, s.value[0], k);
            } else {
                for (size_t i = 0; i < k; ++i, o += u)
                    std::memcpy(o, s.value, u);
            }
        } else {
            const size_t got = in.read(o, k * u);
            if (got < k * u) {
                done += got / u;
                s.remaining = 0;
                break;
            }
        }
        done += k;
        s.remaining -= k;
    }
    std::memset(out + done * u, 0, (n - done) * u);
}

// Maps pixel indices the colour table does not hold to entry 0, byte by byte (1-, 4- and 8-bit
// rows); null when every index is in the table.
std::vector<uint8_t> indexRemap(int bits, int colours)
{
    if (bits > 8 || colours >= (1 << bits))
        return {};
    std::vector<uint8_t> lut(256);
    for (int b = 0; b < 256; ++b) {
        switch (bits) {
        case 8: lut[size_t(b)] = uint8_t(b < colours ? b : 0); break;
        case 4: {
            const int hi = b >> 4, lo = b & 15;
            lut[size_t(b)] = uint8_t(((hi < colours ? hi : 0) << 4) | (lo < colours ? lo : 0));
            break;
        }
        default: lut[size_t(b)] = 0; break; // one colour: every pixel is entry 0
        }
    }
    return lut;
}

void appendTechInfo(HGLOBAL* techInfo, const targa::Header& h, HGLOBAL imageId)
{
    TechInfo(techInfo, "TARGA type %s\r\n", targa::typeText(h.type));
    TechInfo(techInfo, "Color map %s present\r\n", h.mapType == 1 ? "" : "not ");
    if (h.mapType)
        TechInfo(techInfo, "Color map contains %d colors\r\n", h.mapLength);
    TechInfo(techInfo, "Color map entry size = %d\r\n", h.mapEntryBits);
    TechInfo(techInfo, "Bits per pixel = %d\r\n", h.bits);
    TechInfo(techInfo, "Image origin: %d, %d\r\n", h.xOrigin, h.yOrigin);
    if (imageId) {
        kel::GlobalLocked<char> id(imageId);
        if (id)
            TechInfo(techInfo, "Image ID: %s\r\n", id.get());
    }
}

} // namespace

HGLOBAL ReadTGABitmapInfo(HANDLE file, char* format, HGLOBAL* imageId)
{
    targa::Header h;
    return readInfo(file, format, imageId, &h);
}

HGLOBAL OpenTGA(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, HGLOBAL* imageId,
                HPALETTE* palette)
{
    kel::File file = kel::File::openRead(path);
    if (!file)
        return nullptr;
    char ownFormat[16];
    if (!format)
        format = ownFormat;
    targa::Header h;
    kel::GlobalMem dib(readInfo(file.get(), format, imageId, &h));
    if (!dib)
        return nullptr;
    BITMAPINFOHEADER bi;
    DibInfo(dib.get(), &bi);
    FormatSpecs(dib.get(), format);
    appendTechInfo(techInfo, h, imageId ? *imageId : nullptr);
    if (h.interleaved()) {
        TechInfoU(techInfo, "Interleave option not supported \r\n");
        return nullptr;
    }
    TechInfoU(techInfo, h.topDown() ? "Origin upper left\r\n" : "Origin lower left\r\n");

    const size_t tableBytes = 4 * size_t(bi.biClrUsed);
    const size_t rowBytes = size_t(kel::dibRowBytes(uint64_t(bi.biWidth), bi.biBitCount));
    const bool displayPalette = bi.biBitCount == 24 && (h.type == 2 || h.type == 10);
    if (!dib.realloc(40 + tableBytes + size_t(bi.biSizeImage) + (displayPalette ? kelio::displayPaletteRoom(24) : 0))) {
        char text[256];
        LoadStringA(instance, IDS_NO_MEMORY, text, sizeof text);
        TechInfo(techInfo, "%s\r\n", text);
        return nullptr;
    }

    const int bits = bi.biBitCount;
    const int unit = targa::unitBytes(h.bits);
    const size_t units = bits < 8 ? (size_t(h.bits) * h.width + 7) / 8 : h.width;
    const std::vector<uint8_t> remap = indexRemap(bits, int(bi.biClrUsed));
    // Units that are already DIB bytes are decoded in place; the others go through `row`.
    const bool inPlace = unit == 1 || unit == 3;
    std::vector<uint8_t> row(inPlace ? 0 : units * size_t(unit));
    kel::BufferedReader in(file.get());
    RunState runs;
    {
        kel::GlobalLocked<uint8_t> p(dib.get());
        if (!p)
            return nullptr;
        uint8_t* pixels = p.get() + 40 + tableBytes;
        for (int i = 0; i < h.height; ++i) {
            uint8_t* dst = pixels + size_t(h.topDown() ? h.height - 1 - i : i) * rowBytes;
            uint8_t* src = inPlace ? dst : row.data();
            if (h.compressed()) {
                decodeRuns(in, runs, src, units, unit);
            } else {
                const size_t want = units * size_t(unit);
                const size_t got = in.read(src, want);
                std::memset(src + got, 0, want - got);
            }
            if (!remap.empty()) {
                for (size_t x = 0; x < units; ++x)
                    dst[x] = remap[dst[x]];
            } else if (unit == 2) {
                for (size_t x = 0; x < units; ++x)
                    fromWord(kel::getU16(src + 2 * x), dst + 3 * x);
            } else if (unit == 4) {
                for (size_t x = 0; x < units; ++x)
                    std::memcpy(dst + 3 * x, src + 4 * x, 3);
            }
            if (!UpdateStatus(DWORD(i), DWORD(h.height)))
                return nullptr;
        }
    }
    if (displayPalette) {
        HGLOBAL image = dib.release();
        const bool ok = kelio::addDisplayPalette(&image, palette);
        dib.reset(image);
        if (!ok)
            return nullptr;
    }
    return dib.release();
}
