// KELGIF32, the GIF codec: GIF87a and GIF89a files read into 1-, 4- or 8-bit DIBs, with the
// GIF89a extensions (graphic control, plain text, comments) and multi-image files turned into a
// play list (play_list.h); 1-, 4- and 8-bit DIBs written as GIF87a or GIF89a. Loaded by the
// format dispatcher as "Kelgif32.dll" (entries named as in kelgif32.def).
#pragma once

#include <windows.h>

#ifdef __cplusplus
#define KELGIF_API extern "C"
#else
#define KELGIF_API
#endif

// The logical screen as an image information record, or null. The signature is looked for at
// every offset from the start of the file. Writes the 6 signature bytes into the format text,
// replaces the brush in *background with one of the screen's background index, and leaves the
// file right after the global colour table. With `techText` it appends the colour count.
KELGIF_API HGLOBAL ReadGIFBitmapInfo(HANDLE file, int techText, char* format, HGLOBAL* techInfo,
                                     HBRUSH* background, int warnings);

// The whole file as a DIB, or null (also when the user cancels). *palette must hold the palette
// of the record (it is replaced as local colour tables are met); *info receives a copy of the
// returned image's header. A file of several images, or with a text overlay, yields a play list
// in *playList and its first frame's bitmap in *firstFrame; the first image is returned. A
// graphic control block before the first image sets *transparent and *transparentColour.
// Titles (plain text) and comments are appended to the *title and *comment text blocks.
KELGIF_API HGLOBAL OpenGIF(HWND frame, const char* path, HINSTANCE instance, char* format, HGLOBAL* info,
                           HGLOBAL* techInfo, HPALETTE* palette, HGLOBAL* playList, HBRUSH* background,
                           int warnings, int autoDither, HGLOBAL* title, HGLOBAL* comment, HWND* statusWnd,
                           WORD* continueFlag, HBITMAP* firstFrame, int* transparent, COLORREF* transparentColour);

// Writes a 1-, 4- or 8-bit DIB. Options bit 0 interlaced, bit 1 GIF89a (then the transparent
// colour, when *transparent is set, and the comment are written too). 1 or 0; a failed or
// cancelled write leaves no file behind.
KELGIF_API int WriteGIF(const char* path, HGLOBAL dib, int warnings, int options, INT_PTR ignored1,
                        const char* comment, INT_PTR ignored2, int* transparent, COLORREF* transparentColour);
