// The system's message dialog with a help topic (ErrMsgHelp of KELHLP32), for messages that
// take one text insert.
#pragma once

#include <windows.h>

namespace kelnet {

int errMsgHelp(HWND owner, HINSTANCE instance, DWORD helpContext, DWORD flags, const char* helpFile,
               const char* caption, const char* text, const char* insert);

} // namespace kelnet
