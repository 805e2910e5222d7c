// The frame window of the program (class KELWClass): created once at start-up; its procedure is
// FrameWndProc (frame_class.h).
#pragma once

#include "options.h"

#include <windows.h>

namespace kelapp {

// An overlapped window that clips its children, titled `title`, at the placement of "Screen".
HWND createFrameWindow(const char* title, const FramePlacement& placement);

} // namespace kelapp
