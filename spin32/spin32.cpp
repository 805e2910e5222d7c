// The spin control "KelSpin": the platform's up-down control under the name the dialog templates
// use, registered for the whole process while the library is loaded. Dialogs drive it with the
// up-down control's messages (range, position, buddy).
#include <windows.h>

#include <commctrl.h>

namespace {

constexpr char kClassName[] = "KelSpin";

bool registerSpinClass(HINSTANCE self)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(nullptr, UPDOWN_CLASSA, &wc))
        return false;
    wc.lpszClassName = kClassName;
    wc.hInstance = self;
    wc.style |= CS_GLOBALCLASS;
    return RegisterClassExA(&wc) != 0;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(self);
        return registerSpinClass(self) ? TRUE : FALSE;
    }
    if (reason == DLL_PROCESS_DETACH)
        UnregisterClassA(kClassName, self);
    return TRUE;
}
