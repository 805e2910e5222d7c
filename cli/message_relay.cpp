#include "message_relay.h"

#include <cstdio>
#include <cstring>

namespace kelcli {

namespace {
thread_local MessageRelay* t_relay = nullptr;
}

MessageRelay::MessageRelay(int answer, bool echo)
    : hook_(SetWindowsHookExA(WH_CBT, hook, nullptr, GetCurrentThreadId())), answer_(answer), echo_(echo)
{
    t_relay = this;
}

MessageRelay::~MessageRelay()
{
    if (hook_)
        UnhookWindowsHookEx(hook_);
    t_relay = nullptr;
}

LRESULT CALLBACK MessageRelay::hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && t_relay) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char cls[16] = "";
        GetClassNameA(box, cls, sizeof cls);
        if (!std::strcmp(cls, "#32770")) {
            // A message box keeps its text in control 0xFFFF, the system's message dialog in 103.
            char text[512] = "";
            if (!GetDlgItemTextA(box, 0xFFFF, text, sizeof text) && !GetDlgItemTextA(box, 103, text, sizeof text))
                GetWindowTextA(box, text, sizeof text);
            t_relay->last_ = text;
            if (t_relay->echo_)
                std::fprintf(stderr, "kelcli: %s\n", text);
            if (t_relay->answer_) {
                PostMessageA(box, WM_COMMAND, WPARAM(t_relay->answer_), 0);
            } else {
                PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace kelcli
