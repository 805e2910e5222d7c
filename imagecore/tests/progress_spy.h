// Records the progress messages a progress control receives, by subclassing it. The records are
// written on the control's own thread (where sent messages are delivered).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

class ProgressSpy {
public:
    explicit ProgressSpy(HWND progress) : progress_(progress)
    {
        SetPropA(progress, kProp, this);
        original_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(progress, GWLP_WNDPROC, LONG_PTR(proc)));
    }
    ~ProgressSpy()
    {
        if (IsWindow(progress_)) {
            SetWindowLongPtrA(progress_, GWLP_WNDPROC, LONG_PTR(original_));
            RemovePropA(progress_, kProp);
        }
    }
    ProgressSpy(const ProgressSpy&) = delete;
    ProgressSpy& operator=(const ProgressSpy&) = delete;

    std::vector<WPARAM> positions; // every PBM_SETPOS, in order
    std::vector<LPARAM> ranges;    // every PBM_SETRANGE's lParam (maximum << 16)

private:
    static constexpr const char* kProp = "KelProgressSpy";
    static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        auto* self = static_cast<ProgressSpy*>(GetPropA(w, kProp));
        if (m == PBM_SETPOS)
            self->positions.push_back(wp);
        else if (m == PBM_SETRANGE)
            self->ranges.push_back(lp);
        return CallWindowProcA(self->original_, w, m, wp, lp);
    }
    HWND progress_;
    WNDPROC original_ = nullptr;
};
