// Forwarders of the raster and vector codec libraries: PCX, GIF, PNG, SGI, Sun raster, XPM/XBM,
// ICS, TIFF and WPG/CGM.
#include "kelint.h"
#include "library_table.h"

using namespace kelint;

// ---- KELPCX32 --------------------------------------------------------------------------------
HGLOBAL ReadPCXBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, int warnings)
{
    return forward<HGLOBAL>(Lib::Pcx, entryOf(kPcxEntries, "ReadPCXBitmapInfo"), file, format, techInfo, warnings);
}
HGLOBAL OpenPCX(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                HPALETTE* palette, int warnings)
{
    return forward<HGLOBAL>(Lib::Pcx, entryOf(kPcxEntries, "OpenPCX"), path, instance, format, info, techInfo,
                            palette, warnings);
}
int WritePCX(const char* path, HGLOBAL dib, int options)
{
    return forward<int>(Lib::Pcx, entryOf(kPcxEntries, "WritePCX"), path, dib, options);
}

// ---- KELGIF32 --------------------------------------------------------------------------------
HGLOBAL ReadGIFBitmapinfo(HANDLE file, int techText, char* format, HGLOBAL* techInfo, HBRUSH* background)
{
    return forward<HGLOBAL>(Lib::Gif, entryOf(kGifEntries, "ReadGIFBitmapInfo"), file, techText, format, techInfo,
                            background, 0);
}
HGLOBAL OpenGIF(HWND frame, const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                HPALETTE* palette, HGLOBAL* playList, HBRUSH* background, int warnings, int /*autoDither*/,
                HGLOBAL* title, HGLOBAL* comment, HWND* statusWnd, WORD* continueFlag, HBITMAP* firstFrame,
                int* transparent, COLORREF* transparentColour)
{
    const int autoDither = app() ? app()->autoDither : 0;
    return forward<HGLOBAL>(Lib::Gif, entryOf(kGifEntries, "OpenGIF"), frame, path, instance, format, info, techInfo,
                            palette, playList, background, warnings, autoDither, title, comment, statusWnd,
                            continueFlag, firstFrame, transparent, transparentColour);
}
int WriteGIF(const char* path, HGLOBAL dib, int warnings, int options, KelArg ignored1, const char* comment,
             KelArg ignored2, int* transparent, COLORREF* transparentColour)
{
    return forward<int>(Lib::Gif, entryOf(kGifEntries, "WriteGIF"), path, dib, warnings, options, ignored1, comment,
                        ignored2, transparent, transparentColour);
}

// ---- KELPNG32 --------------------------------------------------------------------------------
HGLOBAL ReadPNGBitmapInfo(HANDLE file, KelArg ignored, char* format, HGLOBAL* techInfo, KelArg extra1, KelArg extra2)
{
    return forward<HGLOBAL>(Lib::Png, entryOf(kPngEntries, "ReadPNGBitmapInfo"), file, ignored, format, techInfo,
                            extra1, extra2);
}
HGLOBAL OpenPNG(KelArg ignored, const char* path, HINSTANCE instance, KelArg ignored2, HGLOBAL* info,
                HGLOBAL* techInfo, KelArg i1, KelArg i2, KelArg i3, KelArg i4, KelArg i5, KelArg i6, HGLOBAL* title,
                HGLOBAL* description, KelArg i7, KelArg i8)
{
    return forward<HGLOBAL>(Lib::Png, entryOf(kPngEntries, "OpenPNG"), ignored, path, instance, ignored2, info,
                            techInfo, i1, i2, i3, i4, i5, i6, title, description, i7, i8, KelArg(0));
}
int WritePNG(const char* path, HGLOBAL dib, KelArg ignored1, KelArg ignored2, const char* title,
             const char* description)
{
    return forward<int>(Lib::Png, entryOf(kPngEntries, "WritePNG"), path, dib, ignored1, ignored2, title,
                        description);
}

// ---- KELSGI32, KELRAS32, KELXPM32 ------------------------------------------------------------
HGLOBAL ReadRGBBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, int warnings)
{
    return forward<HGLOBAL>(Lib::Sgi, entryOf(kSgiEntries, "ReadRGBBitmapInfo"), file, format, techInfo, warnings);
}
HGLOBAL OpenRGB(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                HPALETTE* palette, int warnings)
{
    return forward<HGLOBAL>(Lib::Sgi, entryOf(kSgiEntries, "OpenRGB"), path, instance, format, info, techInfo,
                            palette, warnings);
}
int WriteRGB(const char* path, HGLOBAL dib, int options)
{
    return forward<int>(Lib::Sgi, entryOf(kSgiEntries, "WriteRGB"), path, dib, options);
}
HGLOBAL ReadRASBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, int warnings)
{
    return forward<HGLOBAL>(Lib::Ras, entryOf(kRasEntries, "ReadRASBitmapInfo"), file, format, techInfo, warnings);
}
HGLOBAL OpenRAS(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                HPALETTE* palette, int warnings)
{
    return forward<HGLOBAL>(Lib::Ras, entryOf(kRasEntries, "OpenRAS"), path, instance, format, info, techInfo,
                            palette, warnings);
}
int WriteRAS(const char* path, HGLOBAL dib, int options)
{
    return forward<int>(Lib::Ras, entryOf(kRasEntries, "WriteRAS"), path, dib, options);
}
HGLOBAL ReadXPMBitmapInfo(const char* path, char* format, HGLOBAL* techInfo, int warnings)
{
    return forward<HGLOBAL>(Lib::Xpm, entryOf(kXpmEntries, "ReadXPMBitmapInfo"), path, format, techInfo, warnings);
}
HGLOBAL OpenXPM(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                HPALETTE* palette, int warnings)
{
    return forward<HGLOBAL>(Lib::Xpm, entryOf(kXpmEntries, "OpenXPM"), path, instance, format, info, techInfo,
                            palette, warnings);
}
int WriteXPM(const char* path, HGLOBAL dib, int options)
{
    return forward<int>(Lib::Xpm, entryOf(kXpmEntries, "WriteXPM"), path, dib, options);
}
HGLOBAL ReadXBMBitmapInfo(const char* path, char* format, HGLOBAL* techInfo, int warnings)
{
    return forward<HGLOBAL>(Lib::Xpm, entryOf(kXpmEntries, "ReadXBMBitmapInfo"), path, format, techInfo, warnings);
}
HGLOBAL OpenXBM(const char* path, HINSTANCE instance, char* format, HGLOBAL* info, HGLOBAL* techInfo,
                HPALETTE* palette, int warnings)
{
    return forward<HGLOBAL>(Lib::Xpm, entryOf(kXpmEntries, "OpenXBM"), path, instance, format, info, techInfo,
                            palette, warnings);
}
int WriteXBM(const char* path, HGLOBAL dib, int options)
{
    return forward<int>(Lib::Xpm, entryOf(kXpmEntries, "WriteXBM"), path, dib, options);
}

// ---- KELICS32 --------------------------------------------------------------------------------
HGLOBAL ReadICSBitmapInfo(const char* headerFile, char* format, HGLOBAL* techInfo, KelArg ignored1, KelArg ignored2)
{
    return forward<HGLOBAL>(Lib::Ics, entryOf(kIcsEntries, "ReadICSBitmapInfo"), headerFile, format, techInfo,
                            ignored1, ignored2);
}
HGLOBAL OpenICS(const char* headerFile, HINSTANCE instance, char* format, HGLOBAL* techInfo, HPALETTE* palette,
                KelArg ignored1, KelArg ignored2)
{
    return forward<HGLOBAL>(Lib::Ics, entryOf(kIcsEntries, "OpenICS"), headerFile, instance, format, techInfo,
                            palette, ignored1, ignored2);
}

// ---- KELTIF32 --------------------------------------------------------------------------------
HGLOBAL ReadTIFBitmapinfo(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5)
{
    return forward<HGLOBAL>(Lib::Tif, entryOf(kTifEntries, "ReadTIFBitmapInfo"), a1, a2, a3, a4, a5);
}
HGLOBAL OpenTIF(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5, KelArg a6, KelArg a7, KelArg a8, KelArg a9)
{
    return forward<HGLOBAL>(Lib::Tif, entryOf(kTifEntries, "OpenTIF"), a1, a2, a3, a4, a5, a6, a7, a8, a9);
}
int WriteTIF(KelArg a1, KelArg a2, KelArg a3, KelArg a4)
{
    return forward<int>(Lib::Tif, entryOf(kTifEntries, "WriteTIF"), a1, a2, a3, a4);
}
int CloseImag(KelArg image) { return forward<int>(Lib::Tif, entryOf(kTifEntries, "CloseImag"), image); }
int GetTiffDllVersion(void) { return forward<int>(Lib::Tif, entryOf(kTifEntries, "GetDllVersion")); }

// ---- KELWPG32 --------------------------------------------------------------------------------
HGLOBAL ReadWPGBitmapInfo(HANDLE file, char* format, KelArg unused, HGLOBAL* picture)
{
    return forward<HGLOBAL>(Lib::Wpg, entryOf(kWpgEntries, "ReadWPGBitmapInfo"), file, format, unused, picture);
}
HGLOBAL OpenWPG(HWND owner, const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, HGLOBAL info,
                HPALETTE* palette, HGLOBAL* picture, int render)
{
    return forward<HGLOBAL>(Lib::Wpg, entryOf(kWpgEntries, "OpenWPG"), owner, path, instance, format, techInfo, info,
                            palette, picture, render);
}
int WriteWPG(HGLOBAL dib, HGLOBAL picture, HPALETTE palette, const char* path)
{
    return forward<int>(Lib::Wpg, entryOf(kWpgEntries, "WriteWPG"), dib, picture, palette, path);
}
HPALETTE GetWPGPalette(HPALETTE unused)
{
    return forward<HPALETTE>(Lib::Wpg, entryOf(kWpgEntries, "GetWPGPalette"), unused);
}
HGLOBAL ReadCGMBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, HGLOBAL* picture, HBRUSH* background)
{
    return forward<HGLOBAL>(Lib::Wpg, entryOf(kWpgEntries, "ReadCGMBitmapInfo"), file, format, techInfo, picture,
                            background);
}
HGLOBAL OpenCGM(HWND wnd, const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, HGLOBAL info,
                HPALETTE* palette, HGLOBAL* picture, HBRUSH* background, int makeDib, HGLOBAL* title)
{
    return forward<HGLOBAL>(Lib::Wpg, entryOf(kWpgEntries, "OpenCGM"), wnd, path, instance, format, techInfo, info,
                            palette, picture, background, makeDib, title);
}
