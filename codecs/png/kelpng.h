// KELPNG32, the PNG codec: files of every colour type, bit depth and interlace read into 1-, 4-,
// 8- or 24-bit DIBs; 1-, 4-, 8- and 24-bit DIBs written with their title and description. Loaded
// by the format dispatcher as "KelPng32.dll" (entries named as in kelpng32.def).
#pragma once

#include <windows.h>

#ifdef __cplusplus
#define KELPNG_API extern "C"
#else
#define KELPNG_API
#endif

// The header as an image information record, or null (also for a palette image without a
// palette: "Missing Palette" is then appended). Writes "PNG" into the format text. The file is
// read from its start whatever its position; the last two arguments are not used.
KELPNG_API HGLOBAL ReadPNGBitmapInfo(HANDLE file, INT_PTR ignored, char* format, HGLOBAL* techInfo, INT_PTR extra1,
                                     INT_PTR extra2);

// The whole file as a DIB, or null. Appends the chunks' technical information; the "Title" and
// "Description" texts go to *title and *description (replacing the blocks they held). A 24-bit
// image gets an optimal 256-colour table. The record variable is left as it is.
KELPNG_API HGLOBAL OpenPNG(INT_PTR ignored, const char* path, HINSTANCE instance, INT_PTR ignored2, HGLOBAL* info,
                           HGLOBAL* techInfo, INT_PTR i1, INT_PTR i2, INT_PTR i3, INT_PTR i4, INT_PTR i5, INT_PTR i6,
                           HGLOBAL* title, HGLOBAL* description, INT_PTR i7, INT_PTR i8, INT_PTR i9);

// Writes a 1-, 4-, 8- or 24-bit DIB with "Title" and "Description" text chunks when the texts are
// not empty. 1 or 0; a failed write leaves no file behind.
KELPNG_API int WritePNG(const char* path, HGLOBAL dib, INT_PTR ignored1, INT_PTR ignored2, const char* title,
                        const char* description);
