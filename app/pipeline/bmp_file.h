// Native BMP files: a 14-byte file header followed by the DIB exactly as it lies in memory.
//
//   off size field (little-endian)
//     0    2 "BM"
//     2    4 file size
//     6    4 reserved (0)
//    10    4 offset of the pixel array from the file start
//    14  ... the DIB: header (40-byte information header or 12-byte OS/2 core header),
//            colour table, pixel rows bottom-up
// The program, the console tool and the tests read and write BMP files only through here.
#pragma once

#include <windows.h>

#include <string>

namespace pipeline {

// Reads a BMP file into a new DIB handle (header, colour table and pixels without gaps).
// On failure returns null and puts the reason in `error`.
HGLOBAL readBmpFile(const char* path, std::string* error);

// Writes a DIB as a BMP file. The file appears whole or not at all (written beside the target,
// then renamed over it); on failure no partial file is left and `error` tells why.
bool writeBmpFile(const char* path, HGLOBAL dib, std::string* error);

// The same on memory: the DIB parsed from BMP file bytes, and the BMP file bytes of a DIB.
HGLOBAL bmpFromBytes(const unsigned char* data, size_t size, std::string* error);
bool bmpToBytes(HGLOBAL dib, std::string* bytes, std::string* error);

} // namespace pipeline
