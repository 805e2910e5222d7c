// The frame's commands: activity exclusion, forwarding to the active child, option toggles and
// what they save, commands whose part is not there yet, help-cursor mode, dropped files, the
// cover picture and the About box.
#include "activity.h"
#include "app_fixture.h"
#include "cover_window.h"
#include "ids_frame.h"
#include "kel_messages.h"
#include "menu_help.h"
#include "not_available.h"
#include "pending_requests.h"
#include "shell_state.h"
#include "test_child.h"
#include "window_kind.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace apptest;
using namespace kelapp;

class FrameCommands : public FrameTest {
protected:
    FrameCommands() { forgetHeard(); }
    ~FrameCommands() override { SetActivity(0xFFFFFFFF, false); }
    int requestsFor(UINT id) const
    {
        int n = 0;
        for (const PendingRequest& r : pendingRequests())
            n += r.command == id;
        return n;
    }
    int commandsHeard(HWND child, UINT id) const
    {
        int n = 0;
        for (const Heard& h : heard())
            n += h.child == child && h.msg == WM_COMMAND && LOWORD(h.wParam) == id;
        return n;
    }
};

TEST_F(FrameCommands, ASecondBuildWhileOneRunsDoesNothing)
{
    ASSERT_TRUE(start());
    SetActivity(ACT_BUILD, true); // a build runs
    command(IDM_BUILD_CATALOG);
    EXPECT_EQ(0, requestsFor(IDM_BUILD_CATALOG));
    EXPECT_FALSE(enabled(IDM_BUILD_CATALOG));
    SetActivity(ACT_BUILD, false);
    SetActivity(ACT_CATALOG_ENTRY, true); // an entry dialog is open
    command(IDM_BUILD_CATALOG);
    EXPECT_EQ(0, requestsFor(IDM_BUILD_CATALOG));
    SetActivity(ACT_CATALOG_ENTRY, false);
    command(IDM_BUILD_CATALOG);
    EXPECT_EQ(1, requestsFor(IDM_BUILD_CATALOG)) << "with nothing running the build is asked for";
    EXPECT_EQ(0u, ActivityFlags()) << "no build runs yet, so its bit is given back";
    // Printing a catalog while an image prints does nothing either.
    SetActivity(ACT_PRINT, true);
    command(IDM_PRINT_CATALOG);
    EXPECT_EQ(0, requestsFor(IDM_PRINT_CATALOG));
}

TEST_F(FrameCommands, GuardedCommandsGoToTheActiveChildOnce)
{
    ASSERT_TRUE(start());
    HWND image = makeTestChild(KIND_IMAGE, "image");
    ASSERT_NE(nullptr, image);
    command(IDM_SAVE);
    command(IDM_SAVE_AS); // the save still runs: refused
    command(IDM_PRINT);
    command(IDM_PRINT);
    command(IDM_CATALOG_IMAGE);
    command(IDM_CATALOG_IMAGE);
    command(IDM_COPY);
    command(IDM_FILTER_FIRST + 2);
    kt::pumpUntil([&] { return commandsHeard(image, IDM_FILTER_FIRST + 2) == 1; }, 5000);
    EXPECT_EQ(1, commandsHeard(image, IDM_SAVE));
    EXPECT_EQ(0, commandsHeard(image, IDM_SAVE_AS));
    EXPECT_EQ(1, commandsHeard(image, IDM_PRINT));
    EXPECT_EQ(1, commandsHeard(image, IDM_CATALOG_IMAGE));
    EXPECT_EQ(1, commandsHeard(image, IDM_COPY));
    EXPECT_EQ(uint32_t(ACT_SAVE | ACT_PRINT | ACT_CATALOG_ENTRY), ActivityFlags()) << "each owner clears its bit";
    // Without an active child nothing is begun.
    SetActivity(0xFFFFFFFF, false);
    SendMessageA(image, WM_CLOSE, 0, 0);
    command(IDM_SAVE);
    command(IDM_CATALOG_IMAGE);
    EXPECT_EQ(0u, ActivityFlags());
}

TEST_F(FrameCommands, CommandsOfPartsNotThereAreGreyedAndAnswered)
{
    ASSERT_TRUE(start());
    UINT ids[256];
    const int n = notAvailableCommands(ids, 256);
    for (int i = 0; i < n; ++i) {
        if (HMENU popup = openPopupHolding(ids[i])) {
            EXPECT_TRUE(GetMenuState(popup, ids[i], MF_BYCOMMAND) & MF_GRAYED) << "command " << ids[i];
        }
        clearPendingRequests();
        SendMessageA(frame(), WM_COMMAND, ids[i], 0);
        const std::vector<PendingRequest> requests = pendingRequests();
        ASSERT_EQ(1u, requests.size()) << "command " << ids[i] << " is never dropped silently";
        EXPECT_EQ(IDS_NOT_AVAILABLE, SendMessageA(frame(), WMU_GETSTATUSID, 0, 0)) << "command " << ids[i];
    }
    // What the frame does itself stays enabled.
    for (UINT id : {IDM_EXIT, IDM_DISPLAY_WARNINGS, IDM_HELP_CURSOR, IDM_ABOUT, IDM_STRETCH_TO_FIT, IDM_VERIFY_CATALOG})
        EXPECT_TRUE(enabled(id)) << id;
    EXPECT_EQ(UINT(-1), GetMenuState(openPopupHolding(IDM_STATUS_BAR), IDM_BUTTON_BAR, MF_BYCOMMAND))
        << "no button list: the button bar item goes";
}

TEST_F(FrameCommands, TogglesSaveTheirOwnValues)
{
    ASSERT_TRUE(start());
    // command | profile key | value after one toggle | after the second
    const struct {
        UINT command;
        const char* key;
        const char* once;
        const char* twice;
    } toggles[] = {
        {IDM_HIRES_THUMBNAILS, "Hires Thumbnails", "YES", "NO"},
        {IDM_JPEG_THUMBNAILS, "JPEG Thumbnails", "YES", "NO"},
        {IDM_JPEG_SMOOTHING, "JPEG Pixel Smoothing", "YES", "NO"},
        {IDM_JPEG_TWO_PASS, "JPEG 2 Pass Quantize", "YES", "NO"},
        {IDM_UUE_DELETE, "UUE Delete", "Yes", "No"},
        {IDM_TWAIN_AUTO_CLOSE, "TWAIN Auto Close", "Yes", "No"},
        {IDM_SHOW_EXTENSIONS, "Show Extensions", "No", "Yes"},
        {IDM_SHOW_LONG_NAMES, "Show Long Names", "No", "Yes"},
    };
    for (const auto& t : toggles) {
        const bool before = t.command == IDM_TWAIN_AUTO_CLOSE ? false : checked(t.command);
        command(t.command);
        EXPECT_EQ(t.once, profile(t.key)) << t.key;
        if (t.command != IDM_TWAIN_AUTO_CLOSE) {
            EXPECT_NE(before, checked(t.command)) << t.key;
        }
        command(t.command);
        EXPECT_EQ(t.twice, profile(t.key)) << t.key;
    }
    // One toggle leaves the other's value alone.
    command(IDM_HIRES_THUMBNAILS);
    EXPECT_EQ("YES", profile("Hires Thumbnails"));
    EXPECT_EQ("NO", profile("JPEG Thumbnails"));
    // Choices store their index.
    const struct {
        UINT command;
        const char* key;
        const char* value;
    } choices[] = {
        {IDM_JPEG_COLORS_256, "JPEG Color Resolution", "1"},
        {505, "PCD Resolution", "2"},
        {512, "PCD Format", "2"},
        {531, "MPEG Dither Type", "9"},
        {IDM_MPEG_DITHER_FIRST, "MPEG Dither Type", "0"},
    };
    for (const auto& c : choices) {
        command(c.command);
        EXPECT_EQ(c.value, profile(c.key)) << c.key;
    }
    EXPECT_TRUE(checked(IDM_JPEG_COLORS_256));
    EXPECT_FALSE(checked(IDM_JPEG_COLORS_AUTO));
    // Not saved, but checked.
    EXPECT_TRUE(checked(IDM_DISPLAY_WARNINGS));
    command(IDM_DISPLAY_WARNINGS);
    EXPECT_FALSE(checked(IDM_DISPLAY_WARNINGS));
    EXPECT_EQ(0, appState().displayWarnings);
}

TEST_F(FrameCommands, ThumbnailSizesTellTheViews)
{
    ASSERT_TRUE(start());
    HWND view = makeTestChild(KIND_THUMBVIEW, "view");
    ASSERT_NE(nullptr, view);
    EXPECT_TRUE(checked(IDM_THUMB_NORMAL));
    command(IDM_THUMB_DOUBLE);
    kt::pumpUntil([&] { return timesHeard(view, WMU_CATALOGCHANGED) > 0; }, 5000);
    EXPECT_TRUE(checked(IDM_THUMB_DOUBLE));
    EXPECT_FALSE(checked(IDM_THUMB_NORMAL));
    ASSERT_EQ(1, timesHeard(view, WMU_CATALOGCHANGED));
    for (const Heard& h : heard()) {
        if (h.msg == WMU_CATALOGCHANGED) {
            EXPECT_EQ(-1, h.lParam);
        }
    }
}

TEST_F(FrameCommands, RecentDirectoriesEndTheFileMenu)
{
    kt::TempDir one, two;
    setProfile("Dir1", one.path());
    setProfile("Dir2", two.path());
    ASSERT_TRUE(start());
    HMENU file = openPopupHolding(IDM_EXIT);
    ASSERT_NE(nullptr, file);
    const int n = GetMenuItemCount(file);
    ASSERT_GE(n, 4);
    EXPECT_EQ(UINT(IDM_EXIT), GetMenuItemID(file, n - 4));
    EXPECT_EQ(0u, GetMenuItemID(file, n - 3)) << "a separator";
    char text[MAX_PATH + 8] = "";
    GetMenuStringA(file, UINT(n - 2), text, sizeof text, MF_BYPOSITION);
    EXPECT_EQ("&1 " + one.path(), std::string(text));
    GetMenuStringA(file, UINT(n - 1), text, sizeof text, MF_BYPOSITION);
    EXPECT_EQ("&2 " + two.path(), std::string(text));
    EXPECT_EQ(UINT(IDM_RECENT_DIR_FIRST + 1), GetMenuItemID(file, n - 1));
    ASSERT_EQ(n, GetMenuItemCount(openPopupHolding(IDM_EXIT))) << "opening it again adds nothing";

    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);
    command(IDM_RECENT_DIR_FIRST + 1);
    char now[MAX_PATH];
    GetCurrentDirectoryA(sizeof now, now);
    SetCurrentDirectoryA(before);
    EXPECT_EQ(0, _stricmp(two.path().c_str(), now));
    const std::vector<PendingRequest> requests = pendingRequests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(UINT(IDM_OPEN), requests[0].command) << "the open dialog, in that folder";
    EXPECT_EQ(two.path(), requests[0].detail);
    setProfile("Dir1", "");
    setProfile("Dir2", "");
    ASSERT_TRUE(closeFrame());
    EXPECT_EQ(one.path(), profile("Dir1")) << "saved when the frame goes";
    EXPECT_EQ(two.path(), profile("Dir2"));
}

// Help calls are recorded instead of opening the help program.
struct HelpCallMade {
    std::string file;
    UINT command;
    ULONG_PTR data;
};
std::vector<HelpCallMade> g_helpCalls;

BOOL recordHelp(HWND, const char* file, UINT command, ULONG_PTR data)
{
    g_helpCalls.push_back({file ? file : "", command, command == HELP_KEY ? 0 : data});
    if (command == HELP_KEY)
        g_helpCalls.back().file += std::string("|") + reinterpret_cast<const char*>(data);
    return TRUE;
}

class HelpMode : public FrameCommands {
protected:
    HelpMode()
    {
        g_helpCalls.clear();
        setHelpCall(recordHelp);
    }
    ~HelpMode() override
    {
        setHelpCall([](HWND owner, const char* file, UINT command, ULONG_PTR data) {
            return WinHelpA(owner, file, command, data);
        });
    }
};

TEST_F(HelpMode, ExitInHelpModeExplainsInsteadOfExiting)
{
    ASSERT_TRUE(start());
    command(IDM_HELP_CURSOR);
    EXPECT_EQ(1, appState().helpCursorMode);
    command(IDM_EXIT);
    EXPECT_TRUE(IsWindow(frame())) << "not carried out";
    EXPECT_EQ(0, appState().helpCursorMode) << "the mode ends";
    ASSERT_EQ(1u, g_helpCalls.size());
    EXPECT_EQ(UINT(HELP_CONTEXT), g_helpCalls[0].command);
    EXPECT_EQ(200u, g_helpCalls[0].data);
    EXPECT_EQ(std::string(appState().helpFile), g_helpCalls[0].file);

    // Shift+F1 enters the mode too; a command without a help context says so.
    command(IDM_HELP_CURSOR_KEY);
    const int warnings = appState().displayWarnings;
    {
        kt::DialogAnswerer answer(IDOK);
        command(IDM_DISPLAY_WARNINGS);
        ASSERT_EQ(1u, answer.shown().size());
        EXPECT_EQ("Help not available for Help Menu item", answer.shown()[0].text);
        EXPECT_EQ(appName(), answer.shown()[0].title);
    }
    EXPECT_EQ(warnings, appState().displayWarnings) << "not carried out";
    // Esc leaves the mode without help.
    command(IDM_HELP_CURSOR);
    command(IDM_ESCAPE);
    EXPECT_EQ(0, appState().helpCursorMode);
    EXPECT_EQ(1u, g_helpCalls.size());
}

TEST_F(HelpMode, SubMenusExplainThemselves)
{
    ASSERT_TRUE(start());
    command(IDM_HELP_CURSOR);
    HMENU bar = GetMenu(frame());
    HMENU options = GetSubMenu(bar, 2);
    SendMessageA(frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(options), MAKELPARAM(2, FALSE));
    EXPECT_EQ(1, appState().helpCursorMode) << "the menu bar's popups open so that items can be chosen";
    HMENU thumbnails = nullptr;
    for (int i = 0; i < GetMenuItemCount(options) && !thumbnails; ++i)
        if (GetMenuState(GetSubMenu(options, i), IDM_THUMB_NORMAL, MF_BYCOMMAND) != UINT(-1))
            thumbnails = GetSubMenu(options, i);
    ASSERT_NE(nullptr, thumbnails);
    SendMessageA(frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(thumbnails), 0);
    EXPECT_EQ(0, appState().helpCursorMode);
    ASSERT_EQ(1u, g_helpCalls.size());
    EXPECT_EQ(5134u, g_helpCalls[0].data);
}

TEST_F(HelpMode, HelpMenuCommands)
{
    ASSERT_TRUE(start());
    command(IDM_HELP_INDEX);
    command(IDM_HELP_KEYBOARD);
    command(IDM_HELP_USING);
    command(IDM_HELP_ON_HELP);
    ASSERT_EQ(4u, g_helpCalls.size());
    const std::string help = appState().helpFile;
    EXPECT_EQ(help, g_helpCalls[0].file);
    EXPECT_EQ(UINT(HELP_INDEX), g_helpCalls[0].command);
    EXPECT_EQ(help + "|keys", g_helpCalls[1].file);
    EXPECT_EQ(help + "|User", g_helpCalls[2].file);
    EXPECT_EQ("WINHELP.HLP", g_helpCalls[3].file);
}

// A drop of files as the shell makes it.
HDROP makeDrop(const std::vector<std::string>& files)
{
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& f : files)
        size += f.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    char* p = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
    for (const std::string& f : files) {
        std::memcpy(p, f.c_str(), f.size() + 1);
        p += f.size() + 1;
    }
    GlobalUnlock(block);
    return static_cast<HDROP>(block);
}

TEST_F(FrameCommands, DroppedFilesOpenViewsAndImageWindows)
{
    ASSERT_TRUE(start());
    ShowWindow(frame(), SW_MINIMIZE);
    SendMessageA(frame(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(makeDrop({"C:\\CATALOGS\\HOLIDAY.CIX", "C:\\PICS\\A.GIF", "C:\\PICS\\B.PCX",
                                                   "C:\\CATALOGS\\WORK.cat", "C:\\KEYS\\PHOTOS.Ix1"})),
                 0);
    EXPECT_FALSE(IsIconic(frame())) << "restored for the drop";
    const std::vector<PendingRequest> r = pendingRequests();
    ASSERT_EQ(5u, r.size());
    const std::pair<UINT, const char*> expected[] = {
        {IDM_THUMBNAIL_VIEW, "C:\\CATALOGS\\HOLIDAY.CIX"}, {IDM_OPEN_PENDING, "C:\\PICS\\A.GIF"},
        {IDM_OPEN_PENDING, "C:\\PICS\\B.PCX"},             {IDM_THUMBNAIL_VIEW, "C:\\CATALOGS\\WORK.cat"},
        {IDM_THUMBNAIL_VIEW, "C:\\KEYS\\PHOTOS.Ix1"},
    };
    for (size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(expected[i].first, r[i].command) << i;
        EXPECT_EQ(expected[i].second, r[i].detail) << i;
    }
    EXPECT_STREQ("C:\\PICS\\B.PCX", shell().pendingFile);
}

TEST_F(FrameCommands, CoverPictureUntilTheFirstCommand)
{
    ASSERT_TRUE(start());
    HWND cover = appState().coverWnd;
    ASSERT_NE(nullptr, cover) << "KEL2_C.bmp lies beside the program";
    RECT rc;
    GetWindowRect(cover, &rc);
    EXPECT_EQ(480, rc.right - rc.left);
    EXPECT_EQ(300, rc.bottom - rc.top);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 480) / 2, rc.left);
    EXPECT_TRUE(GetWindowLongA(cover, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(1, SendMessageA(cover, WMU_QUERYCLOSE, 0, 0));
    command(IDM_DISPLAY_WARNINGS);
    EXPECT_FALSE(IsWindow(cover));
    EXPECT_EQ(nullptr, appState().coverWnd);
}

TEST_F(FrameCommands, NoCoverPictureWhenNoneIsThere)
{
    setProfile("Cover File", "NOCOVER.BMP");
    ASSERT_TRUE(start());
    EXPECT_EQ(nullptr, appState().coverWnd);
}

TEST_F(FrameCommands, AboutBox)
{
    ASSERT_TRUE(start());
    kt::DialogAnswerer answer(IDOK);
    command(IDM_ABOUT);
    ASSERT_EQ(1u, answer.shown().size());
    EXPECT_EQ("About Kelgrove", answer.shown()[0].title);
}

TEST_F(FrameCommands, BackgroundColourIsSaved)
{
    ASSERT_TRUE(start());
    HBRUSH before = appState().backgroundBrush;
    kt::DialogAnswerer answer(IDOK);
    command(IDM_BACKGROUND_COLOR);
    ASSERT_EQ(1u, answer.shown().size());
    EXPECT_EQ("16777215", profile("Background Color"));
    EXPECT_EQ("16777215,16777215,16777215,16777215,16777215,16777215,16777215,16777215", profile("Custom Colors 1"));
    EXPECT_NE(before, appState().backgroundBrush);
}

} // namespace
