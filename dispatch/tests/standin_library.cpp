// A stand-in for any codec or player library in the dispatcher's tests. Copied under a library's
// file name, it exports every entry of every library and records each call in the process
// environment as "File.dll:Entry(a1,a2,...)" lines (KEL_STANDIN_CALLS, low 32 bits of each
// argument in hex), its loads and unloads by file name (KEL_STANDIN_LOADS, KEL_STANDIN_UNLOADS),
// and returns the number in KEL_STANDIN_RESULT (1 when unset). Copied as Spin32.dll it registers
// the "KelSpin" window class while loaded. Only the argument count each library's entry really
// takes is recorded; the other parameters are never touched.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HMODULE g_self;
char g_name[MAX_PATH];

void append(const char* variable, const char* text)
{
    static char buffer[32767];
    DWORD n = GetEnvironmentVariableA(variable, buffer, sizeof buffer);
    if (n >= sizeof buffer)
        n = 0;
    buffer[n] = 0;
    std::strncat(buffer, text, sizeof buffer - n - 1);
    SetEnvironmentVariableA(variable, buffer);
}

intptr_t result()
{
    char text[32];
    const DWORD n = GetEnvironmentVariableA("KEL_STANDIN_RESULT", text, sizeof text);
    return n && n < sizeof text ? intptr_t(std::strtoll(text, nullptr, 0)) : 1;
}

intptr_t record(const char* entry, int count, const intptr_t* args)
{
    char line[1024];
    int n = std::snprintf(line, sizeof line, "%s:%s(", g_name, entry);
    for (int i = 0; i < count; ++i)
        n += std::snprintf(line + n, sizeof line - n, i ? ",%x" : "%x", unsigned(uint32_t(args[i])));
    std::snprintf(line + n, sizeof line - n, ")\n");
    append("KEL_STANDIN_CALLS", line);
    return result();
}

} // namespace

#define STANDIN_PARAMS                                                                                                 \
    intptr_t a1, intptr_t a2, intptr_t a3, intptr_t a4, intptr_t a5, intptr_t a6, intptr_t a7, intptr_t a8,           \
        intptr_t a9, intptr_t a10, intptr_t a11, intptr_t a12, intptr_t a13, intptr_t a14, intptr_t a15, intptr_t a16, \
        intptr_t a17
#define ENTRY(name, count)                                                                                             \
    extern "C" __declspec(dllexport) intptr_t name(STANDIN_PARAMS)                                                     \
    {                                                                                                                  \
        const intptr_t args[] = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16, a17};      \
        return record(#name, count, args);                                                                             \
    }
// Entries of more than 17 arguments record only what they receive in registers and the first
// stack slots the caller filled; OpenGIF's 18 arguments are read through its own signature.
#define ENTRY18(name)                                                                                                  \
    extern "C" __declspec(dllexport) intptr_t name(STANDIN_PARAMS, intptr_t a18)                                       \
    {                                                                                                                  \
        const intptr_t args[] = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14, a15, a16, a17, a18}; \
        return record(#name, 18, args);                                                                                \
    }

// KELIO32
ENTRY(ReadLBMBitmapInfo, 3) ENTRY(OpenLBM, 5) ENTRY(WriteLBM, 3) ENTRY(ReadTGABitmapInfo, 3) ENTRY(OpenTGA, 6)
ENTRY(WriteTGA, 5) ENTRY(ReadMACBitmapInfo, 3) ENTRY(OpenMAC, 5) ENTRY(ReadPICTBitmapInfo, 3) ENTRY(OpenPICT, 5)
ENTRY(ReadRLEBitmapInfo, 3) ENTRY(OpenRLE, 5) ENTRY(ReadCEBitmapInfo, 3) ENTRY(OpenCE, 5) ENTRY(ReadIMGBitmapInfo, 3)
ENTRY(OpenIMG, 5) ENTRY(ReadICOBitmapInfo, 3) ENTRY(OpenICO, 5) ENTRY(ReadCLPBitmapInfo, 2) ENTRY(OpenCLP, 2)
ENTRY(ReadWMFBitmapInfo, 5) ENTRY(OpenWMF, 7) ENTRY(WriteWMF, 2) ENTRY(ReadDRWBitmapInfo, 4) ENTRY(OpenDRW, 8)
// KELPCD32, KELICS32, KELTIF32
ENTRY(ReadPCDBitmapInfo, 8) ENTRY(OpenPCD, 9) ENTRY(CheckPCDName, 2) ENTRY(GetPCDSize, 2)
ENTRY(ConvertBoundingRect, 5) ENTRY(PCDSelectAltLut, 3) ENTRY(DoPCDsetLut, 1)
ENTRY(ReadICSBitmapInfo, 5) ENTRY(OpenICS, 7)
ENTRY(ReadTIFBitmapInfo, 5) ENTRY(OpenTIF, 9) ENTRY(WriteTIF, 4) ENTRY(CloseImag, 1)
#ifndef STANDIN_NO_VERSION
ENTRY(GetDllVersion, 0)
#endif
// KELGIF32 (the library's information entry takes the display-warnings flag as a sixth argument)
ENTRY(ReadGIFBitmapInfo, 6) ENTRY18(OpenGIF) ENTRY(WriteGIF, 9)
// KELPCX32, KELPNG32 (OpenPNG takes 17 arguments)
ENTRY(ReadPCXBitmapInfo, 4) ENTRY(OpenPCX, 7) ENTRY(WritePCX, 3)
ENTRY(ReadPNGBitmapInfo, 6) ENTRY(OpenPNG, 17) ENTRY(WritePNG, 6)
// KELFLC32 with its initialisation
ENTRY(ReadFLICBitmapInfo, 6) ENTRY(OpenFLIC, 8) ENTRY(DisplayFlic, 3) ENTRY(OpenFLICWindow, 2)
ENTRY(ProcessPlayList, 3) ENTRY(HandlePlay, 2) ENTRY(ANIMRewind, 1) ENTRY(InitFLICDll, 10)
ENTRY(FLICWndRegisterClass, 1)
// KELWPG32
ENTRY(ReadWPGBitmapInfo, 4) ENTRY(OpenWPG, 9) ENTRY(WriteWPG, 4) ENTRY(GetWPGPalette, 1) ENTRY(ReadCGMBitmapInfo, 5)
ENTRY(OpenCGM, 11)
// KELJPG32 (the library's initialisation takes four arguments)
ENTRY(ReadJPEGBitmapInfo, 6) ENTRY(OpenJPEG, 2) ENTRY(WriteJPEG, 3) ENTRY(InitJPEGDll, 4) ENTRY(ReadJPEGMem, 2)
ENTRY(WriteJPEGMem, 4)
// KELAVI32
ENTRY(AVIWndRegisterClass, 1) ENTRY(AVIWndGetDevice, 1) ENTRY(AVIPlayFullScreen, 4) ENTRY(OpenAVICover, 2)
ENTRY(OpenAVI, 4) ENTRY(ReadAVIBitmapInfo, 3) ENTRY(OpenAVIWindow, 2) ENTRY(GetAVIDib, 1) ENTRY(AVICloseVideo, 1)
ENTRY(AVIRewindVideo, 1) ENTRY(InitAVIDll, 1)
// KELMM32, KELMPG32
ENTRY(ReadWAVBitmapInfo, 5) ENTRY(OpenWAV, 4) ENTRY(ReadMIDIBitmapInfo, 5) ENTRY(OpenMIDI, 4) ENTRY(OpenMMWindow, 2)
ENTRY(MMPlayFullScreen, 3) ENTRY(MMSoundClose, 0) ENTRY(MMSoundStatus, 0) ENTRY(InitMMDll, 9)
ENTRY(MMWndRegisterClass, 1)
ENTRY(ReadMPGBitmapInfo, 8) ENTRY(OpenMpeg, 4) ENTRY(InitMPGDll, 3) ENTRY(OpenMPGWindow, 2)
// KELSGI32, KELRAS32, KELXPM32
ENTRY(ReadRGBBitmapInfo, 4) ENTRY(OpenRGB, 7) ENTRY(WriteRGB, 3) ENTRY(ReadRASBitmapInfo, 4) ENTRY(OpenRAS, 7)
ENTRY(WriteRAS, 3) ENTRY(ReadXPMBitmapInfo, 4) ENTRY(OpenXPM, 7) ENTRY(WriteXPM, 3) ENTRY(ReadXBMBitmapInfo, 4)
ENTRY(OpenXBM, 7) ENTRY(WriteXBM, 3)

namespace {

LRESULT CALLBACK spinProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

bool isSpin() { return !_stricmp(g_name, "Spin32.dll"); }

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = self;
        char path[MAX_PATH] = "";
        GetModuleFileNameA(self, path, sizeof path);
        const char* slash = std::strrchr(path, '\\');
        std::snprintf(g_name, sizeof g_name, "%s", slash ? slash + 1 : path);
        char line[MAX_PATH + 2];
        std::snprintf(line, sizeof line, "%s\n", g_name);
        append("KEL_STANDIN_LOADS", line);
        if (isSpin()) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = spinProc;
            wc.hInstance = self;
            wc.lpszClassName = "KelSpin";
            wc.style = CS_GLOBALCLASS;
            RegisterClassA(&wc);
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        if (isSpin())
            UnregisterClassA("KelSpin", g_self);
        char line[MAX_PATH + 2];
        std::snprintf(line, sizeof line, "%s\n", g_name);
        append("KEL_STANDIN_UNLOADS", line);
    }
    return TRUE;
}
