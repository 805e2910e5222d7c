#include "cover_window.h"

#include "bmp_file.h"
#include "ids_frame.h"
#include "kel_messages.h"
#include "keldll.h"
#include "kelint.h"
#include "pending_libraries.h"
#include "profile.h"
#include "shell_state.h"
#include "win_raii.h"

#include <cstring>

namespace kelapp {

namespace {

constexpr int kDibLong = 0;
constexpr int kPaletteLong = int(sizeof(LONG_PTR));
constexpr UINT kCoverFileString = 1184;

HGLOBAL coverDib(HWND wnd) { return reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(wnd, kDibLong)); }
HPALETTE coverPalette(HWND wnd) { return reinterpret_cast<HPALETTE>(GetWindowLongPtrA(wnd, kPaletteLong)); }

bool hasExtension(const std::string& path, const char* ext)
{
    const size_t n = std::strlen(ext);
    return path.size() >= n && _stricmp(path.c_str() + path.size() - n, ext) == 0;
}

void paintCover(HWND wnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    kel::GlobalLocked<BITMAPINFOHEADER> header(coverDib(wnd));
    if (header) {
        HPALETTE old = coverPalette(wnd) ? SelectPalette(dc, coverPalette(wnd), FALSE) : nullptr;
        if (old)
            RealizePalette(dc);
        const int width = int(DIBWidth(header.get()));
        const int height = int(DIBHeight(header.get()));
        SetDIBitsToDevice(dc, 0, 0, DWORD(width), DWORD(height), 0, 0, 0, UINT(height), FindDIBBits(header.get()),
                          reinterpret_cast<const BITMAPINFO*>(header.get()), DIB_RGB_COLORS);
        if (old)
            SelectPalette(dc, old, FALSE);
    }
    EndPaint(wnd, &ps);
}

} // namespace

LRESULT CALLBACK CoverWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        paintCover(wnd);
        return 0;
    case WM_TIMER:
        if (wParam == kCoverTimerId)
            DestroyWindow(wnd);
        return 0;
    case WMU_QUERYCLOSE:
    case WM_QUERYENDSESSION: return 1;
    case WM_DESTROY:
        KillTimer(wnd, kCoverTimerId);
        if (HGLOBAL dib = coverDib(wnd))
            GlobalFree(dib);
        if (HPALETTE palette = coverPalette(wnd))
            DeleteObject(palette);
        SetWindowLongPtrA(wnd, kDibLong, 0);
        SetWindowLongPtrA(wnd, kPaletteLong, 0);
        if (appState().coverWnd == wnd)
            appState().coverWnd = nullptr;
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

std::string coverFilePath()
{
    char name[MAX_PATH] = "";
    LoadStringA(shell().instance, kCoverFileString, name, sizeof name);
    std::string file = profileText("Cover File", name[0] ? name : "KEL2_C.bmp");
    if (file.empty())
        file = "KEL2_C.bmp";
    return std::string(shell().programDir) + file;
}

void showCover(HWND frame)
{
    const std::string path = coverFilePath();
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    if (hasExtension(path, ".AVI")) {
        PostMessageA(frame, WM_COMMAND, IDM_COVER_VIDEO, 0);
        return;
    }
    if (!hasExtension(path, ".BMP"))
        return;
    std::string error;
    kel::GlobalMem dib(pipeline::readBmpFile(path.c_str(), &error));
    if (!dib)
        return;
    int width = 0, height = 0;
    {
        kel::GlobalLocked<BITMAPINFOHEADER> header(dib.get());
        if (!header)
            return;
        width = int(DIBWidth(header.get()));
        height = int(DIBHeight(header.get()));
    }
    kel::GdiObject<HPALETTE> palette(CreateDIBPalette(dib.get()));
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kCoverClass, "", WS_POPUP, x, y, width, height,
                                 frame, nullptr, shell().instance, nullptr);
    if (!cover)
        return;
    SetWindowLongPtrA(cover, kDibLong, reinterpret_cast<LONG_PTR>(dib.release()));
    SetWindowLongPtrA(cover, kPaletteLong, reinterpret_cast<LONG_PTR>(palette.release()));
    SetTimer(cover, kCoverTimerId, kCoverMs, nullptr);
    appState().coverWnd = cover;
    ShowWindow(cover, SW_SHOWNOACTIVATE);
    UpdateWindow(cover);
}

void playCoverVideo(HWND frame)
{
    const AppState& app = appState();
    RECT rc;
    GetClientRect(app.mdiClient, &rc);
    HWND video = CreateWindowExA(0, kCoverClass, "", WS_CHILD | WS_VISIBLE, 0, 0, rc.right, rc.bottom, app.mdiClient,
                                 nullptr, shell().instance, nullptr);
    if (video) {
        // Gone like the picture: after its time, at the next command or when the frame closes.
        appState().coverWnd = video;
        SetTimer(video, kCoverTimerId, kCoverMs, nullptr);
        OpenAVICover(video, coverFilePath().c_str());
    }
    (void)frame;
    openThumbnailView(nullptr);
}

void destroyCover()
{
    if (HWND cover = appState().coverWnd)
        DestroyWindow(cover);
    appState().coverWnd = nullptr;
}

} // namespace kelapp
