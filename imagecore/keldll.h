// KELDLL32, the image core: the DIB held in one movable global block and everything computed
// on it, the status box and the simple message boxes. Plain exported functions (see
// keldll32.def); DIB arguments and results are global memory handles, header arguments are
// pointers to the start of a locked DIB.
#pragma once

#include "app_state.h"

#include <windows.h>

#ifdef __cplusplus
#define KELDLL_API extern "C"
#else
#define KELDLL_API
#endif

// ---- Initialisation ---------------------------------------------------------------------
KELDLL_API AppState* InitKelDll(AppState* app);

// ---- DIB model and basic utilities ------------------------------------------------------
KELDLL_API BYTE* FindDIBBits(const void* header);
KELDLL_API DWORD DIBWidth(const void* header);
KELDLL_API DWORD DIBHeight(const void* header);
KELDLL_API WORD DIBBitcount(const void* header);
KELDLL_API DWORD DIBNumColors(const void* header);
KELDLL_API WORD PaletteSize(const void* header);
KELDLL_API void InitBitmapInfoHeader(BITMAPINFOHEADER* bi, DWORD width, DWORD height, int bits);
KELDLL_API int DibInfo(HGLOBAL dib, BITMAPINFOHEADER* bi);
KELDLL_API HGLOBAL CopyBitmapInfo(HGLOBAL dib);
KELDLL_API void CopyDIBPaletteInfo(const void* source, void* destination);
KELDLL_API HGLOBAL CopyHandle(HGLOBAL block);
KELDLL_API HGLOBAL CreateNewDib(HWND wnd, int width, int height, int bits, HPALETTE palette, HBRUSH background);
KELDLL_API HBITMAP DIBToBitmap(HGLOBAL dib, HPALETTE palette);
KELDLL_API HGLOBAL BitmapToDIB(HBITMAP bitmap, HPALETTE palette);
KELDLL_API HGLOBAL DibFromBitmap(HBITMAP bitmap, DWORD compression, WORD bits, HPALETTE palette, UINT usage);
KELDLL_API HGLOBAL PMDibFromBitmap(HBITMAP bitmap, DWORD ignored, WORD bits, HPALETTE palette);
KELDLL_API HBITMAP BitmapFromDib(HWND wnd, HGLOBAL dib, HPALETTE palette, int noDither, int autoDither);
KELDLL_API HBITMAP BitmapFrom24Dib(HWND statusOwner, HGLOBAL dib, HPALETTE palette);
KELDLL_API HGLOBAL DibFromMetaFile(const METAFILEPICT* mfp, int windowOrgX, int windowOrgY, int viewportOrgX,
                                   int viewportOrgY, int viewportExtX, int viewportExtY, int ignored1, int ignored2,
                                   HBRUSH background, UINT usage);
KELDLL_API void GetMetaFileDimensions(HWND wnd, const METAFILEPICT* mfp, POINT* size, int availableWidth,
                                      int availableHeight);
KELDLL_API HPALETTE GetMetaFilePalette(int ignored, HDC dc, const METAFILEPICT* mfp);
KELDLL_API int CALLBACK EnumFunct(HDC dc, HANDLETABLE* table, METARECORD* record, int objects, LPARAM data);
KELDLL_API void FormatSpecs(HGLOBAL dibOrInfo, const char* format);
KELDLL_API int TechInfo(HGLOBAL* techInfo, const char* format, ...);
KELDLL_API int TechInfoU(HGLOBAL* techInfo, const char* text);
KELDLL_API DWORD GetFree(int drive);

// ---- Palettes and colour quantization --------------------------------------------------
KELDLL_API WORD ColorsInPalette(HPALETTE palette);
KELDLL_API HPALETTE CopyPaletteChangingFlags(HPALETTE palette, UINT flags);
KELDLL_API HPALETTE CreateDIBPalette(HGLOBAL dib);
KELDLL_API HPALETTE CreateBIPalette(const void* header);
KELDLL_API HGLOBAL RationalizePalette(HGLOBAL dib, const LOGPALETTE* record, HPALETTE ignored);
KELDLL_API int ReplaceDIBPalette(HPALETTE palette, HGLOBAL dib);
KELDLL_API HPALETTE Make_Palette(void);
KELDLL_API HPALETTE Make16ColorPalette(void);
KELDLL_API HPALETTE Make2ColorPalette(COLORREF colour);
KELDLL_API HPALETTE Make8ColorPalette(HDC printer);
KELDLL_API HPALETTE Make_Gray_Palette(void);
// Median cut on 4-bit cells: *colours in = wanted (at most 256), out = made; `out` receives
// red, green, blue, 0 entries. 1 on success, 0 on failure.
KELDLL_API int quantize(WORD* colours, PALETTEENTRY* out, HGLOBAL dib);
// Two-pass quantizer: up to 256 colours into `out` (256 entries) and their number into
// *colours; with `makeImage` the new 8-bit DIB, otherwise (or when it cannot be made) `dib`.
KELDLL_API HGLOBAL quant2(WORD* colours, PALETTEENTRY* out, HGLOBAL dib, int makeImage);
KELDLL_API HGLOBAL q2dither(HGLOBAL dib, HPALETTE palette);

// ---- Dithering --------------------------------------------------------------------------
KELDLL_API HGLOBAL DitherDib(HWND statusOwner, HGLOBAL dib, HPALETTE palette, const char* fileName);
KELDLL_API HGLOBAL DitherColorDib(HWND statusOwner, HGLOBAL dib, HPALETTE source, HPALETTE target,
                                  const char* fileName);

// ---- Status box, progress and messages --------------------------------------------------
KELDLL_API HWND DisplayStatusBox(HWND wnd, WORD* continueFlag, int ignored);
KELDLL_API WORD UpdateStatus(DWORD done, DWORD total);
KELDLL_API WORD SetStatus(WORD value);
KELDLL_API void DestroyStatus(void);
KELDLL_API HWND GetStatusWnd(void);
KELDLL_API int GetAbortStatus(void);
KELDLL_API HCURSOR Hourglass(int on);
KELDLL_API int ErrMsg(const char* format, ...);
KELDLL_API int DebugMsg(const char* format, ...);
KELDLL_API int DIBError(int number);
KELDLL_API char* ExtractFileName(const char* path);
