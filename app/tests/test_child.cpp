#include "test_child.h"

#include "child_threads.h"
#include "kel_messages.h"

#include <cstdint>
#include <mutex>

namespace apptest {

namespace {

struct Record {
    int16_t kind;
    int32_t refuseClose;
};

std::mutex g_lock;
std::vector<Heard> g_heard;

void note(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_heard.push_back({wnd, msg, wParam, lParam, GetCurrentThreadId()});
}

Record* record(HWND wnd) { return reinterpret_cast<Record*>(GetWindowLongPtrA(wnd, sizeof(LONG_PTR))); }

LRESULT CALLBACK childProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* mcs = static_cast<MDICREATESTRUCTA*>(cs->lpCreateParams);
        HGLOBAL block = reinterpret_cast<HGLOBAL>(mcs->lParam);
        SetWindowLongPtrA(wnd, 0, reinterpret_cast<LONG_PTR>(block));
        SetWindowLongPtrA(wnd, sizeof(LONG_PTR), reinterpret_cast<LONG_PTR>(GlobalLock(block)));
        break;
    }
    case WMU_QUERYCLOSE:
    case WM_QUERYENDSESSION:
        note(wnd, msg, wParam, lParam);
        return record(wnd)->refuseClose ? 0 : 1;
    case WM_ENDSESSION:
        note(wnd, msg, wParam, lParam);
        if (wParam)
            DestroyWindow(wnd);
        return 0;
    case WM_CLOSE:
        note(wnd, msg, wParam, lParam);
        DestroyWindow(wnd);
        return 0;
    case WMU_TOFIRSTCHILD: note(wnd, msg, wParam, lParam); return 1000 + record(wnd)->kind;
    case WMU_CATALOGCHANGED:
    case WMU_BROADCAST:
    case WMU_REALIZE:
    case WM_PALETTECHANGED:
    case WM_MENUSELECT: note(wnd, msg, wParam, lParam); return 7;
    case WM_COMMAND: note(wnd, msg, wParam, lParam); return 0;
    case WM_DESTROY: {
        HGLOBAL block = reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(wnd, 0));
        GlobalUnlock(block);
        GlobalFree(block);
        SetWindowLongPtrA(wnd, 0, 0);
        PostQuitMessage(0);
        break;
    }
    }
    return DefMDIChildProcA(wnd, msg, wParam, lParam);
}

} // namespace

void registerTestChildClass()
{
    WNDCLASSA wc{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), "KtChild", &wc))
        return;
    wc.lpfnWndProc = childProc;
    wc.cbWndExtra = 2 * sizeof(LONG_PTR);
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "KtChild";
    RegisterClassA(&wc);
}

HWND makeTestChild(int kind, const std::string& title, bool refuseClose, bool here)
{
    registerTestChildClass();
    HGLOBAL block = GlobalAlloc(GHND, sizeof(Record));
    auto* r = static_cast<Record*>(GlobalLock(block));
    r->kind = int16_t(kind);
    r->refuseClose = refuseClose;
    GlobalUnlock(block);
    kelapp::ChildWindowSpec spec;
    spec.className = "KtChild";
    spec.title = title;
    spec.style = WS_VISIBLE;
    spec.width = 200;
    spec.height = 150;
    spec.param = reinterpret_cast<LPARAM>(block);
    HWND wnd = here ? kelapp::createChildHere(spec) : kelapp::createChildWindow(spec);
    if (!wnd)
        GlobalFree(block);
    return wnd;
}

std::vector<Heard> heard()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_heard;
}

void forgetHeard()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_heard.clear();
}

int timesHeard(HWND child, UINT msg)
{
    int n = 0;
    for (const Heard& h : heard())
        n += h.child == child && h.msg == msg;
    return n;
}

} // namespace apptest
