// Reading the signature and the logical screen into an image information record.
#include "gif_info.h"
#include "gif_file.h"
#include "gif_format.h"
#include "kelgif.h"

#include "dib_layout.h"
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>

namespace gif {

uint64_t maxImageBytes(uint64_t fileBytes)
{
    return std::min<uint64_t>(kel::kMaxImageBytes, std::max<uint64_t>(4u << 20, fileBytes * 4096));
}

namespace {

// Offset of the first 6 readable bytes starting "GIF8", or -1.
int64_t findSignature(FileBytes& in, uint8_t* signature)
{
    in.seek(0);
    uint8_t window[6];
    in.read(window, 6);
    for (int64_t at = 0;; ++at) {
        if (in.atEnd() && in.tell() < at + 6)
            return -1;
        if (std::memcmp(window, "GIF8", 4) == 0) {
            std::memcpy(signature, window, 6);
            return at;
        }
        std::memmove(window, window + 1, 5);
        window[5] = in.next();
    }
}

void putEntry(uint8_t* table, int i, uint8_t r, uint8_t g, uint8_t b)
{
    table[4 * i] = b;
    table[4 * i + 1] = g;
    table[4 * i + 2] = r;
    table[4 * i + 3] = 1;
}

} // namespace

HGLOBAL readInfo(HANDLE file, int techText, char* format, HGLOBAL* techInfo, HBRUSH* background, int warnings,
                 Screen* screen)
{
    LARGE_INTEGER size{};
    if (!file || file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size))
        return nullptr;
    FileBytes in(file);
    Screen s;
    uint8_t signature[6];
    s.signatureAt = findSignature(in, signature);
    if (s.signatureAt < 0)
        return nullptr;
    std::memcpy(s.signature, signature, 6);
    s.gif89a = signature[4] == '9';

    uint8_t d[kScreenDescriptorSize];
    in.read(d, sizeof d);
    s.width = d[0] | d[1] << 8;
    s.height = d[2] | d[3] << 8;
    s.globalTable = d[4] & 0x80;
    s.background = d[5];
    uint8_t table[256 * 3] = {};
    int colours = 2;
    if (s.globalTable) {
        colours = 2 << (d[4] & 7);
        in.read(table, size_t(colours) * 3);
        s.globalColours = colours;
    } else {
        table[3] = table[4] = table[5] = 255; // black, white
    }
    s.afterGlobalTable = in.tell();
    if (s.signatureAt + 6 + kScreenDescriptorSize > size.QuadPart)
        return nullptr; // the screen descriptor is cut short

    if (background) {
        if (*background)
            DeleteObject(*background);
        *background = CreateSolidBrush(PALETTEINDEX(s.background));
    }

    // Past the extensions to the first image: its local table stands in for a missing global one.
    uint8_t introducer = in.next();
    while (introducer == kExtension) {
        in.next();
        in.skipSubBlocks();
        introducer = in.next();
    }
    if (introducer != kImage) {
        if (techText)
            TechInfoU(techInfo, "Image descriptor not found\r\n ");
        return nullptr;
    }
    uint8_t image[kImageDescriptorSize];
    in.read(image, sizeof image);
    if ((image[8] & 0x80) && !s.globalTable) {
        colours = 2 << (image[8] & 7);
        in.read(table, size_t(colours) * 3);
    }

    // A screen of no pixels, or more than the file could honestly describe, is no image.
    const uint64_t bits = uint64_t(dibBitsFor(colours));
    const uint64_t imageBytes = kel::dibRowBytes(uint64_t(s.width), bits) * uint64_t(s.height);
    if (s.width == 0 || s.height == 0 || imageBytes > maxImageBytes(uint64_t(size.QuadPart)))
        return nullptr;

    kel::GlobalMem record = kel::GlobalMem::alloc(40 + 4 * size_t(colours));
    kel::GlobalLocked<uint8_t> p(record.get());
    if (!p) {
        if (warnings)
            ErrMsg("Create bit map failed");
        return nullptr;
    }
    BITMAPINFOHEADER bi{};
    bi.biSize = 40;
    bi.biWidth = s.width;
    bi.biHeight = s.height;
    bi.biPlanes = 1;
    bi.biBitCount = WORD(bits);
    bi.biCompression = BI_RGB;
    bi.biSizeImage = DWORD(imageBytes);
    bi.biClrUsed = bi.biClrImportant = DWORD(colours);
    std::memcpy(p.get(), &bi, sizeof bi);
    for (int i = 0; i < colours; ++i)
        putEntry(p.get() + 40, i, table[3 * i], table[3 * i + 1], table[3 * i + 2]);
    if (techText)
        TechInfo(techInfo, "Number of colors = %d\r\n", colours);
    if (format)
        std::memcpy(format, s.signature, 7);
    in.seek(s.afterGlobalTable);
    if (screen)
        *screen = s;
    return record.release();
}

} // namespace gif

HGLOBAL ReadGIFBitmapInfo(HANDLE file, int techText, char* format, HGLOBAL* techInfo, HBRUSH* background,
                          int warnings)
{
    return gif::readInfo(file, techText, format, techInfo, background, warnings, nullptr);
}
