// ReadXPMBitmapInfo: the XPM file, read by the XPM library, made into a DIB.
#include "kelxpm.h"
#include "xpm_colours.h"
#include "xpmlib.h"

#include "codec_record.h"
#include "dib_layout.h"
#include "win_raii.h"

#include <cstring>
#include <vector>

namespace {

// The colour of each XPM colour, in the file's order: the "c" value by the hexadecimal or the
// name rule; black without one; a hexadecimal value of another length repeats the colour
// before it.
std::vector<xpm::Rgb> colours(const XpmImage& image)
{
    std::vector<xpm::Rgb> out;
    xpm::Rgb previous{0, 0, 0};
    for (unsigned i = 0; i < image.ncolors; ++i) {
        const char* c = image.colorTable[i].c_color;
        xpm::Rgb rgb{0, 0, 0};
        if (c && c[0] == '#') {
            if (!xpm::hexColour(c + 1, &rgb))
                rgb = previous;
        } else if (c) {
            rgb = xpm::namedColour(c);
        }
        out.push_back(rgb);
        previous = rgb;
    }
    return out;
}

} // namespace

HGLOBAL ReadXPMBitmapInfo(const char* path, char* format, HGLOBAL* /*techInfo*/, int /*warnings*/)
{
    XpmImage image;
    XpmInfo info;
    if (XpmReadFileToXpmImage(path, &image, &info) != XpmSuccess)
        return nullptr;
    struct Release {
        XpmImage* image;
        XpmInfo* info;
        ~Release()
        {
            XpmFreeXpmImage(image);
            XpmFreeXpmInfo(info);
        }
    } release{&image, &info};

    // Up to 256 colours: an 8-bit image of colour indices. More colours do not fit a colour
    // table: the image is made 24-bit of the pixels' colours.
    const bool indexed = image.ncolors <= 256;
    const int bits = indexed ? 8 : 24;
    const DWORD tableEntries = indexed ? image.ncolors : 0;
    const uint64_t imageBytes = kel::dibRowBytes(image.width, uint64_t(bits)) * image.height;
    if (imageBytes > kel::kMaxImageBytes)
        return nullptr;
    kel::GlobalMem record(kelcodec::newRecord(int32_t(image.width), int32_t(image.height), bits, tableEntries));
    if (!record || !record.realloc(40 + 4 * tableEntries + SIZE_T(imageBytes)))
        return nullptr;
    kel::GlobalLocked<uint8_t> p(record.get());
    if (!p)
        return nullptr;
    const std::vector<xpm::Rgb> table = colours(image);
    for (DWORD i = 0; i < tableEntries; ++i)
        kelcodec::putEntry(p.get() + 40, int(i), table[i].r, table[i].g, table[i].b);
    const kelcodec::DibLayout dib = kelcodec::layoutOf(p.get());
    const unsigned* index = image.data;
    for (unsigned y = 0; y < image.height; ++y) {
        uint8_t* row = dib.rowFromTop(int(y));
        for (unsigned x = 0; x < image.width; ++x, ++index) {
            if (indexed) {
                row[x] = uint8_t(*index);
            } else {
                const xpm::Rgb& c = table[*index];
                row[3 * x] = c.b;
                row[3 * x + 1] = c.g;
                row[3 * x + 2] = c.r;
            }
        }
    }
    if (format)
        std::strcpy(format, "XPM");
    return record.release();
}
