// KELSGI32, the SGI image codec: files of one byte per channel, verbatim or run-length encoded,
// read into 8-bit grey DIBs (one or two channels) or 24-bit DIBs with an optimal palette (three
// or more); 1-, 4-, 8- and 24-bit DIBs written as grey or colour files. Loaded by the format
// dispatcher as "Kelsgi32.dll".
#pragma once

#include <windows.h>

#ifdef __cplusplus
#define KELSGI_API extern "C"
#else
#define KELSGI_API
#endif

// The 512-byte header at the file's position as an image information record (40-byte header,
// 256-entry colour table), or null. Writes "RGB" into the format text. A header this codec
// cannot read is a line of technical information; "Create bit map failed" is shown (with
// warnings on) when the record cannot be allocated.
KELSGI_API HGLOBAL ReadRGBBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, int warnings);

// The whole file as a DIB, or null. Appends the header's technical information; a colour
// image's palette goes to `*palette`. Reports progress per row and stops (null) when the user
// cancels. The record variable is not used.
KELSGI_API HGLOBAL OpenRGB(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                           HPALETTE* palette, int warnings);

// Writes a DIB: options bit 0 = run-length encoded, bit 1 = grey (one channel) rather than
// colour (three). 1 when the whole file was written; 0 otherwise (a failed or cancelled write
// leaves no file behind).
KELSGI_API int WriteRGB(const char* path, HGLOBAL dib, int options);
