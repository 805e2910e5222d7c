// Bounded waits of a user-interface thread that keep answering the messages other threads send
// it: a thread that waits without doing so would stall every window of another thread that
// talks to one of its windows (an MDI child created elsewhere talks to the MDI client).
#pragma once

#include <windows.h>

namespace kelapp {

// Waits for `object` at most `ms` milliseconds; true when it was signalled (or abandoned).
bool waitAnsweringSent(HANDLE object, DWORD ms);

// Waits until `wnd` no longer exists, at most `ms` milliseconds; true when it is gone.
bool waitUntilGone(HWND wnd, DWORD ms);

} // namespace kelapp
