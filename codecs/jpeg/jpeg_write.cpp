// The writing entries: JPEG files and JPEG-coded catalog thumbnails in the caller's buffer.
#include "jpeg_io.h"
#include "keljpg.h"

#include "bytes.h"
#include "dib_layout.h"
#include "file_io.h"
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>

using namespace keljpg;

namespace {

// A DIB as the coder sees it.
struct Image {
    const uint8_t* pixels = nullptr;
    int width = 0, height = 0, bits = 0;
    size_t rowBytes = 0;
    RGBQUAD table[256] = {};
    bool grey = false; // a colour table of grey levels only: coded as one channel
};

bool describe(const uint8_t* p, size_t blockSize, Image* img)
{
    if (blockSize < 40 || kel::getU32(p) != 40)
        return false;
    BITMAPINFOHEADER bi;
    std::memcpy(&bi, p, sizeof bi);
    const int bits = bi.biBitCount;
    if ((bits != 1 && bits != 4 && bits != 8 && bits != 24) || bi.biCompression != BI_RGB || bi.biWidth <= 0 ||
        bi.biHeight <= 0 || bi.biWidth > JPEG_MAX_DIMENSION || bi.biHeight > JPEG_MAX_DIMENSION)
        return false;
    img->width = int(bi.biWidth);
    img->height = int(bi.biHeight);
    img->bits = bits;
    img->rowBytes = size_t(kel::dibRowBytes(uint64_t(img->width), uint64_t(bits)));
    const size_t tableBytes = PaletteSize(p);
    if (40 + tableBytes + img->rowBytes * size_t(img->height) > blockSize)
        return false;
    img->pixels = p + 40 + tableBytes;
    if (bits <= 8) {
        const size_t entries = std::min<size_t>(tableBytes / 4, 256);
        std::memcpy(img->table, p + 40, entries * 4);
        img->grey = true;
        for (size_t i = 0; i < entries; ++i)
            img->grey = img->grey && img->table[i].rgbRed == img->table[i].rgbGreen &&
                        img->table[i].rgbGreen == img->table[i].rgbBlue;
    }
    return true;
}

// Colour-table indices of one row as red-green-blue triples (or grey levels).
void expandRow(const Image& img, const uint8_t* row, JSAMPLE* out)
{
    for (int x = 0; x < img.width; ++x) {
        unsigned index;
        switch (img.bits) {
        case 1: index = (row[x >> 3] >> (7 - (x & 7))) & 1; break;
        case 4: index = (row[x >> 1] >> (x & 1 ? 0 : 4)) & 15; break;
        default: index = row[x];
        }
        const RGBQUAD& c = img.table[index];
        if (img.grey) {
            *out++ = c.rgbRed;
        } else {
            *out++ = c.rgbRed;
            *out++ = c.rgbGreen;
            *out++ = c.rgbBlue;
        }
    }
}

struct Settings {
    int quality;
    bool optimize;
    bool progressive;
    bool reportProgress;
};

struct CompressJob {
    jpeg_compress_struct cinfo{};
    ErrorManager err{};
    CompressJob() = default;
    CompressJob(const CompressJob&) = delete;
    CompressJob& operator=(const CompressJob&) = delete;
    ~CompressJob() { jpeg_destroy_compress(&cinfo); }
};

// Codes the image to a file (when `file` is set) or into the buffer. False on any error or cancel.
bool encode(CompressJob& job, const Image& img, const Settings& s, HANDLE file, uint8_t* buffer, size_t size)
{
    j_compress_ptr cinfo = &job.cinfo;
    cinfo->err = useErrorManager(&job.err);
    if (setjmp(job.err.jump))
        return false;
    jpeg_create_compress(cinfo);
    if (file)
        useFileDestination(cinfo, file);
    else
        useBufferDestination(cinfo, buffer, size);
    cinfo->image_width = JDIMENSION(img.width);
    cinfo->image_height = JDIMENSION(img.height);
    cinfo->input_components = img.grey ? 1 : 3;
    cinfo->in_color_space = img.grey ? JCS_GRAYSCALE : img.bits == 24 ? JCS_EXT_BGR : JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, s.quality, TRUE);
    cinfo->optimize_coding = s.optimize;
    cinfo->dct_method = JDCT_ISLOW;
    if (s.progressive)
        jpeg_simple_progression(cinfo);
    jpeg_start_compress(cinfo, TRUE);

    JSAMPARRAY work = nullptr;
    if (img.bits != 24)
        work = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                           JDIMENSION(img.width) * JDIMENSION(cinfo->input_components), 1);
    while (cinfo->next_scanline < cinfo->image_height) {
        const uint8_t* row = img.pixels + size_t(img.height - 1 - int(cinfo->next_scanline)) * img.rowBytes;
        if (work) {
            expandRow(img, row, work[0]);
            jpeg_write_scanlines(cinfo, work, 1);
        } else {
            JSAMPROW rows[1] = {const_cast<JSAMPLE*>(row)};
            jpeg_write_scanlines(cinfo, rows, 1);
        }
        if (s.reportProgress && !UpdateStatus(cinfo->next_scanline, cinfo->image_height)) {
            jpeg_abort_compress(cinfo);
            return false;
        }
    }
    jpeg_finish_compress(cinfo);
    return true;
}

int qualityOf(const JpegOptions* options)
{
    return options && options->quality >= 1 && options->quality <= 100 ? options->quality : 75;
}

} // namespace

int WriteJPEG(const char* path, HGLOBAL dib, const JpegOptions* options)
{
    if (!path || !dib)
        return 0;
    const size_t blockSize = GlobalSize(dib);
    kel::GlobalLocked<uint8_t> p(dib);
    Image img;
    if (!p || !describe(p.get(), blockSize, &img))
        return 0;
    kel::File file = kel::File::open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file)
        return 0;
    const Settings s{qualityOf(options), options && options->optimize, options && options->progressive, true};
    bool ok;
    {
        CompressJob job;
        ok = encode(job, img, s, file.get(), nullptr, 0);
    }
    if (!ok) {
        file.close();
        DeleteFileA(path);
        return 0;
    }
    return 1;
}

// Reads the quality and the optimisation flag only: the catalog's record is no longer than that.
DWORD WriteJPEGMem(HGLOBAL dib, const JpegOptions* options, void* buffer, DWORD size)
{
    if (!dib || !buffer || size == 0)
        return 0;
    const size_t blockSize = GlobalSize(dib);
    kel::GlobalLocked<uint8_t> p(dib);
    Image img;
    if (!p || !describe(p.get(), blockSize, &img))
        return 0;
    const Settings s{qualityOf(options), options && options->optimize, false, false};
    CompressJob job;
    if (!encode(job, img, s, nullptr, static_cast<uint8_t*>(buffer), size))
        return 0;
    return DWORD(bufferBytesWritten(&job.cinfo));
}
