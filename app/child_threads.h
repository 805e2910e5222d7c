// MDI children on user-interface threads of their own. The creating thread starts the thread
// suspended, raises its priority one step above normal, lets it run and waits (at most 5000 ms,
// answering messages other threads send it meanwhile) until the window exists. The thread creates
// the child through the platform's MDI creation and then runs the child's message loop. When no
// thread can be started the child is created through the MDI client on the calling thread.
//
// A child window's procedure ends its thread by posting WM_QUIT when the window is destroyed.
#pragma once

#include <windows.h>

#include <string>

namespace kelapp {

constexpr DWORD kChildCreationWaitMs = 5000;

struct ChildWindowParams {
    std::string className;
    std::string title;
    DWORD style = 0;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT;
    LPARAM param = 0; // creation data of the child (MDICREATESTRUCT::lParam)
};

// The child on a thread of its own, or (no thread) on this thread; null, after the image core's
// error 7, when it could not be made.
HWND createChildWindow(const ChildWindowParams& params);
// Only on a thread of its own; null when no thread could be started (`threadStarted` false), or
// the thread's window failed or did not appear in time.
HWND createChildOnThread(const ChildWindowParams& params, bool* threadStarted = nullptr);
// Through the MDI client on the calling thread.
HWND createChildHere(const ChildWindowParams& params);

} // namespace kelapp
