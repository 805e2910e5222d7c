// Help in the frame: the status line's help text for the menu item under the pointer, the help
// file's commands (index, keys, using the program, help on help), and help-cursor mode, in which
// the next command is not carried out but explained.
#pragma once

#include <windows.h>

namespace kelapp {

// How help is opened; the platform's WinHelp unless a test puts its own recorder here.
using HelpCall = BOOL (*)(HWND owner, const char* file, UINT command, ULONG_PTR data);
void setHelpCall(HelpCall call);
void openHelp(HWND owner, const char* file, UINT command, ULONG_PTR data);

// The help context of a command in help-cursor mode; 0 for a command without one.
DWORD helpContextOf(UINT command);

void enterHelpMode(HWND frame);
void leaveHelpMode(HWND frame);
bool inHelpMode();
// In help-cursor mode: opens the help on `command` (or says there is none) and ends the mode.
// True when the command was taken this way.
bool helpInsteadOfCommand(HWND frame, UINT command);
// In help-cursor mode a sub-menu that opens shows its help instead; true when it did.
bool helpInsteadOfPopup(HWND frame, HMENU popup);

// WM_MENUSELECT of the frame: the status help of the item (a child's menu asks the child).
void menuSelect(HWND frame, WPARAM wParam, LPARAM lParam);

} // namespace kelapp
