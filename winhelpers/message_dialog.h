// What one ErrMsgHelp call hands to its dialog. Each dialog keeps its own copy (through its
// WM_INITDIALOG parameter), so dialogs shown by different threads never share arguments.
#pragma once

#include <windows.h>

namespace kelhlp {

constexpr int kTitleChars = 30;    // a caption string of at most 29 characters
constexpr int kMessageChars = 256; // a message of at most 255 characters
constexpr int kPasswordChars = 8;
constexpr int kVolumeLabelChars = 11;

struct MessageDialog {
    HINSTANCE instance = nullptr; // templates, strings and "SHOWICON"
    WORD flags = 0;
    DWORD helpContext = 0;
    const char* helpFile = nullptr;
    const char* title = nullptr; // null keeps the template's "Error"
    char titleBuffer[kTitleChars] = "";
    char text[kMessageChars] = "";
    char* password = nullptr; // receives the password on button 1 (password box only)
};

inline bool isPasswordBox(WORD flags) { return (flags & 0x8008) == 0x8008; }
inline bool isVolumeLabelBox(WORD flags) { return (flags & 0x8008) == 0x0008; }

} // namespace kelhlp
