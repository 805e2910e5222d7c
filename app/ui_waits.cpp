#include "ui_waits.h"

namespace kelapp {

namespace {

DWORD remaining(DWORD start, DWORD ms)
{
    const DWORD spent = GetTickCount() - start;
    return spent >= ms ? 0 : ms - spent;
}

// Lets the messages other threads sent to this one run, without taking posted messages.
void answerSentMessages()
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

} // namespace

bool waitAnsweringSent(HANDLE object, DWORD ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(1, &object, FALSE, remaining(start, ms), QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED_0)
            return true;
        if (r != WAIT_OBJECT_0 + 1)
            return false; // time-out or failure
        answerSentMessages();
    }
}

bool waitUntilGone(HWND wnd, DWORD ms)
{
    const DWORD start = GetTickCount();
    while (IsWindow(wnd)) {
        const DWORD left = remaining(start, ms);
        if (!left)
            return false;
        // Woken by a sent message at once; otherwise look again every few milliseconds, since a
        // window of another thread going away signals nothing here.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 10 ? left : 10, QS_SENDMESSAGE);
        answerSentMessages();
    }
    return true;
}

} // namespace kelapp
