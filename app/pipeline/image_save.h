// Writing an image file in the format its name asks for (the writable-format table): BMP here,
// PCX, JPEG, GIF, PNG, TGA, LBM and SGI through the format dispatcher KELINT32. The file appears whole or not at all: the
// writer works on a temporary file beside the target, which replaces the target only when the
// write succeeded, so a failed or cancelled save leaves the previous file untouched.
#pragma once

#include "jpeg_options.h"

#include <windows.h>

#include <string>

namespace pipeline {

struct SaveOptions {
    int formatFlags = 1; // "Compressed" for PCX, TGA, LBM and SGI (bit 0)
    int gifFlags = 0;    // GIF: bit 0 "Interlaced", bit 1 "GIF89a"
    JpegOptions jpeg;
    bool blackAndWhite = false; // SGI: one grey channel rather than colour
};

bool saveImage(const std::string& path, HGLOBAL dib, const SaveOptions& options, std::string* error);

} // namespace pipeline
