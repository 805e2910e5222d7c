#include "image_save.h"

#include "bmp_file.h"
#include "format_detect.h"
#include "keldll.h"
#include "kelint.h"
#include "win_raii.h"

namespace pipeline {

namespace {

bool fail(std::string* error, const std::string& why)
{
    if (error)
        *error = why;
    return false;
}

// GIF holds at most 8 bits: deeper images are mapped to their 256 best colours first.
int writeGif(const std::string& path, HGLOBAL dib, const SaveOptions& options)
{
    kel::GlobalMem reduced;
    {
        kel::GlobalLocked<uint8_t> header(dib);
        if (!header)
            return 0;
        if (DIBBitcount(header.get()) > 8) {
            WORD count = 0;
            PALETTEENTRY colours[256];
            HGLOBAL eight = quant2(&count, colours, dib, 1);
            if (eight == dib)
                return 0;
            reduced.reset(eight);
        }
    }
    int transparent = 0;
    COLORREF colour = 0;
    return WriteGIF(path.c_str(), reduced ? reduced.get() : dib, 0, options.gifFlags, 0, nullptr, 0, &transparent,
                    &colour);
}

} // namespace

bool saveImage(const std::string& path, HGLOBAL dib, const SaveOptions& options, std::string* error)
{
    const int format = FormatIndexFromName(path);
    if (format == kBmp)
        return writeBmpFile(path.c_str(), dib, error);
    if (format != kPcx && format != kJpeg && format != kTga && format != kLbm && format != kSgi &&
        format != kGif && format != kPng)
        return fail(error, format < 0 ? "no writable format has the extension of " + path
                                      : std::string("writing ") + writableDescription(format) +
                                            " files is not available");
    if (format == kJpeg) {
        kel::GlobalLocked<uint8_t> header(dib);
        if (!header || DIBBitcount(header.get()) < 8)
            return fail(error, "JPEG compression cannot handle images less than 8 bits per pixel!");
    }
    const std::string temp = path + ".part~";
    int written = 0;
    switch (format) {
    case kPcx: written = WritePCX(temp.c_str(), dib, options.formatFlags); break;
    case kJpeg: written = WriteJPEG(temp.c_str(), dib, const_cast<JpegOptions*>(&options.jpeg)); break;
    case kGif: written = writeGif(temp, dib, options); break;
    case kPng: written = WritePNG(temp.c_str(), dib, 0, 0, nullptr, nullptr); break;
    case kTga: {
        char name[16];
        written = WriteTGA(temp.c_str(), dib, options.formatFlags & 1, name, GetModuleHandleA(nullptr));
        break;
    }
    case kLbm: written = WriteLBM(temp.c_str(), dib, options.formatFlags); break;
    case kSgi:
        // 1- and 4-bit images are written by their colours as 8-bit ones would be.
        written = WriteRGB(temp.c_str(), dib, (options.formatFlags & 1) | (options.blackAndWhite ? 2 : 0));
        break;
    }
    if (!written) {
        DeleteFileA(temp.c_str());
        return fail(error, "Error writing file!");
    }
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp.c_str());
        return fail(error, "cannot replace " + path);
    }
    return true;
}

} // namespace pipeline
