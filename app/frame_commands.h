// The frame's command dispatch: every menu, accelerator and toolbar command reaching the frame is
// carried out here, forwarded to the active MDI child, or handed to the part of the program that
// owns it. Unless a command says otherwise, the status line shows 1121 afterwards.
#pragma once

#include <windows.h>

#include <string>

namespace kelapp {

// WM_COMMAND of the frame; false for ids the default frame procedure handles (the MDI window list).
bool frameCommand(HWND frame, WPARAM wParam, LPARAM lParam);

// The option toggles and choices of the Options menu and its popups.
bool isOptionCommand(UINT id);
void optionCommand(HWND frame, UINT id);

// The text lParam points at, when it points at readable memory (at most MAX_PATH characters).
bool readableText(LPARAM lParam, std::string* text);

} // namespace kelapp
