// KELINT32, the format dispatcher: one forwarding export per codec and player entry point. The
// codec and player libraries are never linked; each is loaded from the application's directory
// the first time one of its forwarders is called, its entries are looked up by name, and the
// call is passed on unchanged (see kelint32.def for the ordinals the application binds by).
// A forwarder whose library cannot be loaded returns 0 / null.
//
// Arguments of libraries that are not part of this system (TIFF, Photo CD, sound, MPEG) are
// passed through as pointer-sized values (KelArg); their meaning belongs to those libraries.
#pragma once

#include "app_state.h"
#include "jpeg_options.h"

#include <windows.h>

#include <cstdint>

#ifdef __cplusplus
#define KELINT_API extern "C"
#else
#define KELINT_API
#endif

typedef intptr_t KelArg;

// ---- The dispatcher's own entries ------------------------------------------------------------
KELINT_API int InitKelInt(AppState* app);
KELINT_API void FreeDlls(void);
KELINT_API int LoadSpin32(void);
KELINT_API char* MakeDLLPathName(HMODULE module, const char* fileName);
KELINT_API void ClearMutex(void);

// ---- KELIO32: LBM, TGA, MAC, PICT, CompuServe RLE, CE, IMG, ICO, CLP, WMF, DRW ----------------
KELINT_API HGLOBAL ReadLBMBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo);
KELINT_API HGLOBAL OpenLBM(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, HPALETTE* palette);
KELINT_API int WriteLBM(const char* path, HGLOBAL dib, int options);
KELINT_API HGLOBAL ReadTGABitmapInfo(HANDLE file, char* format, HGLOBAL* imageId);
KELINT_API HGLOBAL OpenTGA(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, HGLOBAL* imageId,
                           HPALETTE* palette);
KELINT_API int WriteTGA(const char* path, HGLOBAL dib, int options, char* format, HINSTANCE instance);
KELINT_API HGLOBAL ReadMACBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo);
KELINT_API HGLOBAL OpenMAC(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, KelArg ignored);
KELINT_API HGLOBAL ReadPICTBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo);
KELINT_API HGLOBAL OpenPICT(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, HPALETTE* palette);
KELINT_API HGLOBAL ReadRLEBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo);
KELINT_API HGLOBAL OpenRLE(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, KelArg ignored);
KELINT_API HGLOBAL ReadCEBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo);
KELINT_API HGLOBAL OpenCE(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, KelArg ignored);
KELINT_API HGLOBAL ReadIMGBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo);
KELINT_API HGLOBAL OpenIMG(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, KelArg ignored);
KELINT_API HGLOBAL ReadICOBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo);
KELINT_API HGLOBAL OpenICO(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, KelArg ignored);
KELINT_API HGLOBAL ReadCLPBitmapInfo(HANDLE file, void* imageRecord);
KELINT_API HGLOBAL OpenCLP(HGLOBAL* image, char* format);
KELINT_API HGLOBAL ReadWMFBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, KelArg unused, HGLOBAL* picture);
KELINT_API HGLOBAL OpenWMF(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, HPALETTE* palette,
                           HBRUSH background, HGLOBAL* picture);
KELINT_API int WriteWMF(HGLOBAL imageRecord, const char* path);
KELINT_API HGLOBAL ReadDRWBitmapInfo(HANDLE file, char* format, KelArg ignored, HGLOBAL* picture);
KELINT_API HGLOBAL OpenDRW(HWND wnd, const char* path, KelArg ignored, char* format, HGLOBAL* techInfo,
                           HPALETTE* palette, HGLOBAL* picture, int makeDib);

// ---- KELPCD32: Photo CD (file-error boxes suppressed while loading) ---------------------------
KELINT_API HGLOBAL ReadPCDBitmapInfo(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5, KelArg a6, KelArg a7,
                                     KelArg a8);
KELINT_API HGLOBAL OpenPCD(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5, KelArg a6, KelArg resolution,
                           KelArg format, KelArg a9);
KELINT_API KelArg CheckPCDName(KelArg a1, KelArg a2);
KELINT_API KelArg GetPCDSize(KelArg a1, KelArg a2);
KELINT_API KelArg ConvertBoundingRect(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5);
KELINT_API KelArg PCDSelectAltLut(KelArg a1, KelArg a2, KelArg a3);
KELINT_API KelArg DoPCDsetLut(KelArg a1);

// ---- KELICS32 ------------------------------------------------------------------------------
KELINT_API HGLOBAL ReadICSBitmapInfo(const char* headerFile, char* format, HGLOBAL* techInfo, KelArg ignored1,
                                     KelArg ignored2);
KELINT_API HGLOBAL OpenICS(const char* headerFile, HINSTANCE instance, char* format, HGLOBAL* techInfo,
                           HPALETTE* palette, KelArg ignored1, KelArg ignored2);

// ---- KELTIF32 (outside library) ----------------------------------------------------------------
KELINT_API HGLOBAL ReadTIFBitmapinfo(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5);
KELINT_API HGLOBAL OpenTIF(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5, KelArg a6, KelArg a7, KelArg a8,
                           KelArg a9);
KELINT_API int WriteTIF(KelArg a1, KelArg a2, KelArg a3, KelArg a4);
KELINT_API int CloseImag(KelArg image);
KELINT_API int GetTiffDllVersion(void); // 0 when the library has no version entry

// ---- KELGIF32 ------------------------------------------------------------------------------
// The five-argument information form: the library's display-warnings argument is passed as 0.
KELINT_API HGLOBAL ReadGIFBitmapinfo(HANDLE file, int techText, char* format, HGLOBAL* techInfo, HBRUSH* background);
// The auto-dither argument (11th) is replaced by the application's "Auto Dither" flag.
KELINT_API HGLOBAL OpenGIF(HWND frame, const char* path, HINSTANCE instance, char* format, HGLOBAL* info,
                           HGLOBAL* techInfo, HPALETTE* palette, HGLOBAL* playList, HBRUSH* background, int warnings,
                           int autoDither, HGLOBAL* title, HGLOBAL* comment, HWND* statusWnd, WORD* continueFlag,
                           HBITMAP* firstFrame, int* transparent, COLORREF* transparentColour);
KELINT_API int WriteGIF(const char* path, HGLOBAL dib, int warnings, int options, KelArg ignored1, const char* comment,
                        KelArg ignored2, int* transparent, COLORREF* transparentColour);

// ---- KELPCX32 ------------------------------------------------------------------------------
KELINT_API HGLOBAL ReadPCXBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, int warnings);
KELINT_API HGLOBAL OpenPCX(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                           HPALETTE* palette, int warnings);
KELINT_API int WritePCX(const char* path, HGLOBAL dib, int options);

// ---- KELPNG32 ------------------------------------------------------------------------------
KELINT_API HGLOBAL ReadPNGBitmapInfo(HANDLE file, KelArg ignored, char* format, HGLOBAL* techInfo, KelArg extra1,
                                     KelArg extra2);
// The dispatcher's form has 16 arguments; the library's trailing 17th (ignored) is passed as 0.
KELINT_API HGLOBAL OpenPNG(KelArg ignored, const char* path, HINSTANCE instance, KelArg ignored2, HGLOBAL* info,
                           HGLOBAL* techInfo, KelArg i1, KelArg i2, KelArg i3, KelArg i4, KelArg i5, KelArg i6,
                           HGLOBAL* title, HGLOBAL* description, KelArg i7, KelArg i8);
KELINT_API int WritePNG(const char* path, HGLOBAL dib, KelArg ignored1, KelArg ignored2, const char* title,
                        const char* description);

// ---- KELFLC32: FLI/FLC animation (initialised on load) --------------------------------------
KELINT_API HGLOBAL ReadFLICBitmapinfo(HANDLE file, KelArg ignored, char* format, HGLOBAL* techInfo,
                                      HGLOBAL* animation, int warnings);
KELINT_API HGLOBAL OpenFLIC(KelArg ignored, const char* path, HINSTANCE instance, char* format, HGLOBAL* info,
                            HGLOBAL* techInfo, HGLOBAL* animation, KelArg ignored2);
KELINT_API int DisplayFlic(HWND wnd, HGLOBAL animation, int noTimer);
KELINT_API HWND OpenFLICWindow(HGLOBAL imageRecord, DWORD style);
KELINT_API int ProcessPlayList(HWND wnd, HGLOBAL imageRecord, int erase);
KELINT_API int HandlePlay(HWND wnd, int step);
KELINT_API int ANIMRewind(HWND wnd);

// ---- KELWPG32: WPG and CGM ---------------------------------------------------------------------
KELINT_API HGLOBAL ReadWPGBitmapInfo(HANDLE file, char* format, KelArg unused, HGLOBAL* picture);
KELINT_API HGLOBAL OpenWPG(HWND owner, const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo,
                           HGLOBAL info, HPALETTE* palette, HGLOBAL* picture, int render);
KELINT_API int WriteWPG(HGLOBAL dib, HGLOBAL picture, HPALETTE palette, const char* path);
KELINT_API HPALETTE GetWPGPalette(HPALETTE unused);
KELINT_API HGLOBAL ReadCGMBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, HGLOBAL* picture,
                                     HBRUSH* background);
KELINT_API HGLOBAL OpenCGM(HWND wnd, const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo,
                           HGLOBAL info, HPALETTE* palette, HGLOBAL* picture, HBRUSH* background, int makeDib,
                           HGLOBAL* title);

// ---- KELJPG32 (outside library), serialised by the named mutex "KELJPEG" ---------------------
// A successful ReadJPEGBitmapInfo keeps the mutex until OpenJPEG (or ClearMutex) gives it up.
KELINT_API HGLOBAL ReadJPEGBitmapInfo(JpegOptions* options, HANDLE file, int smoothing, int twoPass,
                                      int colourResolution, char* format);
KELINT_API HGLOBAL OpenJPEG(JpegOptions* options, const char* path);
KELINT_API int WriteJPEG(const char* path, HGLOBAL dib, JpegOptions* options);
KELINT_API int InitJPEGDll(void);
KELINT_API HGLOBAL ReadJPEGMem(const void* data, DWORD size);
KELINT_API DWORD WriteJPEGMem(HGLOBAL dib, const JpegOptions* options, void* buffer, DWORD size);

// ---- KELAVI32: video (loaded silently, file-error boxes suppressed, initialised on load) -------
KELINT_API int AVIWndRegisterClass(HINSTANCE instance);
KELINT_API UINT AVIWndGetDevice(HWND wnd);
KELINT_API UINT AVIPlayFullScreen(HWND wnd, const char* path, int wait, void* control);
KELINT_API int OpenAVICover(HWND wnd, const char* path);
KELINT_API int OpenAVI(const char* path, KelArg ignored1, KelArg ignored2, KelArg ignored3);
KELINT_API HGLOBAL ReadAVIBitmapInfo(KelArg ignored, char* format, HGLOBAL* techInfo);
KELINT_API HWND OpenAVIWindow(HGLOBAL imageRecord, DWORD style);
KELINT_API int GetAVIDib(HWND wnd);
KELINT_API int AVICloseVideo(HWND wnd);
KELINT_API UINT AVIRewindVideo(HWND wnd);

// ---- KELMM32: wave and MIDI player (outside library; loaded silently, initialised on load) ----
KELINT_API HGLOBAL ReadWAVBitmapInfo(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5);
KELINT_API KelArg OpenWAV(KelArg a1, KelArg a2, KelArg a3, KelArg a4);
KELINT_API HGLOBAL ReadMIDIBitmapInfo(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5);
KELINT_API KelArg OpenMIDI(KelArg a1, KelArg a2, KelArg a3, KelArg a4);
KELINT_API KelArg OpenMMWindow(KelArg a1, KelArg a2);
KELINT_API KelArg MMPlayFullScreen(KelArg a1, KelArg a2, KelArg a3);
KELINT_API KelArg MMSoundClose(void);
KELINT_API KelArg MMSoundStatus(void);

// ---- KELMPG32: MPEG player (outside library; loaded silently, initialised on load) -----------
KELINT_API HGLOBAL ReadMPGBitmapInfo(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5, KelArg a6, KelArg a7,
                                     KelArg a8);
KELINT_API KelArg OpenMpeg(KelArg a1, KelArg a2, KelArg a3, KelArg a4);

// ---- KELSGI32, KELRAS32, KELXPM32 (plain codec call shapes) -----------------------------------
KELINT_API HGLOBAL ReadRGBBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, int warnings);
KELINT_API HGLOBAL OpenRGB(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                           HPALETTE* palette, int warnings);
KELINT_API int WriteRGB(const char* path, HGLOBAL dib, int options);
KELINT_API HGLOBAL ReadRASBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, int warnings);
KELINT_API HGLOBAL OpenRAS(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                           HPALETTE* palette, int warnings);
KELINT_API int WriteRAS(const char* path, HGLOBAL dib, int options);
KELINT_API HGLOBAL ReadXPMBitmapInfo(const char* path, char* format, HGLOBAL* techInfo, int warnings);
KELINT_API HGLOBAL OpenXPM(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                           HPALETTE* palette, int warnings);
KELINT_API int WriteXPM(const char* path, HGLOBAL dib, int options);
KELINT_API HGLOBAL ReadXBMBitmapInfo(const char* path, char* format, HGLOBAL* techInfo, int warnings);
KELINT_API HGLOBAL OpenXBM(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                           HPALETTE* palette, int warnings);
KELINT_API int WriteXBM(const char* path, HGLOBAL dib, int options);
