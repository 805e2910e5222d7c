// Reading an image file through the codec libraries, in the loader's two phases: the information
// call (header, format name, technical information) and the decode. The format is chosen by the
// file's extension, then by its signature; BMP files are read here, every other format through
// the format dispatcher KELINT32.
#pragma once

#include <windows.h>

#include <string>

namespace pipeline {

struct ImageInfo {
    std::string type;   // the type the information call succeeded with ("PCX", "JPG", "BMP", ...)
    std::string format; // the codec's format text
    int width = 0, height = 0, bits = 0;
    unsigned colours = 0;
    std::string techInfo; // CR LF lines
};

struct ReadOptions {
    int jpegScale = 1; // JPEG scaling denominator (1, 2, 4 or 8): thumbnails without a full decode
    int warnings = 0;  // the "Display Warnings" option, passed to the codecs
};

// The information phase only: fills `info`; false with the reason in `error`.
bool readImageInfo(const std::string& path, ImageInfo* info, std::string* error, const ReadOptions& options = {});

// Both phases: the decoded DIB (owned by the caller), or null with the reason in `error`.
HGLOBAL loadImage(const std::string& path, ImageInfo* info, std::string* error, const ReadOptions& options = {});

} // namespace pipeline
