// KELDLL32, the image core: the DIB held in one movable global block and everything computed
// on it, the status box and the simple message boxes. Plain exported functions (see
// keldll32.def); DIB arguments and results are global memory handles, header arguments are
// pointers to the start of a locked DIB.
#pragma once

#include "app_state.h"
#include "image_record.h"

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

// ---- Image transforms and filters -------------------------------------------------------
// A 5 x 5 convolution kernel: weights in rows of five (row 0 two rows above the target pixel,
// column 0 two pixels to its left), then the divisor and the offset of the result.
struct FilterKernel {
    LONG weights[25];
    LONG divisor;
    LONG offset;
};
// kind: 1 quarter turn clockwise, 2 half turn, 3 quarter turn counter-clockwise.
KELDLL_API HGLOBAL RotateDib(HGLOBAL dib, int kind);
// `rect` in image coordinates, rows counted from the top.
KELDLL_API HGLOBAL CropDIB(HGLOBAL dib, const RECT* rect, HPALETTE palette, HBRUSH background, UINT usage);
KELDLL_API HGLOBAL RLEtoRGB(HGLOBAL dib, HGLOBAL info);
// kind: 1 RLE8, 2 RLE4. Returns `dib` itself when the encoded form would not fit its room.
KELDLL_API HGLOBAL RGBtoRLE(HWND statusOwner, HGLOBAL dib, int kind, int warn);
KELDLL_API HGLOBAL ApplyDIBFilter(HGLOBAL dib, const FilterKernel* kernel);
KELDLL_API int SaveUndoInfo(HWND wnd, ImageRecord* record);

// ---- Display helpers --------------------------------------------------------------------
KELDLL_API int DibBlt(HDC dc, int x, int y, int width, int height, HGLOBAL dib, int srcX, int srcY, DWORD rop);
KELDLL_API int StretchDibBlt(HDC dc, int x, int y, int width, int height, HGLOBAL dib, int srcX, int srcY,
                             int srcWidth, int srcHeight, DWORD rop);
KELDLL_API int InterlaceBitBlt(HDC dc, int x, int y, int width, int height, HDC source, int srcX, int ignored,
                               DWORD rop);
KELDLL_API BOOL DrawBitmap(HDC dc, int x, int y, HBITMAP bitmap, DWORD rop);
KELDLL_API BOOL StretchBitmap(HDC dc, int x, int y, HBITMAP bitmap, int width, int height, DWORD rop,
                              HPALETTE palette);
// `rect` is given in a reference size of refWidth x refHeight (0: the bitmap's own size).
KELDLL_API HBITMAP CropBitmap(HBITMAP bitmap, HPALETTE palette, const RECT* rect, int refWidth, int refHeight);
KELDLL_API HBITMAP CopyBitmap(HBITMAP bitmap, HPALETTE palette);
KELDLL_API POINT GetOrigin(HWND wnd, int width, int height, int centre);
// The image window functions find the window's ImageRecord through its window extra bytes.
KELDLL_API void SizeWindow(HWND wnd);
KELDLL_API void DisplayTitle(HWND wnd);
KELDLL_API void SetScrollRanges(HWND wnd, int width, int height);
KELDLL_API RECT* NormalizeRect(RECT* rect);
// Rectangles in image coordinates (rows from the top); a negative size mirrors.
KELDLL_API int PasteDIB(HGLOBAL target, int x, int y, int width, int height, HGLOBAL source, int srcX, int srcY,
                        int srcWidth, int srcHeight);
KELDLL_API HANDLE RenderFormat(ImageRecord* record, UINT format, int refWidth, int refHeight);
KELDLL_API HGLOBAL GetMF(ImageRecord* record, const RECT* rect);
// subformat: 0 RGB, 1 RLE8, 2 RLE4, 3 OS/2 core header.
KELDLL_API HGLOBAL RealizeDibFormat(HWND statusOwner, ImageRecord* record, int subformat, int bits, int warn);
KELDLL_API void FillBackground(BYTE* row, int pixel, int bits, BYTE value, const RGBQUAD* colour);
