#include "codec_record.h"

#include "dib_layout.h"
#include "ids_imagecore.h"
#include "keldll.h"

#include <cstring>

namespace kelcodec {

bool plausibleImage(uint64_t imageBytes, uint64_t inputBytes)
{
    constexpr uint64_t kAllowance = 64 * 1024;
    return imageBytes > 0 && imageBytes <= kel::kMaxImageBytes && imageBytes <= 64 * inputBytes + kAllowance;
}

HGLOBAL newRecord(int32_t width, int32_t height, int bits, DWORD colours)
{
    kel::GlobalMem record = kel::GlobalMem::alloc(kRecordSize);
    kel::GlobalLocked<uint8_t> p(record.get());
    if (!p)
        return nullptr;
    BITMAPINFOHEADER bi{};
    bi.biSize = 40;
    bi.biWidth = width;
    bi.biHeight = height;
    bi.biPlanes = 1;
    bi.biBitCount = WORD(bits);
    bi.biCompression = BI_RGB;
    bi.biSizeImage = DWORD(kel::dibRowBytes(uint64_t(width), uint64_t(bits)) * uint64_t(height));
    bi.biClrUsed = bi.biClrImportant = colours;
    std::memcpy(p.get(), &bi, sizeof bi);
    return record.release();
}

void putEntry(uint8_t* table, int index, int red, int green, int blue)
{
    uint8_t* e = table + 4 * index;
    e[0] = uint8_t(blue);
    e[1] = uint8_t(green);
    e[2] = uint8_t(red);
    e[3] = 1;
}

void greyRamp(uint8_t* table, int count)
{
    for (int i = 0; i < count; ++i) {
        const int v = count > 1 ? i * 255 / (count - 1) : 0;
        putEntry(table, i, v, v, v);
    }
}

bool growToDib(kel::GlobalMem& record)
{
    SIZE_T size;
    {
        kel::GlobalLocked<BITMAPINFOHEADER> bi(record.get());
        if (!bi)
            return false;
        size = 40 + PaletteSize(bi.get()) + SIZE_T(bi->biSizeImage);
    }
    return record.realloc(size);
}

DibLayout layoutOf(uint8_t* dib)
{
    DibLayout l;
    BITMAPINFOHEADER bi;
    std::memcpy(&bi, dib, sizeof bi);
    l.pixels = dib + 40 + PaletteSize(dib);
    l.width = bi.biWidth;
    l.height = bi.biHeight;
    l.bits = bi.biBitCount;
    l.rowBytes = size_t(kel::dibRowBytes(uint64_t(bi.biWidth), bi.biBitCount));
    return l;
}

void appendNoMemory(HINSTANCE instance, HGLOBAL* techInfo)
{
    char text[256] = "";
    LoadStringA(instance, IDS_NO_MEMORY, text, sizeof text);
    TechInfo(techInfo, "%s\r\n", text);
}

} // namespace kelcodec
