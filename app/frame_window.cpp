// The frame window: its MDI client, status bar and cover picture, the private messages the
// libraries and children send it, the palette messages, dropped files, and the orderly close.
#include "frame_class.h"
#include "frame_window.h"

#include "cover_window.h"
#include "file_drops.h"
#include "frame_commands.h"
#include "ids_frame.h"
#include "kel_messages.h"
#include "keldll.h"
#include "mdi_children.h"
#include "menu_help.h"
#include "menu_state.h"
#include "pending_libraries.h"
#include "profile.h"
#include "recent_dirs.h"
#include "shell_state.h"
#include "status_bar.h"
#include "window_kind.h"

#include <cstdio>

namespace kelapp {

namespace {

HWND createMdiClient(HWND frame, HMENU menu)
{
    CLIENTCREATESTRUCT ccs{};
    ccs.hWindowMenu = menu ? popupHolding(menu, IDM_HELP_INDEX) : nullptr;
    ccs.idFirstChild = IDM_FIRST_CHILD;
    return CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                           WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0, 0, 0, frame,
                           nullptr, shell().instance, &ccs);
}

bool onCreate(HWND frame)
{
    AppState& app = appState();
    ShellState& s = shell();
    app.frameWnd = frame;
    s.frameMenu = GetMenu(frame);
    app.frameMenu = s.frameMenu;
    s.frameAccelerators = LoadAcceleratorsA(s.instance, kFrameClass);
    app.accelerators = s.frameAccelerators;
    options().statusBar = profileYes("Display Status Bar", true);
    setFrameSlot(frame, kSlotFrameMenu, reinterpret_cast<LONG_PTR>(s.frameMenu));
    setFrameSlot(frame, kSlotFrameAccelerators, reinterpret_cast<LONG_PTR>(s.frameAccelerators));
    setFrameSlot(frame, kSlotStatusShown, options().statusBar ? 1 : 0);
    setFrameSlot(frame, kSlotStatusOwner, -1);
    setFrameSlot(frame, kSlotStatusId, IDS_READY);
    setFrameSlot(frame, kSlotHelpBase, IDS_FRAME_HELP_BASE);

    app.mdiClient = createMdiClient(frame, s.frameMenu);
    if (!app.mdiClient)
        return false;
    s.statusBar = createStatusBar(frame);
    app.statusBar = s.statusBar;
    if (s.statusBar && !options().statusBar)
        ShowWindow(s.statusBar, SW_HIDE);
    if (!s.embedding) {
        InitKelDll(&app); // the cover picture is decoded before the rest of start-up
        showCover(frame);
    }
    return true;
}

void relayout(HWND frame)
{
    RECT client;
    GetClientRect(frame, &client);
    int top = client.top;
    HWND toolbar = shell().toolbar;
    if (toolbar && IsWindowVisible(toolbar)) {
        RECT tb;
        GetWindowRect(toolbar, &tb);
        const int height = tb.bottom - tb.top;
        MoveWindow(toolbar, 0, top, client.right - client.left, height, TRUE);
        top += height;
    }
    RECT status;
    SendMessageA(frame, WMU_GETSTATUSRECT, 0, reinterpret_cast<LPARAM>(&status));
    const int bottom = status.top > top ? status.top : top;
    if (HWND mdi = appState().mdiClient)
        MoveWindow(mdi, client.left, top, client.right - client.left, bottom - top, TRUE);
}

void onSize(HWND frame, WPARAM wParam, LPARAM lParam)
{
    if (wParam == SIZE_MINIMIZED)
        return;
    if (HWND toolbar = shell().toolbar)
        SendMessageA(toolbar, WM_SIZE, wParam, lParam);
    if (HWND bar = shell().statusBar) {
        SendMessageA(bar, WM_SIZE, wParam, lParam);
        layoutStatusParts(bar);
    }
    SendMessageA(frame, WMU_RELAYOUT, 0, 0);
}

void restoreFrameMenu(HWND frame)
{
    const ShellState& s = shell();
    if (!s.frameMenu || !appState().mdiClient)
        return;
    SendMessageA(appState().mdiClient, WM_MDISETMENU, reinterpret_cast<WPARAM>(s.frameMenu),
                 reinterpret_cast<LPARAM>(popupHolding(s.frameMenu, IDM_HELP_INDEX)));
    DrawMenuBar(frame);
    appState().accelerators = s.frameAccelerators;
}

void saveFramePlacement(HWND frame)
{
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(frame, &wp))
        return;
    const RECT& r = wp.rcNormalPosition;
    char text[64];
    snprintf(text, sizeof text, "%ld,%ld,%ld,%ld,%u", long(r.left), long(r.top), long(r.right - r.left),
             long(r.bottom - r.top), wp.showCmd);
    writeProfile("Screen", text);
}

void onClose(HWND frame)
{
    destroyCover();
    const bool agreed = SendMessageA(frame, WMU_QUERYCLOSE, 1, 0) != 0;
    if (agreed) {
        SendMessageA(frame, WM_ENDSESSION, TRUE, 0);
        revokeOleServer();
        restoreFrameMenu(frame);
    }
    saveFramePlacement(frame);
    if (agreed)
        DestroyWindow(frame);
}

void onDestroy()
{
    ShellState& s = shell();
    if (s.statusFont)
        DeleteObject(s.statusFont);
    s.statusFont = nullptr;
    saveRecentDirectories();
    closeTwain();
    AppState& app = appState();
    app.statusBar = nullptr;
    app.mdiClient = nullptr;
    s.statusBar = nullptr;
    PostQuitMessage(0);
}

void newImage(HWND frame, HGLOBAL dib)
{
    if (!dib) {
        SendMessageA(frame, WMU_SETSTATUS, reinterpret_cast<WPARAM>(frame), 1122);
        return;
    }
    char format[32] = "Scan%d", title[48];
    LoadStringA(shell().instance, IDS_SCAN_TITLE, format, sizeof format);
    shell().scanCounter = (shell().scanCounter + 1) % 100;
    snprintf(title, sizeof title, format, shell().scanCounter);
    openScannedImage(dib, title);
}

} // namespace

LRESULT CALLBACK FrameWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND client = appState().mdiClient;
    switch (msg) {
    case WM_CREATE: return onCreate(wnd) ? 0 : -1;
    case WM_SIZE: onSize(wnd, wParam, lParam); return 0;
    case WMU_RELAYOUT: relayout(wnd); return 0;
    case WM_COMMAND:
        if (frameCommand(wnd, wParam, lParam))
            return 0;
        break;
    case WM_INITMENUPOPUP:
        if (HIWORD(lParam))
            break; // the system menu
        if (!helpInsteadOfPopup(wnd, reinterpret_cast<HMENU>(wParam)))
            initMenuPopup(reinterpret_cast<HMENU>(wParam), currentMenuFacts(activeChild(client)));
        return 0;
    case WM_MENUSELECT: menuSelect(wnd, wParam, lParam); return 0;
    case WM_SETCURSOR:
        if (inHelpMode() && shell().helpCursor && LOWORD(lParam) == HTCLIENT) {
            SetCursor(shell().helpCursor);
            return TRUE;
        }
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID == kStatusBarId) {
            paintStatus(wnd, item);
            return TRUE;
        }
        break;
    }
    case WMU_PAINTSTATUS: paintStatus(wnd, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return 0;
    case WMU_GETSTATUSRECT: statusRect(wnd, reinterpret_cast<RECT*>(lParam)); return 0;
    case WMU_SETSTATUS: setStatus(wnd, reinterpret_cast<HWND>(wParam), UINT(lParam)); return 0;
    case WMU_GETSTATUSID: return frameSlot(wnd, kSlotStatusId);
    case WMU_GETSTATUSOFFSET: return 0;
    case WMU_GETSTATUSWND: return reinterpret_cast<LRESULT>(shell().statusBar);
    case WMU_RESTOREFRAMEMENU:
        if (!activeChild(client))
            restoreFrameMenu(wnd);
        return 0;
    case WMU_CATALOGCHANGED:
        refreshCatalogList();
        forwardToChildren(client, msg, wParam, lParam);
        return 0;
    case WMU_QUERYCLOSE:
    case WM_QUERYENDSESSION: return queryCloseChildren(client);
    case WM_ENDSESSION:
        if (wParam)
            destroyAllChildren(client, shell().host16);
        return 0;
    case WMU_FINDTHUMBVIEW: return reinterpret_cast<LRESULT>(firstChildOfKind(client, KIND_THUMBVIEW));
    case WMU_SETMDIMENU:
        SendMessageA(client, WM_MDISETMENU, wParam, lParam);
        DrawMenuBar(wnd);
        syncToolbar();
        return 0;
    case WMU_FULLSCREEN: showFullScreen(reinterpret_cast<HWND>(wParam), lParam); return 0;
    case WMU_BROADCAST: forwardToChildren(client, msg, wParam, lParam); return 0;
    case WMU_NEWIMAGE: newImage(wnd, reinterpret_cast<HGLOBAL>(wParam)); return 0;
    case WMU_TOFIRSTCHILD: {
        const std::vector<HWND> children = unownedChildren(client);
        return children.empty() ? 0 : askChild(children.front(), msg, wParam, lParam);
    }
    case WMU_SETMODELESS: shell().modelessDialog = reinterpret_cast<HWND>(wParam); return 0;
    case WMU_AUTOCLOSE:
        if (options().autoClose)
            autoCloseChildren(client, reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_QUERYNEWPALETTE: {
        HWND child = activeChild(client);
        return child ? askChild(child, WMU_REALIZE, reinterpret_cast<WPARAM>(wnd), 0) : 0;
    }
    case WM_PALETTECHANGED:
        if (!shell().forwardingPalette) {
            shell().forwardingPalette = true;
            forwardToChildren(client, msg, wParam, lParam);
            shell().forwardingPalette = false;
        }
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_SCREENSAVE && shell().fullScreenShowing)
            return 0;
        break;
    case WM_DROPFILES: handleDroppedFiles(wnd, reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_CLOSE: onClose(wnd); return 0;
    case WM_DESTROY: onDestroy(); return 0;
    }
    return DefFrameProcA(wnd, client, msg, wParam, lParam);
}

HWND createFrameWindow(const char* title, const FramePlacement& placement)
{
    return CreateWindowExA(0, kFrameClass, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, placement.x, placement.y,
                           placement.width, placement.height, nullptr, nullptr, shell().instance, nullptr);
}

} // namespace kelapp
