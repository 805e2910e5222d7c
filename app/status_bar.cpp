#include "status_bar.h"

#include "frame_class.h"
#include "kel_messages.h"
#include "shell_state.h"
#include "win_raii.h"

#include <commctrl.h>

#include <algorithm>

namespace kelapp {

namespace {

int averageCharWidth(HWND bar)
{
    kel::WindowDC dc(bar);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(bar, WM_GETFONT, 0, 0));
    if (!font)
        font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    HGDIOBJ old = SelectObject(dc.get(), font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.get(), &tm);
    SelectObject(dc.get(), old);
    return tm.tmAveCharWidth > 0 ? int(tm.tmAveCharWidth) : 8;
}

// The help text is drawn by the frame in a font of the system font's size with normal weight.
HFONT makeStatusFont()
{
    LOGFONTA lf{};
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
    lf.lfWeight = FW_NORMAL;
    lstrcpynA(lf.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    return CreateFontIndirectA(&lf);
}

} // namespace

void statusPartEdges(int width, int b, int* edges)
{
    const int c = width - 4 * b;
    const int offsets[4] = {98 * b, 51 * b, 21 * b, 0};
    int previous = 0;
    for (int i = 0; i < 4; ++i) {
        edges[i] = std::max(previous, c - offsets[i]);
        previous = edges[i];
    }
}

void layoutStatusParts(HWND bar)
{
    RECT rc;
    GetClientRect(bar, &rc);
    int edges[4];
    statusPartEdges(rc.right - rc.left, averageCharWidth(bar), edges);
    SendMessageA(bar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
    RECT part;
    if (HWND progress = GetDlgItem(bar, kProgressControlId); progress && SendMessageA(bar, SB_GETRECT, 3, reinterpret_cast<LPARAM>(&part)))
        MoveWindow(progress, part.left, part.top, part.right - part.left, part.bottom - part.top, TRUE);
}

HWND createStatusBar(HWND frame)
{
    HINSTANCE instance = shell().instance;
    HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, "Ready", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame,
                               reinterpret_cast<HMENU>(kStatusBarId), instance, nullptr);
    if (!bar)
        return nullptr;
    if (!shell().statusFont)
        shell().statusFont = makeStatusFont();
    CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, bar,
                    reinterpret_cast<HMENU>(kProgressControlId), instance, nullptr);
    SendMessageA(GetDlgItem(bar, kProgressControlId), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(GetDlgItem(bar, kProgressControlId), PBM_SETPOS, 0, 0);
    layoutStatusParts(bar);
    SendMessageA(bar, SB_SETTEXTA, 1 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(""));
    SendMessageA(bar, SB_SETTEXTA, 2 | SBT_NOBORDERS, reinterpret_cast<LPARAM>(""));
    return bar;
}

void statusRect(HWND frame, RECT* rc)
{
    RECT client;
    GetClientRect(frame, &client);
    HWND bar = shell().statusBar;
    if (bar && IsWindowVisible(bar)) {
        GetWindowRect(bar, rc);
        MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(rc), 2);
    } else {
        *rc = RECT{client.left, client.bottom, client.right, client.bottom};
    }
}

void setStatus(HWND frame, HWND owner, UINT id)
{
    setFrameSlot(frame, kSlotStatusOwner, owner ? reinterpret_cast<LONG_PTR>(owner) : -1);
    setFrameSlot(frame, kSlotStatusId, LONG_PTR(id));
    if (HWND bar = shell().statusBar)
        SendMessageA(bar, SB_SETTEXTA, 0 | SBT_NOBORDERS | SBT_OWNERDRAW, LPARAM(id));
}

void paintStatus(HWND frame, const DRAWITEMSTRUCT* item)
{
    char text[256] = "";
    LoadStringA(shell().instance, UINT(frameSlot(frame, kSlotStatusId)), text, sizeof text);
    HGDIOBJ old = shell().statusFont ? SelectObject(item->hDC, shell().statusFont) : nullptr;
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, GetSysColor(COLOR_BTNTEXT));
    RECT rc = item->rcItem;
    rc.left += 4;
    DrawTextA(item->hDC, text, -1, &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (old)
        SelectObject(item->hDC, old);
}

void showStatusBar(HWND frame, bool show)
{
    setFrameSlot(frame, kSlotStatusShown, show ? 1 : 0);
    options().statusBar = show;
    if (shell().statusBar)
        ShowWindow(shell().statusBar, show ? SW_SHOW : SW_HIDE);
    SendMessageA(frame, WMU_RELAYOUT, 0, 0);
}

} // namespace kelapp
