#include "window_classes.h"

#include "cover_window.h"
#include "frame_class.h"
#include "kelint.h"
#include "pending_libraries.h"
#include "shell_state.h"

#include <string>

namespace kelapp {

namespace {

struct ClassRow {
    const char* name;
    WNDPROC procedure;
    UINT style;
    int classBytes, windowBytes;
    const char* icon;     // of the program, or null
    bool arrowCursor;
    HBRUSH background;    // a stock brush or a system colour + 1
    const char* menu;
};

// The classes whose windows this program has. Image windows, palette and histogram windows,
// thumbnail views with their cells and zoom, the slide show's windows and the hidden worker
// window register with their procedures.
const ClassRow kClasses[] = {
    {kFrameClass, FrameWndProc, CS_HREDRAW | CS_VREDRAW, kFrameClassBytes, 0, "ShowIcon", true,
     static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)), kFrameClass},
    {kCoverClass, CoverWndProc, 0, 2, kCoverWindowBytes, nullptr, false,
     reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1), nullptr},
};

bool exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

bool registerWindowClasses(HINSTANCE instance)
{
    int registered = 0;
    for (const ClassRow& row : kClasses) {
        WNDCLASSA wc{};
        wc.style = row.style;
        wc.lpfnWndProc = row.procedure;
        wc.cbClsExtra = row.classBytes;
        wc.cbWndExtra = row.windowBytes;
        wc.hInstance = instance;
        wc.hIcon = row.icon ? LoadIconA(instance, row.icon) : nullptr;
        wc.hCursor = row.arrowCursor ? LoadCursorA(nullptr, IDC_ARROW) : nullptr;
        wc.hbrBackground = row.background;
        wc.lpszMenuName = row.menu;
        wc.lpszClassName = row.name;
        if (!RegisterClassA(&wc)) {
            for (int i = 0; i < registered; ++i)
                UnregisterClassA(kClasses[i].name, instance);
            return false;
        }
        ++registered;
    }
    registerInvisibleClass(instance);
    return true;
}

void unregisterWindowClasses(HINSTANCE instance)
{
    for (const ClassRow& row : kClasses)
        UnregisterClassA(row.name, instance);
}

void probeOptionalComponents(HINSTANCE instance)
{
    ShellState& s = shell();
    // Only whether the files are there: nothing is loaded.
    s.hasVideo = exists(MakeDLLPathName(instance, "KelAVI32.dll"));
    s.hasSound = exists(MakeDLLPathName(instance, "KelMM32.dll"));
    s.hasMpeg = exists(MakeDLLPathName(instance, "KelMPG32.dll"));
    s.hasPhotoCd = exists(MakeDLLPathName(instance, "pcdlib32.dll"));
    appState().photoCD = s.hasPhotoCd ? 1 : 0;
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    s.hasTwain = exists(std::string(windows) + "\\TWAIN_32.DLL");
    const DWORD version = GetVersion();
    s.host16 = (version & 0x80000000) && LOBYTE(LOWORD(version)) == 3;
    s.oldNt = !(version & 0x80000000) && LOBYTE(LOWORD(version)) < 4;
}

} // namespace kelapp
