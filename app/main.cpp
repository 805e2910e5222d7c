// Kelgrove's program entry: fills the shared application state, initialises the libraries and
// runs the frame window's message loop.
#include "app_state.h"
#include "ids_app.h"
#include "keldll.h"

#include <windows.h>

#include <cstring>

namespace {

AppState g_app; // the one application state block; zero at start, never moved

LRESULT CALLBACK FrameWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    g_app.size = kAppStateSize;
    g_app.appInstance = instance;
    std::strcpy(g_app.appName, "Kelgrove");
    LoadStringA(instance, IDS_APPNAME, g_app.appName, sizeof g_app.appName);
    char title[33] = "Kelgrove";
    LoadStringA(instance, IDS_FRAMETITLE, title, sizeof title);

    WNDCLASSA wc{};
    wc.lpfnWndProc = FrameWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = "KELWClass";
    if (!RegisterClassA(&wc))
        return 1;
    g_app.frameWnd = CreateWindowA("KELWClass", title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                   CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, nullptr);
    if (!g_app.frameWnd)
        return 1;
    InitKelDll(&g_app);
    ShowWindow(g_app.frameWnd, show);
    UpdateWindow(g_app.frameWnd);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return int(msg.wParam);
}
