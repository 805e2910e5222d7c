// Reading PNG files: the information record from IHDR and PLTE, then the whole image into a DIB.
#include "kelpng.h"
#include "png_format.h"
#include "png_pixels.h"

#include "bytes.h"
#include "codec_palette.h"
#include "dib_layout.h"
#include "file_io.h"
#include "ids_imagecore.h"
#include "keldll.h"
#include "win_raii.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {

// Deflate never expands data more than 1032-fold: filtered rows beyond that could not come from
// the file, and such a header is refused before anything is allocated for it.
bool honestSize(const png::Ihdr& h, int dibBits, int64_t fileBytes)
{
    const uint64_t filtered = png::filteredBytes(h);
    const uint64_t image = kel::dibRowBytes(h.width, uint64_t(dibBits)) * uint64_t(h.height);
    return filtered > 0 && filtered <= 1032 * uint64_t(std::max<int64_t>(fileBytes, 0)) + 65536 &&
           image <= kel::kMaxImageBytes;
}

void putEntry(uint8_t* table, int i, uint8_t r, uint8_t g, uint8_t b)
{
    table[4 * i] = b;
    table[4 * i + 1] = g;
    table[4 * i + 2] = r;
    table[4 * i + 3] = 1;
}

// A text as a new zero-terminated movable block in *var, replacing the block it held.
void setText(HGLOBAL* var, const std::string& text)
{
    if (!var)
        return;
    HGLOBAL block = GlobalAlloc(GHND, text.size() + 1);
    if (!block)
        return;
    if (kel::GlobalLocked<char> p(block); p)
        std::memcpy(p.get(), text.c_str(), text.size() + 1);
    if (*var)
        GlobalFree(*var);
    *var = block;
}

// Inflates raw deflate data into `out`; false when the stream is damaged or ends early (what was
// produced stays in `out`, the rest is zeros).
bool inflateRaw(const uint8_t* in, size_t n, uint8_t* out, size_t outBytes)
{
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) {
        std::memset(out, 0, outBytes);
        return false;
    }
    z.next_in = const_cast<Bytef*>(in);
    z.avail_in = uInt(n);
    z.next_out = out;
    z.avail_out = uInt(outBytes);
    int status = Z_OK;
    while (status == Z_OK && z.avail_out > 0)
        status = inflate(&z, Z_NO_FLUSH);
    inflateEnd(&z);
    std::memset(z.next_out, 0, z.avail_out);
    return z.avail_out == 0;
}

// Undoes the filters of every pass and writes the pixels into the DIB's rows.
void placeImage(const png::Ihdr& h, uint8_t* raw, uint8_t* pixels, size_t rowBytes, int dibBits, int paletteCount)
{
    static const uint32_t kX0[] = {0, 4, 0, 2, 0, 1, 0}, kY0[] = {0, 0, 4, 0, 2, 0, 1};
    static const uint32_t kDx[] = {8, 8, 4, 4, 2, 2, 1}, kDy[] = {8, 8, 8, 4, 4, 2, 2};
    const png::RowPlacer placer(h, dibBits, paletteCount);
    const size_t bits = size_t(png::pixelBits(h));
    const size_t bpp = std::max<size_t>(1, bits / 8);
    const int passes = h.interlace ? 7 : 1;
    bool reported = false;
    for (int p = 0; p < passes; ++p) {
        const uint32_t x0 = h.interlace ? kX0[p] : 0, y0 = h.interlace ? kY0[p] : 0;
        const uint32_t dx = h.interlace ? kDx[p] : 1, dy = h.interlace ? kDy[p] : 1;
        if (h.width <= x0 || h.height <= y0)
            continue;
        const uint32_t w = (h.width - x0 + dx - 1) / dx, rows = (h.height - y0 + dy - 1) / dy;
        const size_t n = (size_t(w) * bits + 7) / 8;
        const uint8_t* previous = nullptr;
        for (uint32_t r = 0; r < rows; ++r) {
            uint8_t* row = raw + 1;
            if (!png::unfilterRow(raw[0], row, previous, n, bpp) && !reported) {
                // Once per image: a damaged file does not bring up a box for every row.
                ErrMsg("Invalid Filter");
                reported = true;
            }
            const uint32_t y = y0 + r * dy;
            placer.place(row, pixels + rowBytes * size_t(h.height - 1 - y), x0, dx, w);
            previous = row;
            raw += n + 1;
            if (!h.interlace)
                UpdateStatus(DWORD(50 + uint64_t(50) * (r + 1) / h.height), 100);
        }
        if (h.interlace)
            UpdateStatus(DWORD(p + 1), 7);
    }
}

} // namespace

HGLOBAL ReadPNGBitmapInfo(HANDLE file, INT_PTR /*ignored*/, char* format, HGLOBAL* techInfo, INT_PTR, INT_PTR)
{
    if (!file || file == INVALID_HANDLE_VALUE)
        return nullptr;
    png::ChunkReader in(file);
    png::Chunk chunk;
    if (!in.findSignature() || !in.next(&chunk) || !chunk.is("IHDR") || chunk.data.size() != png::kIhdrSize)
        return nullptr;
    const png::Ihdr h = png::parseIhdr(chunk.data.data());
    const png::DibForm form = png::dibForm(h);
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    if (!form.bits || !honestSize(h, form.bits, size.QuadPart))
        return nullptr;

    const int room = form.colours ? form.colours : 256;
    kel::GlobalMem record = kel::GlobalMem::alloc(40 + 4 * size_t(room));
    {
        kel::GlobalLocked<uint8_t> p(record.get());
        if (!p)
            return nullptr;
        BITMAPINFOHEADER bi{};
        bi.biSize = 40;
        bi.biWidth = LONG(h.width);
        bi.biHeight = LONG(h.height);
        bi.biPlanes = 1;
        bi.biBitCount = WORD(form.bits);
        bi.biCompression = BI_RGB;
        bi.biSizeImage = DWORD(kel::dibRowBytes(h.width, uint64_t(form.bits)) * h.height);
        bi.biClrUsed = bi.biClrImportant = DWORD(form.colours);
        std::memcpy(p.get(), &bi, sizeof bi);
        if (h.colourType == 0 || h.colourType == 4)
            for (int i = 0; i < form.colours; ++i) {
                const uint8_t v = uint8_t(i * 255 / (form.colours - 1));
                putEntry(p.get() + 40, i, v, v, v);
            }
    }
    if (format)
        std::strcpy(format, "PNG");
    for (;;) {
        const int64_t at = in.position();
        if (!in.next(&chunk))
            return nullptr;
        const bool colour = h.colourType == 2 || h.colourType == 3 || h.colourType == 6;
        if (chunk.is("PLTE") && colour) {
            const int count = std::min<int>(int(chunk.data.size() / 3), room);
            kel::GlobalLocked<uint8_t> p(record.get());
            if (!p)
                return nullptr;
            for (int i = 0; i < count; ++i)
                putEntry(p.get() + 40, i, chunk.data[3 * i], chunk.data[3 * i + 1], chunk.data[3 * i + 2]);
            auto* bi = reinterpret_cast<BITMAPINFOHEADER*>(p.get());
            bi->biClrUsed = bi->biClrImportant = DWORD(count);
            return record.release();
        }
        if (chunk.is("IDAT") || chunk.is("IEND")) {
            if (h.colourType == 3) {
                TechInfoU(techInfo, "Missing Palette\r\n");
                in.seek(at);
                return nullptr;
            }
            return record.release();
        }
    }
}

HGLOBAL OpenPNG(INT_PTR /*ignored*/, const char* path, HINSTANCE instance, INT_PTR /*ignored2*/, HGLOBAL* /*info*/,
                HGLOBAL* techInfo, INT_PTR, INT_PTR, INT_PTR, INT_PTR, INT_PTR, INT_PTR, HGLOBAL* title,
                HGLOBAL* description, INT_PTR, INT_PTR, INT_PTR)
{
    kel::File file = kel::File::openRead(path);
    if (!file)
        return nullptr;
    // The record is made again from the file rather than trusted from the caller's variable, which
    // stays as it is: the pixels below are laid out by exactly this header.
    kel::GlobalMem dib(ReadPNGBitmapInfo(file.get(), 0, nullptr, nullptr, 0, 0));
    if (!dib)
        return nullptr;
    FormatSpecs(dib.get(), "PNG");
    size_t tableBytes, imageBytes, rowBytes;
    int bits, paletteCount;
    {
        kel::GlobalLocked<BITMAPINFOHEADER> bi(dib.get());
        if (!bi)
            return nullptr;
        tableBytes = PaletteSize(bi.get());
        imageBytes = bi->biSizeImage;
        bits = bi->biBitCount;
        paletteCount = int(bi->biClrUsed);
        rowBytes = size_t(kel::dibRowBytes(uint64_t(bi->biWidth), uint64_t(bits)));
    }
    if (!dib.realloc(40 + tableBytes + imageBytes)) {
        char text[256] = "";
        LoadStringA(instance, IDS_NO_MEMORY, text, sizeof text);
        TechInfo(techInfo, "%s\r\n", text);
        return nullptr;
    }

    png::ChunkReader in(file.get());
    png::Chunk chunk;
    if (!in.findSignature())
        return nullptr;
    png::Ihdr h;
    for (;;) {
        if (!in.next(&chunk) || chunk.is("IEND"))
            return nullptr;
        if (chunk.is("IDAT"))
            break;
        if (chunk.is("IHDR") && chunk.data.size() == png::kIhdrSize) {
            h = png::parseIhdr(chunk.data.data());
            TechInfo(techInfo,
                     "ColorType = %d, BitDepth = %d, Compression Type = %d,\r\n Filter Type = %d, Interlace Type =%d\r\n",
                     h.colourType, h.depth, h.compression, h.filter, h.interlace);
        } else if (chunk.is("tEXt")) {
            const size_t k = kel::fieldLength(chunk.data.data(), chunk.data.size());
            const std::string keyword(reinterpret_cast<const char*>(chunk.data.data()), k);
            std::string text;
            if (k < chunk.data.size()) {
                const uint8_t* t = chunk.data.data() + k + 1;
                text.assign(reinterpret_cast<const char*>(t), kel::fieldLength(t, chunk.data.size() - k - 1));
            }
            TechInfoU(techInfo, ("Text data - " + keyword + ": " + text + "\r\n").c_str());
            if (keyword == "Title")
                setText(title, text);
            else if (keyword == "Description")
                setText(description, text);
        } else if (chunk.is("tIME") && chunk.data.size() >= 7) {
            const uint8_t* d = chunk.data.data();
            TechInfo(techInfo, "Last-Modification time: %d/%d/%d %d:%d:%d\r\n", d[2], d[3], kel::getU16BE(d), d[4],
                     d[5], d[6]);
        } else if (chunk.is("PLTE")) {
            TechInfo(techInfo, "Palette contains %d colors\r\n", int(chunk.data.size() / 3));
        }
    }

    if (h.width == 0)
        return nullptr;
    // The first IDAT without the zlib header, then every IDAT that follows directly.
    std::vector<uint8_t> compressed(chunk.data.begin() + std::min<size_t>(2, chunk.data.size()), chunk.data.end());
    UpdateStatus(1, 100);
    while (in.next(&chunk, &compressed) && chunk.is("IDAT")) {
    }
    UpdateStatus(25, 100);

    const size_t rawBytes = size_t(png::filteredBytes(h));
    std::unique_ptr<uint8_t[]> raw(new (std::nothrow) uint8_t[rawBytes]);
    if (!raw)
        return nullptr;
    if (!inflateRaw(compressed.data(), compressed.size(), raw.get(), rawBytes))
        ErrMsg("Error decompressing file");
    compressed = {};
    {
        kel::GlobalLocked<uint8_t> p(dib.get());
        if (!p)
            return nullptr;
        placeImage(h, raw.get(), p.get() + 40 + tableBytes, rowBytes, bits, paletteCount);
    }
    raw.reset();

    if (bits == 24) {
        // An optimal palette lets a palette display show the picture.
        PALETTEENTRY entries[256];
        WORD count = 256;
        if (quantize(&count, entries, dib.get()) && count > 0) {
            std::vector<kelcodec::Rgb> colours;
            for (WORD i = 0; i < count; ++i)
                colours.push_back({entries[i].peRed, entries[i].peGreen, entries[i].peBlue});
            HGLOBAL handle = dib.release();
            kelcodec::setColourTable(&handle, colours);
            dib.reset(handle);
        }
    }
    return dib.release();
}
