// KELXPM32, the X Window System image codec: X PixMap (XPM) and X BitMap (XBM) files read into
// 8-bit (XPM of up to 256 colours), 24-bit (XPM of more) and 1-bit (XBM) DIBs. Writing is not
// offered. Loaded by the format dispatcher as "KelXPM32.dll".
//
// Unlike the other codecs the information entries decode the whole image: the handle they
// return is the finished DIB, and the open entries only hand it over.
#pragma once

#include <windows.h>

#ifdef __cplusplus
#define KELXPM_API extern "C"
#else
#define KELXPM_API
#endif

// The XPM file as a DIB, or null (no text when the file cannot be read). Writes "XPM" into the
// format text. The technical information variable and the warnings flag are not used.
KELXPM_API HGLOBAL ReadXPMBitmapInfo(const char* path, char* format, HGLOBAL* techInfo, int warnings);

// The XBM file as a 1-bit DIB (white 0, black 1), or null. Writes "XBM" into the format text.
// What is wrong with the text is a line of technical information. The warnings flag is not used.
KELXPM_API HGLOBAL ReadXBMBitmapInfo(const char* path, char* format, HGLOBAL* techInfo, int warnings);

// Take the DIB the information entry made from `*info`, show its size (FormatSpecs), leave a
// copy of its header and colour table in `*info` and return the DIB; null when `*info` holds no
// DIB. The other arguments are not used.
KELXPM_API HGLOBAL OpenXPM(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                           HPALETTE* palette, int warnings);
KELXPM_API HGLOBAL OpenXBM(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                           HPALETTE* palette, int warnings);

// XPM and XBM files are not written: always 0.
KELXPM_API int WriteXPM(const char* path, HGLOBAL dib, int options);
KELXPM_API int WriteXBM(const char* path, HGLOBAL dib, int options);
