// The dispatcher's table of codec and player libraries and the on-demand loader behind every
// forwarder (not exported).
#pragma once

#include "app_state.h"

#include <windows.h>

#include <cstddef>
#include <string_view>

namespace kelint {

// Libraries in the order FreeDlls releases them.
enum class Lib { Io, Gif, Pcx, Tif, Wpg, Flc, Jpg, Pcd, Ics, Avi, Mm, Mpg, Png, Sgi, Ras, Xpm, Count };

enum LoadFlags : unsigned {
    kLoudLoad = 0,
    kQuietErrors = 1, // the system's critical-error boxes are off while the library loads
    kSilent = 2,      // a failed load shows no "Can't load" message
};

constexpr size_t kMaxEntries = 32;

struct Library {
    const char* file;
    const char* const* names; // entry points looked up by name once the library is loaded
    size_t count;
    unsigned flags;
    // Runs once the entries are looked up; its result becomes the resolved flag, so a library
    // whose initialisation fails is initialised again on its next call.
    bool (*init)(Library& lib);
    HMODULE handle;
    bool resolved;
    FARPROC entries[kMaxEntries];
};

Library& library(Lib which);

// The application state handed over by InitKelInt (null before it).
AppState* app();
void setApp(AppState* app);

// Loads and resolves a library on first use. A failed load shows "Can't load <file>" unless the
// library loads silently or `report` is false, and is tried again on the next call.
bool ensureLoaded(Library& lib, bool report = true);

// The entry pointer as the type of the library's function, or null when the library lacks it.
// (Through void (*)(), the one function type every other converts to and from without complaint.)
template <typename Fn> Fn entry(const Library& lib, size_t index)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(lib.entries[index]));
}

// Position of a name in an entry table, checked when the program is compiled.
template <size_t N> consteval size_t entryOf(const char* const (&names)[N], std::string_view name)
{
    for (size_t i = 0; i < N; ++i)
        if (std::string_view(names[i]) == name)
            return i;
    throw "no such entry";
}

// Loads the library and calls one of its entries with the arguments unchanged; 0 / null when the
// library cannot be loaded or lacks the entry.
template <typename R, typename... A> R forward(Lib which, size_t index, A... args)
{
    Library& lib = library(which);
    if (!ensureLoaded(lib))
        return R();
    auto fn = entry<R (*)(A...)>(lib, index);
    return fn ? fn(args...) : R();
}

// The entry tables: the names the libraries export, looked up when a library is loaded.
inline constexpr const char* kIoEntries[] = {
    "ReadLBMBitmapInfo", "OpenLBM", "WriteLBM", "ReadTGABitmapInfo", "OpenTGA", "WriteTGA", "ReadMACBitmapInfo",
    "OpenMAC", "ReadPICTBitmapInfo", "OpenPICT", "ReadRLEBitmapInfo", "OpenRLE", "ReadCEBitmapInfo", "OpenCE",
    "ReadIMGBitmapInfo", "OpenIMG", "ReadICOBitmapInfo", "OpenICO", "ReadCLPBitmapInfo", "OpenCLP",
    "ReadWMFBitmapInfo", "OpenWMF", "WriteWMF", "ReadDRWBitmapInfo", "OpenDRW"};
inline constexpr const char* kGifEntries[] = {"ReadGIFBitmapInfo", "OpenGIF", "WriteGIF"};
inline constexpr const char* kPcxEntries[] = {"ReadPCXBitmapInfo", "OpenPCX", "WritePCX"};
inline constexpr const char* kTifEntries[] = {"ReadTIFBitmapInfo", "OpenTIF", "WriteTIF", "CloseImag", "GetDllVersion"};
inline constexpr const char* kWpgEntries[] = {"ReadWPGBitmapInfo", "OpenWPG",           "WriteWPG",
                                              "GetWPGPalette",     "ReadCGMBitmapInfo", "OpenCGM"};
inline constexpr const char* kFlcEntries[] = {"ReadFLICBitmapInfo", "OpenFLIC",   "DisplayFlic",
                                              "OpenFLICWindow",     "ProcessPlayList", "HandlePlay",
                                              "ANIMRewind",         "InitFLICDll", "FLICWndRegisterClass"};
inline constexpr const char* kJpgEntries[] = {"ReadJPEGBitmapInfo", "OpenJPEG",    "WriteJPEG",
                                              "InitJPEGDll",        "ReadJPEGMem", "WriteJPEGMem"};
inline constexpr const char* kPcdEntries[] = {"ReadPCDBitmapInfo",   "OpenPCD",         "CheckPCDName", "GetPCDSize",
                                              "ConvertBoundingRect", "PCDSelectAltLut", "DoPCDsetLut"};
inline constexpr const char* kIcsEntries[] = {"ReadICSBitmapInfo", "OpenICS"};
inline constexpr const char* kAviEntries[] = {"AVIWndRegisterClass", "AVIWndGetDevice", "AVIPlayFullScreen",
                                              "OpenAVICover",        "OpenAVI",         "ReadAVIBitmapInfo",
                                              "OpenAVIWindow",       "GetAVIDib",       "AVICloseVideo",
                                              "AVIRewindVideo",      "InitAVIDll"};
inline constexpr const char* kMmEntries[] = {"ReadWAVBitmapInfo", "OpenWAV",          "ReadMIDIBitmapInfo",
                                             "OpenMIDI",          "OpenMMWindow",     "MMPlayFullScreen",
                                             "MMSoundClose",      "MMSoundStatus",    "InitMMDll",
                                             "MMWndRegisterClass"};
inline constexpr const char* kMpgEntries[] = {"ReadMPGBitmapInfo", "OpenMpeg", "InitMPGDll", "OpenMPGWindow"};
inline constexpr const char* kPngEntries[] = {"ReadPNGBitmapInfo", "OpenPNG", "WritePNG"};
inline constexpr const char* kSgiEntries[] = {"ReadRGBBitmapInfo", "OpenRGB", "WriteRGB"};
inline constexpr const char* kRasEntries[] = {"ReadRASBitmapInfo", "OpenRAS", "WriteRAS"};
inline constexpr const char* kXpmEntries[] = {"ReadXPMBitmapInfo", "OpenXPM",          "WriteXPM",
                                              "ReadXBMBitmapInfo", "OpenXBM",          "WriteXBM"};

} // namespace kelint
