// The message loops of the program's user-interface threads. Every loop passes a message first
// to the modeless dialog set with WMU_SETMODELESS, then to the MDI system keys, then to the
// accelerator table the active window installed (AppState::accelerators), before it is
// translated and dispatched.
#pragma once

#include <windows.h>

namespace kelapp {

// The filters above; true when one of them took the message.
bool filterUiMessage(MSG& msg);
// Filters, then translates and dispatches.
void handleUiMessage(MSG& msg);

// The main thread's loop (the TWAIN source manager, while open, sees each message first).
// Returns the exit code of WM_QUIT.
int runMainLoop();

// The loop of a child window's own thread; it ends with WM_QUIT or when `window` is gone.
void runChildLoop(HWND window);

} // namespace kelapp
