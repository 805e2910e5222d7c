#include "test_child.h"

#include "child_threads.h"
#include "kel_messages.h"

#include <cstdint>
#include <mutex>

namespace apptest {

namespace {

// The program's child record, then what the test tells the child.
struct Record {
    ImageRecord image;
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
    case WMU_TOFIRSTCHILD: note(wnd, msg, wParam, lParam); return 1000 + record(wnd)->image.kind;
    case WMU_CATALOGCHANGED:
    case WMU_BROADCAST:
    case WMU_REALIZE:
    case WM_PALETTECHANGED:
    case WM_MENUSELECT: note(wnd, msg, wParam, lParam); return 7;
    case WM_COMMAND: note(wnd, msg, wParam, lParam); return 0;
    case WM_DESTROY: {
        HGLOBAL block = reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(wnd, 0));
        if (Record* r = record(wnd)) {
            if (hasImage(r->image))
                GlobalFree(r->image.image);
            if (r->image.techInfo)
                GlobalFree(r->image.techInfo);
            if (r->image.backgroundBrush)
                DeleteObject(r->image.backgroundBrush);
        }
        SetWindowLongPtrA(wnd, sizeof(LONG_PTR), 0);
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
    return makeImageChild(title, [&](ImageRecord& r) { r.kind = int16_t(kind); }, refuseClose, here);
}

HWND makeImageChild(const std::string& title, const std::function<void(ImageRecord&)>& fill, bool refuseClose,
                    bool here)
{
    registerTestChildClass();
    HGLOBAL block = GlobalAlloc(GHND, sizeof(Record));
    auto* r = static_cast<Record*>(GlobalLock(block));
    fill(r->image);
    r->refuseClose = refuseClose;
    GlobalUnlock(block);
    kelapp::ChildWindowParams params;
    params.className = "KtChild";
    params.title = title;
    params.style = WS_VISIBLE;
    params.width = 200;
    params.height = 150;
    params.param = reinterpret_cast<LPARAM>(block);
    HWND wnd = here ? kelapp::createChildHere(params) : kelapp::createChildWindow(params);
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
