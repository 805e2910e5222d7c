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

} // namespace

bool saveImage(const std::string& path, HGLOBAL dib, const SaveOptions& options, std::string* error)
{
    const int format = FormatIndexFromName(path);
    if (format == kBmp)
        return writeBmpFile(path.c_str(), dib, error);
    if (format != kPcx && format != kJpeg && format != kTga && format != kLbm && format != kSgi)
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
