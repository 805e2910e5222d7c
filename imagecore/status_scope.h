// The status box of one long operation: opened on a window (when one is given) with a text in
// status bar part 1, closed on every way out. Not exported.
#pragma once

#include "imagecore_internal.h"
#include "keldll.h"

namespace keldll {

class StatusScope {
public:
    StatusScope(HWND wnd, const char* text) : open_(wnd != nullptr)
    {
        if (!open_)
            return;
        DisplayStatusBox(wnd, &goOn_, 0);
        setStatusText(1, text);
    }
    ~StatusScope()
    {
        if (open_)
            DestroyStatus();
    }
    StatusScope(const StatusScope&) = delete;
    StatusScope& operator=(const StatusScope&) = delete;
    // Reports `done` of `total` rows; false when the user cancelled.
    bool progress(int done, int total) const { return !open_ || UpdateStatus(DWORD(done), DWORD(total)) != 0; }

private:
    bool open_;
    WORD goOn_ = 1;
};

} // namespace keldll
