// Forwarders of the animation, video, sound and MPEG players, and their initialisation on load.
#include "kelint.h"
#include "library_table.h"

using namespace kelint;

namespace kelint {

namespace {

HWND frame() { return app() ? app()->frameWnd : nullptr; }
HWND mdiClient() { return app() ? app()->mdiClient : nullptr; }
HINSTANCE instance() { return app() ? app()->appInstance : nullptr; }
const char* helpFile() { return app() ? app()->helpFile : ""; }

// The six application state fields the players share, in the order they receive them: OLE
// editing, accelerators, child count, current catalog, frame menu, cover window.
template <typename Fn, typename... Extra> auto callWithSharedFields(Fn fn, Extra... extra)
{
    AppState* a = app();
    return fn(frame(), mdiClient(), instance(), a ? &a->oleEditing : nullptr, a ? &a->accelerators : nullptr,
              a ? &a->childCount : nullptr, a ? &a->currentCatalog : nullptr, a ? &a->frameMenu : nullptr,
              a ? &a->coverWnd : nullptr, extra...);
}

using SharedFieldsInit = KelArg (*)(HWND, HWND, HINSTANCE, int32_t*, HACCEL*, int32_t*, CatalogDescriptor*, HMENU*,
                                    HWND*);
using SharedFieldsHelpInit = KelArg (*)(HWND, HWND, HINSTANCE, int32_t*, HACCEL*, int32_t*, CatalogDescriptor*,
                                        HMENU*, HWND*, const char*);
using RegisterClassFn = KelArg (*)(HINSTANCE);

// The class registration's result, as a 16-bit value, says whether the library is ready.
bool registered(const Library& lib, size_t index)
{
    auto reg = entry<RegisterClassFn>(lib, index);
    return reg && uint16_t(reg(instance())) != 0;
}

} // namespace

bool initFlc(Library& lib)
{
    if (auto init = entry<SharedFieldsHelpInit>(lib, entryOf(kFlcEntries, "InitFLICDll")))
        callWithSharedFields(init, helpFile());
    return registered(lib, entryOf(kFlcEntries, "FLICWndRegisterClass"));
}

bool initMm(Library& lib)
{
    if (auto init = entry<SharedFieldsInit>(lib, entryOf(kMmEntries, "InitMMDll")))
        callWithSharedFields(init);
    return registered(lib, entryOf(kMmEntries, "MMWndRegisterClass"));
}

bool initAvi(Library& lib)
{
    if (auto init = entry<KelArg (*)(AppState*)>(lib, entryOf(kAviEntries, "InitAVIDll")))
        init(app());
    return registered(lib, entryOf(kAviEntries, "AVIWndRegisterClass"));
}

bool initMpg(Library& lib)
{
    if (auto init = entry<KelArg (*)(HWND, HINSTANCE, const char*)>(lib, entryOf(kMpgEntries, "InitMPGDll")))
        init(frame(), instance(), helpFile());
    return true;
}

} // namespace kelint

// ---- KELFLC32 --------------------------------------------------------------------------------
HGLOBAL ReadFLICBitmapinfo(HANDLE file, KelArg ignored, char* format, HGLOBAL* techInfo, HGLOBAL* animation,
                           int warnings)
{
    return forward<HGLOBAL>(Lib::Flc, entryOf(kFlcEntries, "ReadFLICBitmapInfo"), file, ignored, format, techInfo,
                            animation, warnings);
}
HGLOBAL OpenFLIC(KelArg ignored, const char* path, HINSTANCE instance, char* format, HGLOBAL* info,
                 HGLOBAL* techInfo, HGLOBAL* animation, KelArg ignored2)
{
    return forward<HGLOBAL>(Lib::Flc, entryOf(kFlcEntries, "OpenFLIC"), ignored, path, instance, format, info,
                            techInfo, animation, ignored2);
}
int DisplayFlic(HWND wnd, HGLOBAL animation, int noTimer)
{
    return forward<int>(Lib::Flc, entryOf(kFlcEntries, "DisplayFlic"), wnd, animation, noTimer);
}
HWND OpenFLICWindow(HGLOBAL imageRecord, DWORD style)
{
    return forward<HWND>(Lib::Flc, entryOf(kFlcEntries, "OpenFLICWindow"), imageRecord, style);
}
int ProcessPlayList(HWND wnd, HGLOBAL imageRecord, int erase)
{
    return forward<int>(Lib::Flc, entryOf(kFlcEntries, "ProcessPlayList"), wnd, imageRecord, erase);
}
int HandlePlay(HWND wnd, int step) { return forward<int>(Lib::Flc, entryOf(kFlcEntries, "HandlePlay"), wnd, step); }
int ANIMRewind(HWND wnd) { return forward<int>(Lib::Flc, entryOf(kFlcEntries, "ANIMRewind"), wnd); }

// ---- KELAVI32 --------------------------------------------------------------------------------
int AVIWndRegisterClass(HINSTANCE instance)
{
    return forward<int>(Lib::Avi, entryOf(kAviEntries, "AVIWndRegisterClass"), instance);
}
UINT AVIWndGetDevice(HWND wnd) { return forward<UINT>(Lib::Avi, entryOf(kAviEntries, "AVIWndGetDevice"), wnd); }
UINT AVIPlayFullScreen(HWND wnd, const char* path, int wait, void* control)
{
    return forward<UINT>(Lib::Avi, entryOf(kAviEntries, "AVIPlayFullScreen"), wnd, path, wait, control);
}
int OpenAVICover(HWND wnd, const char* path)
{
    return forward<int>(Lib::Avi, entryOf(kAviEntries, "OpenAVICover"), wnd, path);
}
int OpenAVI(const char* path, KelArg ignored1, KelArg ignored2, KelArg ignored3)
{
    return forward<int>(Lib::Avi, entryOf(kAviEntries, "OpenAVI"), path, ignored1, ignored2, ignored3);
}
HGLOBAL ReadAVIBitmapInfo(KelArg ignored, char* format, HGLOBAL* techInfo)
{
    return forward<HGLOBAL>(Lib::Avi, entryOf(kAviEntries, "ReadAVIBitmapInfo"), ignored, format, techInfo);
}
HWND OpenAVIWindow(HGLOBAL imageRecord, DWORD style)
{
    return forward<HWND>(Lib::Avi, entryOf(kAviEntries, "OpenAVIWindow"), imageRecord, style);
}
int GetAVIDib(HWND wnd) { return forward<int>(Lib::Avi, entryOf(kAviEntries, "GetAVIDib"), wnd); }
int AVICloseVideo(HWND wnd) { return forward<int>(Lib::Avi, entryOf(kAviEntries, "AVICloseVideo"), wnd); }
UINT AVIRewindVideo(HWND wnd) { return forward<UINT>(Lib::Avi, entryOf(kAviEntries, "AVIRewindVideo"), wnd); }

// ---- KELMM32 ---------------------------------------------------------------------------------
HGLOBAL ReadWAVBitmapInfo(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5)
{
    return forward<HGLOBAL>(Lib::Mm, entryOf(kMmEntries, "ReadWAVBitmapInfo"), a1, a2, a3, a4, a5);
}
KelArg OpenWAV(KelArg a1, KelArg a2, KelArg a3, KelArg a4)
{
    return forward<KelArg>(Lib::Mm, entryOf(kMmEntries, "OpenWAV"), a1, a2, a3, a4);
}
HGLOBAL ReadMIDIBitmapInfo(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5)
{
    return forward<HGLOBAL>(Lib::Mm, entryOf(kMmEntries, "ReadMIDIBitmapInfo"), a1, a2, a3, a4, a5);
}
KelArg OpenMIDI(KelArg a1, KelArg a2, KelArg a3, KelArg a4)
{
    return forward<KelArg>(Lib::Mm, entryOf(kMmEntries, "OpenMIDI"), a1, a2, a3, a4);
}
KelArg OpenMMWindow(KelArg a1, KelArg a2) { return forward<KelArg>(Lib::Mm, entryOf(kMmEntries, "OpenMMWindow"), a1, a2); }
KelArg MMPlayFullScreen(KelArg a1, KelArg a2, KelArg a3)
{
    return forward<KelArg>(Lib::Mm, entryOf(kMmEntries, "MMPlayFullScreen"), a1, a2, a3);
}
KelArg MMSoundClose(void) { return forward<KelArg>(Lib::Mm, entryOf(kMmEntries, "MMSoundClose")); }
KelArg MMSoundStatus(void) { return forward<KelArg>(Lib::Mm, entryOf(kMmEntries, "MMSoundStatus")); }

// ---- KELMPG32 --------------------------------------------------------------------------------
HGLOBAL ReadMPGBitmapInfo(KelArg a1, KelArg a2, KelArg a3, KelArg a4, KelArg a5, KelArg a6, KelArg a7, KelArg a8)
{
    return forward<HGLOBAL>(Lib::Mpg, entryOf(kMpgEntries, "ReadMPGBitmapInfo"), a1, a2, a3, a4, a5, a6, a7, a8);
}
KelArg OpenMpeg(KelArg a1, KelArg a2, KelArg a3, KelArg a4)
{
    return forward<KelArg>(Lib::Mpg, entryOf(kMpgEntries, "OpenMpeg"), a1, a2, a3, a4);
}
