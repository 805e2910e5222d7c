// The entry of the message dialog: resolves caption and text, formats the message and runs the
// dialog with the wait cursor up while it is being created.
#include "format_args.h"
#include "kelhlp.h"
#include "message_dialog.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

using kelhlp::MessageDialog;

namespace {

bool isStringNumber(const char* p) { return reinterpret_cast<uintptr_t>(p) < 0x10000; }

UINT stringNumber(const char* p) { return UINT(reinterpret_cast<uintptr_t>(p)); }

} // namespace

int __cdecl ErrMsgHelp(HWND owner, HINSTANCE instance, DWORD helpContext, DWORD flags, const char* helpFile,
                       const char* caption, const char* text, ...)
{
    MessageDialog m;
    m.instance = instance;
    m.flags = WORD(flags);
    m.helpContext = helpContext;
    m.helpFile = helpFile;
    if (caption && !isStringNumber(caption))
        m.title = caption;
    else if (caption && LoadStringA(instance, stringNumber(caption), m.titleBuffer, kelhlp::kTitleChars) > 0)
        m.title = m.titleBuffer;

    char formatBuffer[kelhlp::kMessageChars] = "";
    const char* format = formatBuffer;
    if (text && !isStringNumber(text))
        format = text;
    else if (text)
        LoadStringA(instance, stringNumber(text), formatBuffer, sizeof formatBuffer);

    va_list args;
    va_start(args, text);
    va_list rest;
    va_copy(rest, args);
    vsnprintf(m.text, sizeof m.text, format, args);
    if (kelhlp::isPasswordBox(m.flags)) {
        kelhlp::skipFormatArguments(format, rest);
        m.password = va_arg(rest, char*);
    }
    va_end(rest);
    va_end(args);

    MessageBeep(m.flags & 0x00F0);
    const HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    const INT_PTR result = DialogBoxParamA(instance, "ErrMsgHelp", owner, AppHelp, reinterpret_cast<LPARAM>(&m));
    SetCursor(previous);
    // Without its dialog the question cannot be asked: answer as Cancel, which never lets a
    // caller go on with what it wanted to confirm.
    return result == EMH_RESULT_FIRST || result == EMH_RESULT_THIRD ? int(result) : EMH_RESULT_CANCEL;
}
