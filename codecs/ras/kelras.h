// KELRAS32, the Sun raster codec: uncompressed (standard) files of 1, 8 and 24 bits per pixel
// read into DIBs; 24-bit images keep their depth and get an optimal palette for display.
// Writing is not offered. Loaded by the format dispatcher as "KelRAS32.dll".
#pragma once

#include <windows.h>

#ifdef __cplusplus
#define KELRAS_API extern "C"
#else
#define KELRAS_API
#endif

// The header and colour map of the file (read from its start) as an image information record
// (40-byte header, 256-entry colour table), or null. Writes "RAS" into the format text. A wrong
// magic number or a type other than standard is a line of technical information; "Create bit
// map failed" is shown (with warnings on) when the record cannot be allocated.
KELRAS_API HGLOBAL ReadRASBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, int warnings);

// The whole file as a DIB, or null. A 24-bit image's palette goes to `*palette`. Reports
// progress per row and stops (null) when the user cancels. The record variable is not used.
KELRAS_API HGLOBAL OpenRAS(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                           HPALETTE* palette, int warnings);

// Sun raster files are not written: always 0.
KELRAS_API int WriteRAS(const char* path, HGLOBAL dib, int options);
