// The status box: progress of long operations in the application's status bar and the
// continue flag through which the user cancels them.
//
// One status box at a time in the process. DisplayStatusBox takes the status lock when it
// shows a box and keeps it until DestroyStatus, so a second thread's box waits for the first.
#include "imagecore_internal.h"
#include "keldll.h"
#include "kel_messages.h"
#include "win_raii.h"

#include <commctrl.h>

#include <atomic>

using namespace keldll;

namespace {

CRITICAL_SECTION g_lock;                  // the status lock (created at library load)
std::atomic<HWND> g_statusWnd{nullptr};   // the progress control while a box is open
std::atomic<WORD*> g_flag{nullptr};       // the caller's continue flag (1 go on, 0 cancel)
std::atomic<int> g_lastPercent{-1};
thread_local int t_lockDepth = 0;         // boxes this thread opened and has not closed

WORD readFlag(WORD* flag) { return *static_cast<volatile WORD*>(flag); }
void writeFlag(WORD* flag, WORD value) { *static_cast<volatile WORD*>(flag) = value; }

bool statusRect(HWND wnd, RECT* rc)
{
    *rc = RECT{};
    if (!wnd)
        return false;
    SendMessageA(wnd, WMU_GETSTATUSRECT, 0, reinterpret_cast<LPARAM>(rc));
    return rc->top != rc->bottom;
}

} // namespace

namespace keldll {

void initStatusLock() { InitializeCriticalSection(&g_lock); }
void deleteStatusLock() { DeleteCriticalSection(&g_lock); }

void setStatusText(int part, const char* text)
{
    if (HWND progress = g_statusWnd.load())
        SendMessageA(GetParent(progress), SB_SETTEXTA, WPARAM(part), reinterpret_cast<LPARAM>(text));
}

} // namespace keldll

HWND DisplayStatusBox(HWND wnd, WORD* continueFlag, int)
{
    RECT rc;
    if (!wnd || !statusRect(app() ? app()->frameWnd : nullptr, &rc)) {
        g_flag = continueFlag;
        if (continueFlag)
            writeFlag(continueFlag, 1);
        return nullptr;
    }
    EnterCriticalSection(&g_lock);
    g_flag = continueFlag;
    if (continueFlag)
        writeFlag(continueFlag, 1);
    HWND progress = nullptr;
    if (statusRect(wnd, &rc)) {
        HWND bar = reinterpret_cast<HWND>(SendMessageA(wnd, WMU_GETSTATUSWND, 0, 0));
        if (bar)
            progress = GetDlgItem(bar, kProgressControlId);
    }
    if (!progress) {
        LeaveCriticalSection(&g_lock);
        return nullptr;
    }
    ++t_lockDepth;
    g_lastPercent = -1;
    g_statusWnd = progress;
    return progress;
}

WORD UpdateStatus(DWORD done, DWORD total)
{
    if (total == 0)
        total = 2147483647;
    if (done > total)
        done = total;
    while (total > 100) {
        total >>= 1;
        done >>= 1;
    }
    const int percent = int(done * 100 / total);
    if (percent != g_lastPercent.exchange(percent)) {
        HWND progress = g_statusWnd.load();
        if (progress && IsWindow(progress)) {
            SendMessageA(progress, PBM_SETRANGE, 0, LPARAM(total) << 16);
            SendMessageA(progress, PBM_SETPOS, done, 0);
        } else {
            g_statusWnd = nullptr; // destroyed under us: the operation goes on without display
        }
    }
    WORD* flag = g_flag.load();
    return flag ? readFlag(flag) : 1;
}

WORD SetStatus(WORD value)
{
    WORD* flag = g_flag.load();
    if (!flag)
        return 1;
    writeFlag(flag, value);
    return value;
}

void DestroyStatus(void)
{
    if (HWND progress = g_statusWnd.exchange(nullptr)) {
        if (IsWindow(progress)) {
            SendMessageA(progress, PBM_SETPOS, 0, 0);
            HWND bar = GetParent(progress);
            SendMessageA(bar, SB_SETTEXTA, 0x101, reinterpret_cast<LPARAM>(""));
            SendMessageA(bar, SB_SETTEXTA, 0x102, reinterpret_cast<LPARAM>(""));
        }
    }
    // The flag lives in the caller's frame: forget it with the box, so that no later
    // UpdateStatus or SetStatus touches a variable that no longer exists.
    g_flag = nullptr;
    if (t_lockDepth > 0) {
        --t_lockDepth;
        LeaveCriticalSection(&g_lock);
    }
}

HWND GetStatusWnd(void) { return g_statusWnd.load(); }

int GetAbortStatus(void) { return 0; }
