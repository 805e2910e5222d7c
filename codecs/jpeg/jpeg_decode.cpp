#include "jpeg_decode.h"

#include "dib_layout.h"
#include "keldll.h"

#include <algorithm>
#include <cstring>

namespace keljpg {

namespace {

// The largest image a stream may describe: JPEG can code a flat picture in well under a bit per
// 8 x 8 block, so allow about a thousand bytes of samples per byte of input, and a few
// megabytes for any stream, however small. Larger claims are garbage or a memory bomb.
uint64_t sampleAllowance(uint64_t inputBytes) { return std::max<uint64_t>(4u << 20, inputBytes * 1024); }

// Adobe's CMYK (stored inverted) to blue, green, red, rounded as libjpeg's own tools do.
void cmykToBgr(const JSAMPLE* in, uint8_t* out, int width)
{
    for (int x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned k = in[3];
        out[0] = uint8_t((in[2] * k + 127) / 255);
        out[1] = uint8_t((in[1] * k + 127) / 255);
        out[2] = uint8_t((in[0] * k + 127) / 255);
    }
}

void greyToBgr(const JSAMPLE* in, uint8_t* out, int width)
{
    for (int x = 0; x < width; ++x, out += 3)
        out[0] = out[1] = out[2] = in[x];
}

} // namespace

bool start(Job& job, const Source& source, const ReadSettings& settings)
{
    j_decompress_ptr cinfo = &job.cinfo;
    cinfo->err = useErrorManager(&job.err);
    if (setjmp(job.err.jump))
        return false;
    jpeg_create_decompress(cinfo);
    limitScans(cinfo);
    if (source.file)
        useFileSource(cinfo, source.file);
    else
        jpeg_mem_src(cinfo, const_cast<uint8_t*>(source.data), static_cast<unsigned long>(source.size));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK)
        return false;

    const uint64_t samples = uint64_t(cinfo->image_width) * cinfo->image_height * uint64_t(cinfo->num_components);
    const uint64_t allowance = sampleAllowance(source.size);
    if (samples == 0 || samples > allowance)
        return false;
    // libjpeg's whole-image buffers (progressive and multi-scan files) stay within the same bound.
    cinfo->mem->max_memory_to_use = long(std::min<uint64_t>(2 * allowance + (16u << 20), 0x60000000));

    cinfo->dct_method = JDCT_ISLOW;
    cinfo->do_fancy_upsampling = settings.smoothing;
    cinfo->do_block_smoothing = settings.smoothing;
    cinfo->scale_num = 1;
    cinfo->scale_denom = unsigned(settings.scale == 2 || settings.scale == 4 || settings.scale == 8 ? settings.scale : 1);
    switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo->out_color_space = JCS_GRAYSCALE;
        job.layout = Layout::Grey8;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo->out_color_space = JCS_CMYK;
        job.layout = Layout::Bgr24;
        break;
    default:
        if (settings.colourResolution == 1) {
            cinfo->out_color_space = JCS_RGB;
            cinfo->quantize_colors = TRUE;
            cinfo->desired_number_of_colors = 256;
            cinfo->two_pass_quantize = settings.twoPass;
            cinfo->dither_mode = JDITHER_FS;
            job.layout = Layout::Palette8;
        } else {
            cinfo->out_color_space = JCS_EXT_BGR;
            job.layout = Layout::Bgr24;
        }
    }
    jpeg_calc_output_dimensions(cinfo);
    const uint64_t dibBytes = kel::dibRowBytes(cinfo->output_width, uint64_t(job.bits())) * cinfo->output_height;
    return cinfo->output_width > 0 && cinfo->output_height > 0 && dibBytes <= kel::kMaxImageBytes;
}

size_t colourTableBytes(const Job& job) { return job.layout == Layout::Bgr24 ? 0 : 256 * 4; }

void fillHeader(const Job& job, BITMAPINFOHEADER* bi)
{
    std::memset(bi, 0, sizeof *bi);
    bi->biSize = 40;
    bi->biWidth = job.width();
    bi->biHeight = job.height();
    bi->biPlanes = 1;
    bi->biBitCount = WORD(job.bits());
    bi->biSizeImage = DWORD(kel::dibRowBytes(uint64_t(job.width()), uint64_t(job.bits())) * uint64_t(job.height()));
    bi->biClrUsed = bi->biClrImportant = job.layout == Layout::Bgr24 ? 0 : 256;
    // Pixels per metre from the JFIF density, when it gives one in dots per inch or centimetre.
    const auto& c = job.cinfo;
    if (c.saw_JFIF_marker && (c.density_unit == 1 || c.density_unit == 2)) {
        const LONG perMetre = c.density_unit == 1 ? 10000 : 100;
        bi->biXPelsPerMeter = c.density_unit == 1 ? LONG(c.X_density) * perMetre / 254 : LONG(c.X_density) * perMetre;
        bi->biYPelsPerMeter = c.density_unit == 1 ? LONG(c.Y_density) * perMetre / 254 : LONG(c.Y_density) * perMetre;
    }
}

bool decode(Job& job, Target& t)
{
    j_decompress_ptr cinfo = &job.cinfo;
    t.rowsWritten = 0;
    if (setjmp(job.err.jump))
        return false;
    jpeg_start_decompress(cinfo);

    if (t.table && job.layout == Layout::Grey8)
        for (int i = 0; i < 256; ++i)
            t.table[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    if (t.table && job.layout == Layout::Palette8) {
        for (int i = 0; i < cinfo->actual_number_of_colors; ++i)
            t.table[i] = RGBQUAD{cinfo->colormap[2][i], cinfo->colormap[1][i], cinfo->colormap[0][i], 0};
    }

    const int width = int(cinfo->output_width), height = int(cinfo->output_height);
    // Rows go straight into the DIB when they fit it as they come; otherwise through a work row.
    const bool direct = job.cinfo.out_color_space != JCS_CMYK && t.bits == job.bits() && t.width == width;
    JSAMPARRAY work = nullptr;
    if (!direct)
        work = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                           JDIMENSION(width) * JDIMENSION(cinfo->output_components), 1);
    const int copyWidth = std::min(width, t.width);
    while (int(cinfo->output_scanline) < height) {
        const int row = t.firstRow + int(cinfo->output_scanline);
        if (row >= t.height) {
            jpeg_abort_decompress(cinfo);
            return true;
        }
        uint8_t* dibRow = t.pixels + size_t(t.height - 1 - row) * t.rowBytes;
        if (direct) {
            JSAMPROW rows[1] = {dibRow};
            jpeg_read_scanlines(cinfo, rows, 1);
        } else {
            jpeg_read_scanlines(cinfo, work, 1);
            if (cinfo->out_color_space == JCS_CMYK)
                cmykToBgr(work[0], dibRow, copyWidth);
            else if (t.bits == 24 && job.bits() == 8)
                greyToBgr(work[0], dibRow, copyWidth);
            else
                std::memcpy(dibRow, work[0], size_t(copyWidth) * size_t(t.bits / 8));
        }
        ++t.rowsWritten;
        if (t.progress && !UpdateStatus(cinfo->output_scanline, cinfo->output_height)) {
            jpeg_abort_decompress(cinfo);
            return false;
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

} // namespace keljpg
