#include "menu_help.h"

#include "frame_class.h"
#include "ids_frame.h"
#include "kel_messages.h"
#include "mdi_children.h"
#include "shell_state.h"

#include <string>

namespace kelapp {

namespace {

HelpCall g_helpCall = [](HWND owner, const char* file, UINT command, ULONG_PTR data) {
    return WinHelpA(owner, file, command, data);
};

// Popups added at run time are known by their text.
struct PopupHelp {
    UINT title, status;
    DWORD context;
};
constexpr PopupHelp kPopupHelp[] = {
    {IDS_PCD_POPUP, IDS_PCD_POPUP_HELP, 5113},
    {IDS_MPEG_POPUP, IDS_MPEG_POPUP_HELP, 5123},
    {IDS_JPEG_POPUP, IDS_JPEG_POPUP_HELP, 5133},
    {IDS_JPEG_COLORS_POPUP, IDS_JPEG_COLORS_POPUP_HELP, 5158},
    {IDS_THUMB_POPUP, IDS_THUMB_POPUP_HELP, 5134},
    {IDS_PCD_RESOLUTION_POPUP, IDS_PCD_RESOLUTION_HELP, 5113},
    {IDS_PCD_PALETTE_POPUP, IDS_PCD_PALETTE_HELP, 5113},
    {IDS_TWAIN_POPUP, IDS_TWAIN_POPUP, 5150},
};

struct CommandHelp {
    UINT command;
    DWORD context;
};
constexpr CommandHelp kCommandHelp[] = {
    {IDM_COPY, 101},           {IDM_CUT, 102},
    {IDM_DELETE, 205},         {IDM_EXIT, 200},
    {IDM_OPEN, 202},           {IDM_PASTE, 103},
    {IDM_PRINT, 203},          {IDM_RESIZE, 107},
    {IDM_SAVE, 204},           {IDM_SAVE_AS, 211},
    {IDM_CROP, 104},           {IDM_UNDO, 106},
    {IDM_BUILD_CATALOG, 403},  {IDM_CATALOG_IMAGE, 401},
    {IDM_BROWSE_CATALOG, 402}, {IDM_CREATE_CATALOG, 400},
    {IDM_SELECT_CATALOG, 400}, {IDM_CHANGE_CATALOG, 400},
    {IDM_DELETE_CATALOG, 400}, {IDM_HELP_CURSOR, 5149},
};

std::string loadText(UINT id)
{
    char text[256] = "";
    LoadStringA(shell().instance, id, text, sizeof text);
    return text;
}

const PopupHelp* popupByText(HMENU menu, UINT position)
{
    char text[128] = "";
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    for (const PopupHelp& p : kPopupHelp)
        if (loadText(p.title) == text)
            return &p;
    return nullptr;
}

// The menu that holds `popup` as a sub-menu (searched through `menu`), and its position there.
HMENU parentOf(HMENU menu, HMENU popup, int* position)
{
    const int n = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < n; ++i) {
        HMENU sub = GetSubMenu(menu, i);
        if (!sub)
            continue;
        if (sub == popup) {
            *position = i;
            return menu;
        }
        if (HMENU found = parentOf(sub, popup, position))
            return found;
    }
    return nullptr;
}

void showStatus(HWND frame, UINT id) { SendMessageA(frame, WMU_SETSTATUS, reinterpret_cast<WPARAM>(frame), id); }

} // namespace

void setHelpCall(HelpCall call) { g_helpCall = call; }

void openHelp(HWND owner, const char* file, UINT command, ULONG_PTR data) { g_helpCall(owner, file, command, data); }

DWORD helpContextOf(UINT command)
{
    for (const CommandHelp& h : kCommandHelp)
        if (h.command == command)
            return h.context;
    return 0;
}

void enterHelpMode(HWND)
{
    appState().helpCursorMode = 1;
    if (shell().helpCursor)
        SetCursor(shell().helpCursor);
}

void leaveHelpMode(HWND frame)
{
    appState().helpCursorMode = 0;
    SetCursor(reinterpret_cast<HCURSOR>(GetClassLongPtrA(frame, GCLP_HCURSOR)));
}

bool inHelpMode() { return appState().helpCursorMode != 0; }

bool helpInsteadOfCommand(HWND frame, UINT command)
{
    if (!inHelpMode())
        return false;
    leaveHelpMode(frame);
    if (command == IDM_ESCAPE)
        return true;
    if (const DWORD context = helpContextOf(command)) {
        openHelp(frame, appState().helpFile, HELP_CONTEXT, context);
    } else {
        MessageBoxA(frame, loadText(IDS_HELP_NOT_AVAILABLE).c_str(), appState().appName, MB_OK | MB_ICONINFORMATION);
    }
    return true;
}

bool helpInsteadOfPopup(HWND frame, HMENU popup)
{
    if (!inHelpMode())
        return false;
    HMENU bar = GetMenu(frame);
    int position = -1;
    HMENU parent = parentOf(bar, popup, &position);
    if (!parent || parent == bar)
        return false; // the menu bar's own popups open as usual, so that their items can be chosen
    const PopupHelp* help = popupByText(parent, UINT(position));
    leaveHelpMode(frame);
    EndMenu();
    if (help)
        openHelp(frame, appState().helpFile, HELP_CONTEXT, help->context);
    else
        MessageBoxA(frame, loadText(IDS_HELP_NOT_AVAILABLE).c_str(), appState().appName, MB_OK | MB_ICONINFORMATION);
    return true;
}

void menuSelect(HWND frame, WPARAM wParam, LPARAM lParam)
{
    const UINT item = LOWORD(wParam);
    const UINT flags = HIWORD(wParam);
    HMENU menu = reinterpret_cast<HMENU>(lParam);
    if (flags == 0xFFFF && !menu) {
        showStatus(frame, IDS_READY);
        return;
    }
    // A child's menu is on the bar while a child is active: the child knows its texts, and a
    // maximised child's system menu is its own.
    HWND child = activeChild(appState().mdiClient);
    const bool childSystemMenu = child && IsZoomed(child);
    if (child && (!(flags & MF_SYSMENU) || childSystemMenu)) {
        askChild(child, WM_MENUSELECT, wParam, lParam);
        return;
    }
    if (flags & MF_SYSMENU) {
        showStatus(frame, (flags & MF_POPUP) ? IDS_FRAME_SYSMENU_HELP : IDS_FRAME_HELP_BASE + ((item >> 4) & 0xFF));
        return;
    }
    if (flags & MF_POPUP) {
        if (menu == GetMenu(frame)) {
            showStatus(frame, IDS_FRAME_POPUP_HELP + item);
        } else if (const PopupHelp* help = popupByText(menu, item)) {
            showStatus(frame, help->status);
        }
        return;
    }
    if (flags & MF_SEPARATOR)
        return;
    showStatus(frame, UINT(frameSlot(frame, kSlotHelpBase)) + item);
}

} // namespace kelapp
