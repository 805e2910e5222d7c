// KELPCX32, the PCX codec: 1-, 2-, 4-, 8- and 24-bit images in one to four planes, run-length
// encoded or raw, read into DIBs; 1-, 4-, 8- and 24-bit DIBs written as version 5 files. Loaded
// by the format dispatcher as "Kelpcx32.dll" (entries named as in kelpcx32.def).
#pragma once

#include <windows.h>

#ifdef __cplusplus
#define KELPCX_API extern "C"
#else
#define KELPCX_API
#endif

// The header at the file's current position as an image information record (40-byte header and
// a 256-entry colour table), or null. Writes "PCX" into the format text. The technical
// information variable is not used; "Create bit map failed" is shown (with warnings on) when
// the record cannot be allocated.
KELPCX_API HGLOBAL ReadPCXBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, int warnings);

// The whole file as a DIB, or null. Appends the header's technical information; reports
// progress per scan line and stops (null) when the user cancels. The record and palette
// variables are not used.
KELPCX_API HGLOBAL OpenPCX(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                           HPALETTE* palette, int warnings);

// Writes a 1-, 4-, 8- or 24-bit DIB; options bit 0 = run-length encode. 1 or 0; a failed or
// cancelled write leaves no file behind.
KELPCX_API int WritePCX(const char* path, HGLOBAL dib, int options);
