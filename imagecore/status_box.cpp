// The status box: progress of long operations in the application's status bar and the
// continue flag through which the user cancels them.
//
// One status box at a time in the process. DisplayStatusBox takes the status lock when it
// shows a box and keeps it until DestroyStatus, so a second thread's box waits for the first.
//
// The continue flag lives in its caller's stack frame. Every access to it goes through the
// flag lock, and DestroyStatus forgets the flag under that lock, so once DestroyStatus has
// returned no other thread (a cancel through SetStatus, a late UpdateStatus) can touch it.
#include "imagecore_internal.h"
#include "keldll.h"
#include "kel_messages.h"
#include "win_raii.h"

#include <commctrl.h>

#include <atomic>

using namespace keldll;

namespace {

CRITICAL_SECTION g_lock;                // the status lock (created at library load)
CRITICAL_SECTION g_flagLock;            // guards the two flag addresses below
std::atomic<HWND> g_statusWnd{nullptr}; // the progress control while a box is open
WORD* g_flag = nullptr;                 // the registered continue flag (1 go on, 0 cancel)
WORD* g_boxFlag = nullptr;              // the flag of the box on show, put back when a
                                        // registration of another thread ends before it
std::atomic<int> g_lastPercent{-1};
thread_local int t_lockDepth = 0;       // boxes this thread opened and has not closed
thread_local WORD* t_flag = nullptr;    // the flag this thread registered last

WORD readFlag(WORD* flag) { return *static_cast<volatile WORD*>(flag); }
void writeFlag(WORD* flag, WORD value) { *static_cast<volatile WORD*>(flag) = value; }

bool writableByte(const void* p)
{
    MEMORY_BASIC_INFORMATION mbi;
    if (!VirtualQuery(p, &mbi, sizeof mbi) || mbi.State != MEM_COMMIT)
        return false;
    if (mbi.Protect & (PAGE_GUARD | PAGE_NOACCESS))
        return false;
    return (mbi.Protect & (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

// Both bytes of the flag, which may straddle two pages.
bool writableFlag(WORD* flag)
{
    return writableByte(flag) && writableByte(reinterpret_cast<const char*>(flag) + 1);
}

void registerFlag(WORD* flag)
{
    kel::CriticalLock hold(g_flagLock);
    g_flag = flag;
    t_flag = flag;
    if (flag)
        writeFlag(flag, 1);
}

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

void initStatusLock()
{
    InitializeCriticalSection(&g_lock);
    InitializeCriticalSection(&g_flagLock);
}

void deleteStatusLock()
{
    DeleteCriticalSection(&g_flagLock);
    DeleteCriticalSection(&g_lock);
}

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
        registerFlag(continueFlag);
        return nullptr;
    }
    EnterCriticalSection(&g_lock);
    registerFlag(continueFlag);
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
    {
        kel::CriticalLock hold(g_flagLock);
        g_boxFlag = continueFlag;
    }
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
    kel::CriticalLock hold(g_flagLock);
    return g_flag ? readFlag(g_flag) : 1;
}

WORD SetStatus(WORD value)
{
    kel::CriticalLock hold(g_flagLock);
    // Writing is the point, so the flag must be writable, not only readable.
    if (!g_flag || !writableFlag(g_flag))
        return 1;
    writeFlag(g_flag, value);
    return value;
}

void DestroyStatus(void)
{
    const bool ownsBox = t_lockDepth > 0;
    // Only the thread whose box is on show (it holds the status lock) takes it down; a thread
    // that merely registered a flag while another thread's box was open leaves that box alone.
    if (ownsBox) {
        if (HWND progress = g_statusWnd.exchange(nullptr)) {
            if (IsWindow(progress)) {
                SendMessageA(progress, PBM_SETPOS, 0, 0);
                HWND bar = GetParent(progress);
                SendMessageA(bar, SB_SETTEXTA, 0x101, reinterpret_cast<LPARAM>(""));
                SendMessageA(bar, SB_SETTEXTA, 0x102, reinterpret_cast<LPARAM>(""));
            }
        }
    }
    {
        kel::CriticalLock hold(g_flagLock);
        if (ownsBox)
            g_boxFlag = nullptr;
        // Forget this thread's flag with its box; when it had displaced the flag of another
        // thread's open box, that one can be cancelled again.
        if (t_flag && g_flag == t_flag)
            g_flag = g_boxFlag;
        t_flag = nullptr;
    }
    if (ownsBox) {
        --t_lockDepth;
        LeaveCriticalSection(&g_lock);
    }
}

HWND GetStatusWnd(void) { return g_statusWnd.load(); }

int GetAbortStatus(void) { return 0; }
