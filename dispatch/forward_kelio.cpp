// Forwarders of KELIO32, the library of the older raster and vector formats.
#include "kelint.h"
#include "library_table.h"

using namespace kelint;

// The entry of KELIO32 with this name, checked when compiled.
#define IO(name) entryOf(kIoEntries, #name)

HGLOBAL ReadLBMBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo)
{
    return forward<HGLOBAL>(Lib::Io, IO(ReadLBMBitmapInfo), file, format, techInfo);
}
HGLOBAL OpenLBM(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, HPALETTE* palette)
{
    return forward<HGLOBAL>(Lib::Io, IO(OpenLBM), path, instance, format, techInfo, palette);
}
int WriteLBM(const char* path, HGLOBAL dib, int options) { return forward<int>(Lib::Io, IO(WriteLBM), path, dib, options); }
HGLOBAL ReadTGABitmapInfo(HANDLE file, char* format, HGLOBAL* imageId)
{
    return forward<HGLOBAL>(Lib::Io, IO(ReadTGABitmapInfo), file, format, imageId);
}
HGLOBAL OpenTGA(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, HGLOBAL* imageId,
                HPALETTE* palette)
{
    return forward<HGLOBAL>(Lib::Io, IO(OpenTGA), path, instance, format, techInfo, imageId, palette);
}
int WriteTGA(const char* path, HGLOBAL dib, int options, char* format, HINSTANCE instance)
{
    return forward<int>(Lib::Io, IO(WriteTGA), path, dib, options, format, instance);
}
HGLOBAL ReadMACBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo)
{
    return forward<HGLOBAL>(Lib::Io, IO(ReadMACBitmapInfo), file, format, techInfo);
}
HGLOBAL OpenMAC(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, KelArg ignored)
{
    return forward<HGLOBAL>(Lib::Io, IO(OpenMAC), path, instance, format, techInfo, ignored);
}
HGLOBAL ReadPICTBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo)
{
    return forward<HGLOBAL>(Lib::Io, IO(ReadPICTBitmapInfo), file, format, techInfo);
}
HGLOBAL OpenPICT(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, HPALETTE* palette)
{
    return forward<HGLOBAL>(Lib::Io, IO(OpenPICT), path, instance, format, techInfo, palette);
}
HGLOBAL ReadRLEBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo)
{
    return forward<HGLOBAL>(Lib::Io, IO(ReadRLEBitmapInfo), file, format, techInfo);
}
HGLOBAL OpenRLE(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, KelArg ignored)
{
    return forward<HGLOBAL>(Lib::Io, IO(OpenRLE), path, instance, format, techInfo, ignored);
}
HGLOBAL ReadCEBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo)
{
    return forward<HGLOBAL>(Lib::Io, IO(ReadCEBitmapInfo), file, format, techInfo);
}
HGLOBAL OpenCE(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, KelArg ignored)
{
    return forward<HGLOBAL>(Lib::Io, IO(OpenCE), path, instance, format, techInfo, ignored);
}
HGLOBAL ReadIMGBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo)
{
    return forward<HGLOBAL>(Lib::Io, IO(ReadIMGBitmapInfo), file, format, techInfo);
}
HGLOBAL OpenIMG(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, KelArg ignored)
{
    return forward<HGLOBAL>(Lib::Io, IO(OpenIMG), path, instance, format, techInfo, ignored);
}
HGLOBAL ReadICOBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo)
{
    return forward<HGLOBAL>(Lib::Io, IO(ReadICOBitmapInfo), file, format, techInfo);
}
HGLOBAL OpenICO(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, KelArg ignored)
{
    return forward<HGLOBAL>(Lib::Io, IO(OpenICO), path, instance, format, techInfo, ignored);
}
HGLOBAL ReadCLPBitmapInfo(HANDLE file, void* imageRecord)
{
    return forward<HGLOBAL>(Lib::Io, IO(ReadCLPBitmapInfo), file, imageRecord);
}
HGLOBAL OpenCLP(HGLOBAL* image, char* format) { return forward<HGLOBAL>(Lib::Io, IO(OpenCLP), image, format); }
HGLOBAL ReadWMFBitmapInfo(HANDLE file, char* format, HGLOBAL* techInfo, KelArg unused, HGLOBAL* picture)
{
    return forward<HGLOBAL>(Lib::Io, IO(ReadWMFBitmapInfo), file, format, techInfo, unused, picture);
}
HGLOBAL OpenWMF(const char* path, HINSTANCE instance, char* format, HGLOBAL* techInfo, HPALETTE* palette,
                HBRUSH background, HGLOBAL* picture)
{
    return forward<HGLOBAL>(Lib::Io, IO(OpenWMF), path, instance, format, techInfo, palette, background, picture);
}
int WriteWMF(HGLOBAL imageRecord, const char* path) { return forward<int>(Lib::Io, IO(WriteWMF), imageRecord, path); }
HGLOBAL ReadDRWBitmapInfo(HANDLE file, char* format, KelArg ignored, HGLOBAL* picture)
{
    return forward<HGLOBAL>(Lib::Io, IO(ReadDRWBitmapInfo), file, format, ignored, picture);
}
HGLOBAL OpenDRW(HWND wnd, const char* path, KelArg ignored, char* format, HGLOBAL* techInfo, HPALETTE* palette,
                HGLOBAL* picture, int makeDib)
{
    return forward<HGLOBAL>(Lib::Io, IO(OpenDRW), wnd, path, ignored, format, techInfo, palette, picture, makeDib);
}
