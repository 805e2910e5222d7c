// Reading ICS images: the header file into the information record, the data file into the DIB.
#include "ics_header.h"
#include "kelics.h"

#include "codec_record.h"
#include "dib_layout.h"
#include "file_io.h"
#include "keldll.h"
#include "sequential_file.h"
#include "win_raii.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Geometry {
    int sampleBits = 0; // bits per sample in the data file: 1, 4, 8, 16, 32 or 64
    int dibBits = 0;    // 1, 4 or 8
    long width = 0, height = 0;
};

// The image a header describes: its width and height from the second and third sizes (the
// second is the width when the second dimension is x), and the sample depth. False for what
// this codec cannot show: fewer than two dimensions, no size, sample depths other than 1, 4, 8,
// 16, 32 and 64 bits, and compressed data.
bool geometry(const ics::Header& h, Geometry* g)
{
    if (h.sizes.size() < 3 || h.compressed())
        return false;
    const bool xSecond = h.order.size() > 1 && !h.order[1].empty() && (h.order[1][0] == 'x' || h.order[1][0] == 'X');
    g->width = xSecond ? h.sizes[1] : h.sizes[2];
    g->height = xSecond ? h.sizes[2] : h.sizes[1];
    g->sampleBits = int(h.sizes[0]);
    if (g->width <= 0 || g->height <= 0)
        return false;
    switch (g->sampleBits) {
    case 1:
    case 4:
    case 8: g->dibBits = g->sampleBits; break;
    case 16:
    case 32:
    case 64: g->dibBits = 8; break;
    default: return false;
    }
    return kel::dibRowBytes(uint64_t(g->width), uint64_t(g->dibBits)) * uint64_t(g->height) <= kel::kMaxImageBytes;
}

// Bytes of one row in the data file.
uint64_t dataRowBytes(const Geometry& g)
{
    return g.sampleBits <= 8 ? (uint64_t(g.width) * g.sampleBits + 7) / 8 : uint64_t(g.width) * (g.sampleBits / 8);
}

// The data file beside the header: the header's name with the extension ".ids".
std::string dataFileOf(const char* headerFile)
{
    std::string path = headerFile;
    const size_t dot = path.find_last_of('.');
    const size_t sep = path.find_last_of("\\/:");
    if (dot != std::string::npos && (sep == std::string::npos || dot > sep))
        path.resize(dot);
    return path + ".ids";
}

uint64_t sampleAt(const uint8_t* p, int bytes, bool littleEndian)
{
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | p[littleEndian ? bytes - 1 - i : i];
    return v;
}

uint8_t clampReal(double v)
{
    if (!(v > 0)) // negative and not-a-number values are black
        return 0;
    return v > 255.0 ? 255 : uint8_t(v);
}

// One row of 16-, 32- or 64-bit samples as 8-bit pixels. Integer samples give their high byte,
// with the top bit inverted for signed data (so that the most negative value is black); real
// samples are limited to 0..255 and their integer part taken.
void convertRow(const ics::Header& h, const Geometry& g, const uint8_t* in, uint8_t* out)
{
    const int bytes = g.sampleBits / 8;
    const bool little = h.littleEndian();
    const bool integer = g.sampleBits == 16 || h.format == "integer";
    const uint8_t flip = h.isUnsigned() ? 0 : 0x80;
    for (long x = 0; x < g.width; ++x, in += bytes) {
        const uint64_t v = sampleAt(in, bytes, little);
        if (integer) {
            out[x] = uint8_t(v >> (8 * bytes - 8)) ^ flip;
        } else if (bytes == 4) {
            float f;
            const uint32_t u = uint32_t(v);
            std::memcpy(&f, &u, 4);
            out[x] = clampReal(f);
        } else {
            double d;
            std::memcpy(&d, &v, 8);
            out[x] = clampReal(d);
        }
    }
}

} // namespace

HGLOBAL ReadICSBitmapInfo(const char* headerFile, char* format, HGLOBAL* techInfo, LPARAM, LPARAM)
{
    ics::Header h;
    Geometry g;
    if (!headerFile || ics::readHeader(headerFile, &h) != 0 || !geometry(h, &g))
        return nullptr;
    const int colours = 1 << g.dibBits;
    kel::GlobalMem record(kelcodec::newRecord(int32_t(g.width), int32_t(g.height), g.dibBits, DWORD(colours)));
    kel::GlobalLocked<uint8_t> p(record.get());
    if (!p) {
        TechInfoU(techInfo, "Unable to allocate space for bitmap\r\n");
        return nullptr;
    }
    kelcodec::greyRamp(p.get() + 40, colours);
    if (format)
        std::strcpy(format, "ICS");
    return record.release();
}

HGLOBAL OpenICS(const char* headerFile, HINSTANCE instance, char* format, HGLOBAL* techInfo, HPALETTE* palette,
                LPARAM, LPARAM)
{
    kel::GlobalMem dib(ReadICSBitmapInfo(headerFile, format, techInfo, 0, 0));
    ics::Header h;
    Geometry g;
    if (!dib || ics::readHeader(headerFile, &h) != 0 || !geometry(h, &g))
        return nullptr;
    FormatSpecs(dib.get(), format ? format : "ICS");
    for (const std::string& line : h.freeText)
        TechInfo(techInfo, "%s\r\n", line.c_str());

    kel::File data = kel::File::openRead(dataFileOf(headerFile).c_str());
    const uint64_t rowBytes = dataRowBytes(g);
    // A data file too short for the image gives none: find that out before allocating it.
    if (!data || uint64_t(data.size()) < rowBytes * uint64_t(g.height))
        return nullptr;
    if (!kelcodec::growToDib(dib)) {
        kelcodec::appendNoMemory(instance, techInfo);
        return nullptr;
    }
    {
        kel::GlobalLocked<uint8_t> p(dib.get());
        if (!p)
            return nullptr;
        const kelcodec::DibLayout layout = kelcodec::layoutOf(p.get());
        kelcodec::SequentialFile in(data.get(), 0);
        std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
        // Samples of up to 8 bits are the DIB's rows as they stand, top first only with video
        // coordinates; wider samples are converted, and always come top first.
        const bool topFirst = g.sampleBits > 8 || h.video();
        for (long y = 0; y < g.height; ++y) {
            uint8_t* out = topFirst ? layout.rowFromTop(int(y)) : layout.pixels + size_t(y) * layout.rowBytes;
            if (in.read(row.data(), row.size()) != row.size())
                return nullptr;
            if (g.sampleBits <= 8)
                std::memcpy(out, row.data(), row.size());
            else
                convertRow(h, g, row.data(), out);
            if (!UpdateStatus(DWORD(y + 1), DWORD(g.height)))
                return nullptr;
        }
    }
    HPALETTE made = CreateDIBPalette(dib.get());
    if (palette)
        *palette = made;
    else if (made)
        DeleteObject(made);
    return dib.release();
}
