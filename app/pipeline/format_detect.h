// How the loader tells a file's format: by its extension first, then by its signature; and which
// writable format a file name asks for.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace pipeline {

// The type the loader dispatches on for a path: its extension in upper case without the point
// when the load table knows it ("PCX", "JPG", "JIF", "BMP", ...), otherwise empty.
std::string typeFromExtension(const std::string& path);

// Which codec serves a type: the families the pipeline reads so far, or Other.
enum class Family {
    Bmp,
    Pcx,
    Jpeg,
    Gif,
    Png,
    Tga,
    Lbm, // LBM, IFF, CE
    Sgi, // RGB, BW, SGI
    Ras,
    Xpm, // XPM, PM
    Xbm, // XBM, BM
    Ics,
    Other
};
Family familyOf(const std::string& type);

// The signature test on a file's first bytes (at least 1024 of them, else nothing is sniffed):
// 1 with `type` set when the signature names a format, 0 otherwise; a type proposed but not
// recognised (IFF, IMG, WMF, PCX) is still put in `type` (for the question to the user).
int sniffBytes(const uint8_t* data, size_t size, std::string* type);

// The same on an open file, from its start; the file position is left where it was.
int SniffFormat(HANDLE file, std::string* type);

// Rows of the writable-format table (file order).
enum WritableFormat { kGif, kJpeg, kLbm, kPcx, kPng, kSgi, kTga, kTif, kWmf, kBmp, kWpg, kWritableCount };

// The writable format whose extension list holds the name's extension (at most four characters
// with the point, any case), or -1.
int FormatIndexFromName(const std::string& path);

// A row's description as the save dialog lists it ("PCX", "JPEG/JFIF", ...).
const char* writableDescription(int index);

} // namespace pipeline
