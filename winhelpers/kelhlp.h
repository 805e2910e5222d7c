// KELHLP32: the system's message box with a Help button (the dialog "ErrMsgHelp" of the
// application's resources) and the path of a module's help file. Plain exported functions
// (see kelhlp32.def).
#pragma once

#include <windows.h>

#ifdef __cplusplus
#define KELHLP_API extern "C"
#else
#define KELHLP_API
#endif

// Flags of ErrMsgHelp. Only the low 16 bits count. The icon bits (0x00F0) are also the value
// of the message beep played when the dialog opens.
enum {
    EMH_CANCEL = 0x0001,      // show Cancel (result 2)
    EMH_RETRY = 0x0002,       // show the third button, "&Retry" (result 4)
    EMH_YESNO = 0x0004,       // button 1 "&Yes", third button shown as "&No"
    EMH_FIELD = 0x0008,       // volume-label box, or with EMH_PASSWORD the password box
    EMH_STOP = 0x0010,        // icons; none of them: the application's "SHOWICON"
    EMH_QUESTION = 0x0020,
    EMH_EXCLAMATION = 0x0040,
    EMH_INFORMATION = 0x0080,
    EMH_CONTINUE = 0x0100,    // button 1 "&Continue"
    EMH_DELETE = 0x0200,      // third button shown as "&Delete"
    EMH_SKIP = 0x0400,        // third button shown as "&Skip"
    EMH_PASSWORD = 0x8000,    // with EMH_FIELD: collect a password of at most 8 characters
};

// Results of ErrMsgHelp.
enum {
    EMH_RESULT_FIRST = 1,  // OK, Yes, Continue
    EMH_RESULT_CANCEL = 2, // Cancel or the Esc key
    EMH_RESULT_THIRD = 4,  // Retry, No, Skip, Delete
};

// Shows the dialog "ErrMsgHelp" of `instance` owned by `owner` and returns the button pressed.
// `caption` and `text` are string numbers of `instance` when below 0x10000 (MAKEINTRESOURCE),
// otherwise texts; a caption of 0 or a missing caption string keeps the title "Error". The text
// is a format applied to the arguments. In password mode (EMH_FIELD | EMH_PASSWORD) the
// argument after the format's own arguments is a char buffer of at least 9 bytes that receives
// the typed password on button 1. The Help button opens `helpFile` at `helpContext`.
KELHLP_API int __cdecl ErrMsgHelp(HWND owner, HINSTANCE instance, DWORD helpContext, DWORD flags,
                                  const char* helpFile, const char* caption, const char* text, ...);

// The dialog procedure of "ErrMsgHelp"; its WM_INITDIALOG parameter comes from ErrMsgHelp.
KELHLP_API INT_PTR CALLBACK AppHelp(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

// Fills `buffer` (128 characters) with the help file path of `instance`'s module: the module
// path with its extension replaced by ".hlp", or ending in "?" when that would not fit.
KELHLP_API char* MakeHelpPathName(HINSTANCE instance, char* buffer);
