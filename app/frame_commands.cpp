#include "frame_commands.h"

#include "activity.h"
#include "cover_window.h"
#include "ids_frame.h"
#include "kel_messages.h"
#include "keldll.h"
#include "kelint.h"
#include "mdi_children.h"
#include "menu_help.h"
#include "not_available.h"
#include "image_child.h"
#include "pending_libraries.h"
#include "pending_requests.h"
#include "shell_state.h"
#include "window_kind.h"

#include <cstdio>
#include <cstring>

namespace kelapp {

namespace {

enum class After { Ready, KeepStatus };

INT_PTR CALLBACK aboutProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG: {
        char text[64];
        snprintf(text, sizeof text, "Version 2.0 for %s", sizeof(void*) == 8 ? "64-bit Windows" : "32-bit Windows");
        SetDlgItemTextA(dlg, IDC_ABOUT_VERSION, text);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dlg, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

HWND active() { return activeChild(appState().mdiClient); }

void forward(WPARAM wParam, LPARAM lParam)
{
    if (HWND child = active())
        PostMessageA(child, WM_COMMAND, wParam, lParam);
}

// A command of a part the program does not have: recorded and answered on the status line.
After notAvailable(UINT id, const std::string& detail = {})
{
    requestNotAvailable(id, detail);
    return After::KeepStatus;
}

// An activity-guarded command whose work the program does not have yet: the guard still
// decides, and the bit is given back at once since nothing runs.
After guardedNotAvailable(UINT id, uint32_t test, uint32_t set)
{
    if (BeginActivity(test, set))
        return After::Ready; // already running: nothing happens
    requestNotAvailable(id);
    SetActivity(set, false);
    return After::KeepStatus;
}

// An activity-guarded command carried out by the active child, which clears the bit when done.
void guardedForward(WPARAM wParam, LPARAM lParam, uint32_t test, uint32_t set)
{
    HWND child = active();
    if (!child || BeginActivity(test, set))
        return;
    if (!PostMessageA(child, WM_COMMAND, wParam, lParam))
        SetActivity(set, false);
}

After dispatch(HWND frame, WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    AppState& app = appState();
    std::string text;
    switch (id) {
    case IDM_ESCAPE:
        leaveHelpMode(frame);
        return After::Ready;
    case IDM_ABOUT:
        DialogBoxParamA(shell().instance, "AboutBox", frame, aboutProc, 0);
        return After::Ready;
    case IDM_BUILD_CATALOG: return guardedNotAvailable(id, ACT_CATALOG_ENTRY | ACT_BUILD, ACT_BUILD);
    case IDM_PRINT_CATALOG: return guardedNotAvailable(id, ACT_PRINT | ACT_PRINT_CATALOG, ACT_PRINT_CATALOG);
    case IDM_CATALOG_IMAGE: {
        HWND child = active();
        if (!child || BeginActivity(ACT_CATALOG_ENTRY | ACT_BUILD, ACT_CATALOG_ENTRY))
            return After::Ready;
        setImageTargetCatalog(child, reinterpret_cast<HWND>(SendMessageA(frame, WMU_FINDTHUMBVIEW, 0, 0)));
        if (!PostMessageA(child, WM_COMMAND, wParam, lParam))
            SetActivity(ACT_CATALOG_ENTRY, false);
        return After::Ready;
    }
    case IDM_PRINT: guardedForward(wParam, lParam, ACT_PRINT | ACT_PRINT_CATALOG, ACT_PRINT); return After::Ready;
    case IDM_SAVE:
    case IDM_SAVE_AS: guardedForward(wParam, lParam, ACT_SAVE, ACT_SAVE); return After::Ready;
    case IDM_COPY:
    case IDM_CUT:
    case IDM_PASTE_PALETTE:
    case IDM_UPDATE_EMBEDDED:
    case IDM_RESIZE:
    case IDM_CROP:
    case IDM_UNDO:
    case IDM_SLIDE_SHOW:
    case IDM_CLOSE: forward(wParam, lParam); return After::Ready;
    case IDM_PASTE:
    case IDM_TRANSPARENT_PIXEL: forward(wParam, lParam); return After::KeepStatus;
    case IDM_EXIT:
        SendMessageA(frame, WM_CLOSE, 0, 0);
        return After::Ready;
    case IDM_HELP_ON_HELP: openHelp(frame, "WINHELP.HLP", HELP_INDEX, 0); return After::Ready;
    case IDM_HELP_INDEX: openHelp(frame, app.helpFile, HELP_INDEX, 0); return After::Ready;
    case IDM_HELP_KEYBOARD:
        openHelp(frame, app.helpFile, HELP_KEY, reinterpret_cast<ULONG_PTR>("keys"));
        return After::Ready;
    case IDM_HELP_USING:
        openHelp(frame, app.helpFile, HELP_KEY, reinterpret_cast<ULONG_PTR>("User"));
        return After::Ready;
    case IDM_HELP_CURSOR_KEY:
    case IDM_HELP_CURSOR: enterHelpMode(frame); return After::KeepStatus;
    case IDM_THUMBNAIL_VIEW:
        openThumbnailView(readableText(lParam, &text) ? text.c_str() : nullptr);
        return After::KeepStatus;
    case IDM_OPEN_PENDING:
        openImageFile(readableText(lParam, &text) ? text.c_str() : shell().pendingFile);
        return After::KeepStatus;
    case IDM_PLAY:
        if (HWND child = active())
            HandlePlay(child, 1);
        return After::Ready;
    case IDM_SIZE_WINDOW:
        if (HWND child = active(); child && imageRecordOf(child))
            SizeWindow(child);
        return After::Ready;
    case IDM_TILE: SendMessageA(app.mdiClient, WM_MDITILE, 0, 0); return After::Ready;
    case IDM_CASCADE: SendMessageA(app.mdiClient, WM_MDICASCADE, 0, 0); return After::Ready;
    case IDM_ARRANGE_ICONS: SendMessageA(app.mdiClient, WM_MDIICONARRANGE, 0, 0); return After::Ready;
    case IDM_CLOSE_ALL: closeAllChildren(app.mdiClient, shell().host16); return After::Ready;
    case IDM_COVER_VIDEO: playCoverVideo(frame); return After::KeepStatus;
    case IDC_CATALOG_LIST:
        if (HIWORD(wParam) == CBN_SELCHANGE)
            return notAvailable(id);
        return After::KeepStatus;
    }
    if (id >= IDM_FILTER_FIRST && id <= IDM_FILTER_LAST) {
        forward(wParam, lParam);
        return After::Ready;
    }
    if (id >= IDM_RECENT_DIR_FIRST && id <= IDM_RECENT_DIR_LAST) {
        const char* dir = shell().recentDirs[id - IDM_RECENT_DIR_FIRST];
        if (dir[0])
            SetCurrentDirectoryA(dir);
        return notAvailable(IDM_OPEN, dir); // the open dialog, in that directory
    }
    if (isOptionCommand(id)) {
        optionCommand(frame, id);
        return After::Ready;
    }
    if (commandNotAvailable(id))
        return notAvailable(id);
    return After::KeepStatus;
}

bool handledHere(UINT id)
{
    switch (id) {
    case IDM_ESCAPE:
    case IDM_ABOUT:
    case IDM_BUILD_CATALOG:
    case IDM_PRINT_CATALOG:
    case IDM_CATALOG_IMAGE:
    case IDM_PRINT:
    case IDM_SAVE:
    case IDM_SAVE_AS:
    case IDM_COPY:
    case IDM_CUT:
    case IDM_PASTE_PALETTE:
    case IDM_UPDATE_EMBEDDED:
    case IDM_RESIZE:
    case IDM_CROP:
    case IDM_UNDO:
    case IDM_SLIDE_SHOW:
    case IDM_CLOSE:
    case IDM_PASTE:
    case IDM_TRANSPARENT_PIXEL:
    case IDM_EXIT:
    case IDM_HELP_ON_HELP:
    case IDM_HELP_INDEX:
    case IDM_HELP_KEYBOARD:
    case IDM_HELP_USING:
    case IDM_HELP_CURSOR_KEY:
    case IDM_HELP_CURSOR:
    case IDM_THUMBNAIL_VIEW:
    case IDM_OPEN_PENDING:
    case IDM_PLAY:
    case IDM_SIZE_WINDOW:
    case IDM_TILE:
    case IDM_CASCADE:
    case IDM_ARRANGE_ICONS:
    case IDM_CLOSE_ALL:
    case IDM_COVER_VIDEO:
    case IDC_CATALOG_LIST: return true;
    }
    return (id >= IDM_FILTER_FIRST && id <= IDM_FILTER_LAST) ||
           (id >= IDM_RECENT_DIR_FIRST && id <= IDM_RECENT_DIR_LAST) || commandNotAvailable(id);
}

} // namespace

bool readableText(LPARAM lParam, std::string* text)
{
    const char* p = reinterpret_cast<const char*>(lParam);
    if (!p)
        return false;
    MEMORY_BASIC_INFORMATION mbi{};
    if (!VirtualQuery(p, &mbi, sizeof mbi) || mbi.State != MEM_COMMIT ||
        !(mbi.Protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE)) ||
        (mbi.Protect & PAGE_GUARD))
        return false;
    const size_t room = size_t(static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize - p);
    const size_t n = strnlen(p, room < MAX_PATH ? room : MAX_PATH);
    if (n == room || n == MAX_PATH)
        return false; // no end within reach: not a path
    text->assign(p, n);
    return !text->empty();
}

bool frameCommand(HWND frame, WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    if (id != IDM_COVER_VIDEO)
        destroyCover();
    if (helpInsteadOfCommand(frame, id)) {
        SendMessageA(frame, WMU_SETSTATUS, reinterpret_cast<WPARAM>(frame), IDS_READY);
        return true;
    }
    if (!handledHere(id) && !isOptionCommand(id))
        return false;
    const After after = dispatch(frame, wParam, lParam);
    if (after == After::Ready && IsWindow(frame))
        SendMessageA(frame, WMU_SETSTATUS, reinterpret_cast<WPARAM>(frame), IDS_READY);
    return true;
}

} // namespace kelapp
