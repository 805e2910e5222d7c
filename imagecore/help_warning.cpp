// Warnings that have a help topic go through the message dialog of the window helper library,
// bound when first needed so that the image core still works (with a plain box) without it.
#include "imagecore_internal.h"
#include "keldll.h"

namespace keldll {

namespace {

using ErrMsgHelpFn = int(__cdecl*)(HWND, HINSTANCE, DWORD, DWORD, const char*, const char*, const char*, ...);

constexpr DWORD kExclamation = 0x0040; // the dialog's exclamation icon (and its message beep)

ErrMsgHelpFn errMsgHelp()
{
    HMODULE helpers = GetModuleHandleA("KELHLP32.dll");
    if (!helpers) {
        const UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        helpers = LoadLibraryA("KELHLP32.dll"); // stays loaded for the process, as a link would
        SetErrorMode(old);
    }
    return helpers ? reinterpret_cast<ErrMsgHelpFn>(reinterpret_cast<void*>(GetProcAddress(helpers, "ErrMsgHelp")))
                   : nullptr;
}

} // namespace

void showHelpWarning(DWORD helpContext, UINT captionId, UINT textId)
{
    AppState* state = app();
    HWND owner = state ? state->frameWnd : nullptr;
    if (ErrMsgHelpFn show = errMsgHelp(); show && state) {
        show(owner, state->appInstance, helpContext, kExclamation, state->helpFile, MAKEINTRESOURCEA(captionId),
             MAKEINTRESOURCEA(textId));
        return;
    }
    char caption[64], text[256];
    loadAppString(captionId, caption, sizeof caption);
    loadAppString(textId, text, sizeof text);
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONWARNING);
}

} // namespace keldll
