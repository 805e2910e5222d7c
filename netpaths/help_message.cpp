#include "help_message.h"

#include <cstdint>
#include <cstdio>

namespace kelnet {

namespace {

using ErrMsgHelpFn = int (*)(HWND, HINSTANCE, DWORD, DWORD, const char*, const char*, const char*, ...);

ErrMsgHelpFn boundErrMsgHelp()
{
    static const ErrMsgHelpFn fn = [] {
        HMODULE helpers = LoadLibraryA("KELHLP32.dll");
        return helpers ? reinterpret_cast<ErrMsgHelpFn>(reinterpret_cast<void*>(GetProcAddress(helpers, "ErrMsgHelp")))
                       : nullptr;
    }();
    return fn;
}

bool isStringNumber(const char* text) { return reinterpret_cast<uintptr_t>(text) < 0x10000; }

// A caption or text argument as ErrMsgHelp reads it: a string number of the instance or the text.
void resolve(HINSTANCE instance, const char* text, const char* fallback, char* out, int size)
{
    if (!isStringNumber(text)) {
        snprintf(out, size_t(size), "%s", text);
        return;
    }
    const UINT id = UINT(reinterpret_cast<uintptr_t>(text));
    if (!id || !LoadStringA(instance, id, out, size))
        snprintf(out, size_t(size), "%s", fallback);
}

} // namespace

int errMsgHelp(HWND owner, HINSTANCE instance, DWORD helpContext, DWORD flags, const char* helpFile,
               const char* caption, const char* text, const char* insert)
{
    if (ErrMsgHelpFn fn = boundErrMsgHelp())
        return fn(owner, instance, helpContext, flags, helpFile, caption, text, insert);

    char title[30], format[256], message[256];
    resolve(instance, caption, "Error", title, sizeof title);
    resolve(instance, text, "", format, sizeof format);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    snprintf(message, sizeof message, format, insert);
#pragma GCC diagnostic pop
    UINT style = (flags & 0x0001) ? MB_OKCANCEL : MB_OK;
    if (flags & 0x0010)
        style |= MB_ICONSTOP;
    else if (flags & 0x0040)
        style |= MB_ICONEXCLAMATION;
    else if (flags & 0x0080)
        style |= MB_ICONINFORMATION;
    else if (flags & 0x0020)
        style |= MB_ICONQUESTION;
    return MessageBoxA(owner, message, title, style) == IDCANCEL ? 2 : 1;
}

} // namespace kelnet
