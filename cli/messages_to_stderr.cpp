#include "messages_to_stderr.h"

#include <cstdio>
#include <cstring>

namespace kelcli {

namespace {

LRESULT CALLBACK onActivate(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND dialog = reinterpret_cast<HWND>(wParam);
        char cls[16] = "";
        GetClassNameA(dialog, cls, sizeof cls);
        if (!std::strcmp(cls, "#32770")) {
            // A message box keeps its text in control 0xFFFF, the system's message dialog in 103.
            char text[512] = "";
            if (!GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text))
                GetDlgItemTextA(dialog, 103, text, sizeof text);
            std::fprintf(stderr, "kelcli: %s\n", text);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

MessagesToStderr::MessagesToStderr() : hook_(SetWindowsHookExA(WH_CBT, onActivate, nullptr, GetCurrentThreadId())) {}

MessagesToStderr::~MessagesToStderr()
{
    if (hook_)
        UnhookWindowsHookEx(hook_);
}

} // namespace kelcli
