// KELIO32, the library of the older raster and vector formats: so far Targa and IFF (ILBM and
// PBM) pictures. Loaded by the format dispatcher as "Kelio32.dll" (entries named as in
// kelio32.def); it imports the JPEG codec KELJPG32 for the JPEG data inside PICT pictures.
#pragma once

#include <windows.h>

#ifdef __cplusplus
#define KELIO_API extern "C"
#else
#define KELIO_API
#endif

// ---- IFF pictures: ILBM (1-8 and 24 planes, hold-and-modify, extra half-brite) and PBM -------

// The chunks up to BODY at the start of the open file as an image information record (40-byte
// header and colour table), the handle left at the BODY chunk; null when the file is no IFF
// picture of a kind this codec reads. Writes "IFF" into the format text; "Invalid IFF format"
// and "Unable to allocate space for bitmap\r\n" go to the technical information.
KELIO_API HGLOBAL ReadLBMBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo);

// The whole picture as a DIB, or null: 1 plane gives 1 bit, 2-8 planes 8 bits, 24 planes and
// hold-and-modify 24 bits with a display palette (stored in *palette, replacing the old one).
// Appends the header's technical information; progress per row, null when the user cancels.
KELIO_API HGLOBAL OpenLBM(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, HPALETTE* palette);

// Writes a 1-, 4-, 8- or 24-bit DIB as an ILBM file of as many planes; the options' low byte
// non-zero = ByteRun1. 1 or 0; a failed or cancelled write leaves no file behind.
KELIO_API int WriteLBM(const char* path, HGLOBAL dib, int options);

// ---- Targa: types 1, 2, 3 and run-length coded 9, 10 ----------------------------------------

// The header at the open file's position as an image information record; the handle is left at
// the first pixel byte. Writes "TGA-<type>" into the format text. When the file has an image ID
// it is read, zero-terminated, into *imageId (a new block when that is null; a block of the
// caller's takes what fits). Null for types and depths this codec does not read; "Create bit
// map failed" is shown when the record cannot be allocated.
KELIO_API HGLOBAL ReadTGABitmapInfo(HANDLE file, char* format, HGLOBAL* imageId);

// The whole file as a DIB, or null: 1, 4 and 8 bits as they are, 15/16, 24 and 32 bits as
// 24-bit DIBs, which get a display palette (stored in *palette, replacing the old one).
// Appends the header's technical information; progress per row, null when the user cancels.
KELIO_API HGLOBAL OpenTGA(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, HGLOBAL* imageId,
                          HPALETTE* palette);

// Writes a 1-, 4-, 8- or 24-bit DIB as type 1 or 2 (9 or 10 when options bit 0 asks for
// run-length coding) with a colour map and the application's name (string 10 of `instance`) as
// image ID; the format name goes to `format`. 1 or 0; a failed or cancelled write leaves no file.
KELIO_API int WriteTGA(const char* path, HGLOBAL dib, int options, char* format, HINSTANCE instance);
