// KELICS32, the Image Cytometry Standard codec: a text header file (".ics") describing the data
// and a data file beside it (".ids"), read into grey DIBs of at most 8 bits. Read only. Loaded
// by the format dispatcher as "KelICS32.dll".
#pragma once

#include <windows.h>

#ifdef __cplusplus
#define KELICS_API extern "C"
#else
#define KELICS_API
#endif

// The header file as an image information record (40-byte header, 256-entry colour table), or
// null. Writes "ICS" into the format text; "Unable to allocate space for bitmap" is a line of
// technical information when the record cannot be allocated. The last two arguments are not used.
KELICS_API HGLOBAL ReadICSBitmapInfo(const char* headerFile, char* format, HGLOBAL* techInfo, LPARAM ignored1,
                                     LPARAM ignored2);

// The image of the data file beside the header as a DIB of 1, 4 or 8 bits, or null; the palette
// variable receives the DIB's palette. Appends the header's free-text lines to the technical
// information; reports progress per row and stops (null) when the user cancels.
KELICS_API HGLOBAL OpenICS(const char* headerFile, HINSTANCE instance, char* format, HGLOBAL* techInfo,
                           HPALETTE* palette, LPARAM ignored1, LPARAM ignored2);
