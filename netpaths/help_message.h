// The system's message dialog with a help topic, ErrMsgHelp of KELHLP32:
//   int ErrMsgHelp(HWND owner, HINSTANCE instance, DWORD helpContext, DWORD flags,
//                  const char* helpFile, const char* caption, const char* text, ...)
// answering 1 (OK, Yes), 2 (Cancel) or 4 (the third button). Caption and text below 0x10000 are
// string numbers of `instance`.
// KELHLP32 is not part of the build yet, so the entry is looked up in "KELHLP32.dll" at run time
// and a plain message box stands in when it is not there. Once KELHLP32 is in the tree this
// becomes a normal import of ErrMsgHelp.
#pragma once

#include <windows.h>

namespace kelnet {

// ErrMsgHelp with a format that takes one text insert.
int errMsgHelp(HWND owner, HINSTANCE instance, DWORD helpContext, DWORD flags, const char* helpFile,
               const char* caption, const char* text, const char* insert);

} // namespace kelnet
