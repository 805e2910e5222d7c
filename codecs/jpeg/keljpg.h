// KELJPG32, the JPEG codec on libjpeg-turbo: JPEG files, JPEG-coded catalog thumbnails and the
// JPEG data inside QuickTime-compressed PICT pictures. Loaded by the format dispatcher as
// "Keljpg32.dll" (which serialises calls with the "KELJPEG" mutex); KELIO32 imports the PICT
// entry by ordinal 9 (keljpg32.def).
#pragma once

#include "jpeg_options.h"

#include <windows.h>

#ifdef __cplusplus
#define KELJPG_API extern "C"
#else
#define KELJPG_API
#endif

// Remembers the application's frame, instance, help file and "Auto Dither" flag; 1.
KELJPG_API int InitJPEGDll(HWND frame, HINSTANCE instance, const char* helpFile, int autoDither);

// The header of the JPEG file at the handle's position as an image information record of the DIB
// OpenJPEG will make, or null; writes "JPEG" into `format`. The read settings are kept for the
// next OpenJPEG: pixel smoothing (smooth chroma upsampling), two-pass quantisation, colour
// resolution (0 automatic: 256 colours on a palette display, else full colour; 1 256 colours;
// 2 full colour) and the options record's scaling denominator (1, 2, 4 or 8), which decodes the
// image at that fraction of its size. Greyscale files give 8-bit grey DIBs.
KELJPG_API HGLOBAL ReadJPEGBitmapInfo(const JpegOptions* options, HANDLE file, int smoothing, int twoPass,
                                      int colourResolution, char* format);

// Decodes the file with the settings of the last ReadJPEGBitmapInfo (defaults without one) into a
// DIB, reporting progress per row; null on failure or cancel.
KELJPG_API HGLOBAL OpenJPEG(const JpegOptions* options, const char* path);

// Writes a DIB of 8 (or fewer) or 24 bits: quality 1 to 100 (75 otherwise), optimised entropy
// coding, progressive. Non-zero on success; a failed or cancelled write leaves no file.
KELJPG_API int WriteJPEG(const char* path, HGLOBAL dib, const JpegOptions* options);

// A JPEG stream in memory (a catalog thumbnail) as a new DIB, or null.
KELJPG_API HGLOBAL ReadJPEGMem(const void* data, DWORD size);

// Codes a DIB into the buffer with the record's quality and optimisation flag (the only fields
// read); the bytes written, or 0 when it fails or does not fit.
KELJPG_API DWORD WriteJPEGMem(HGLOBAL dib, const JpegOptions* options, void* buffer, DWORD size);

// (Ordinal 9.) Decodes the JPEG data found at the file's position (inside a CompressedQuickTime
// opcode) into the DIB's pixel rows from row `rowsDone` (counted from the top) down; returns the
// new number of rows done. A failure appends a line to the technical information.
KELJPG_API int ReadJPEGPictData(HGLOBAL dib, HANDLE file, int rowsDone, HGLOBAL* techInfo);
