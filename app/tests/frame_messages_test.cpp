// The frame window and the private messages the libraries and children send it.
#include "app_fixture.h"
#include "frame_class.h"
#include "ids_frame.h"
#include "kel_messages.h"
#include "keldll.h"
#include "pending_requests.h"
#include "shell_state.h"
#include "test_child.h"
#include "window_kind.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

using namespace apptest;
using namespace kelapp;

class FrameMessages : public FrameTest {
protected:
    FrameMessages() { forgetHeard(); }
    UINT statusId() const { return UINT(SendMessageA(frame(), WMU_GETSTATUSID, 0, 0)); }
};

std::string className(HWND wnd)
{
    char name[64] = "";
    GetClassNameA(wnd, name, sizeof name);
    return name;
}

TEST_F(FrameMessages, FrameWithClientStatusBarAndProgress)
{
    ASSERT_TRUE(start());
    EXPECT_EQ("KELWClass", className(frame()));
    EXPECT_EQ("MDIClient", className(client()));
    EXPECT_EQ(frame(), GetParent(client()));
    HWND bar = reinterpret_cast<HWND>(SendMessageA(frame(), WMU_GETSTATUSWND, 0, 0));
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(bar, appState().statusBar);
    EXPECT_EQ(100, GetDlgCtrlID(bar));
    HWND progress = GetDlgItem(bar, kProgressControlId);
    ASSERT_NE(nullptr, progress);
    EXPECT_EQ(std::string(PROGRESS_CLASSA), className(progress));
    EXPECT_EQ(4, SendMessageA(bar, SB_GETPARTS, 0, 0));
    EXPECT_EQ(IDS_READY, statusId()) << "start-up ends with 1121";
    EXPECT_EQ(0, SendMessageA(frame(), WMU_GETSTATUSOFFSET, 0, 0));

    // The status area lies under the MDI client.
    RECT status, mdi, clientArea;
    SendMessageA(frame(), WMU_GETSTATUSRECT, 0, reinterpret_cast<LPARAM>(&status));
    GetWindowRect(client(), &mdi);
    MapWindowPoints(nullptr, frame(), reinterpret_cast<POINT*>(&mdi), 2);
    GetClientRect(frame(), &clientArea);
    EXPECT_LT(status.top, status.bottom);
    EXPECT_EQ(status.top, mdi.bottom);
    EXPECT_EQ(clientArea.bottom, status.bottom);
    EXPECT_EQ(0, mdi.top) << "no toolbar yet";
}

TEST_F(FrameMessages, StatusBoxDrivesTheFramesProgressControl)
{
    ASSERT_TRUE(start());
    HWND progress = GetDlgItem(appState().statusBar, kProgressControlId);
    WORD go = 0;
    EXPECT_EQ(progress, DisplayStatusBox(frame(), &go, 0));
    EXPECT_EQ(1, go);
    EXPECT_EQ(1, UpdateStatus(30, 60));
    EXPECT_EQ(30, SendMessageA(progress, PBM_GETPOS, 0, 0));
    EXPECT_EQ(60, SendMessageA(progress, PBM_GETRANGE, FALSE, 0));
    DestroyStatus();
    EXPECT_EQ(0, SendMessageA(progress, PBM_GETPOS, 0, 0));

    // Hidden status bar: an empty status area at the bottom edge, no status box, the client
    // down to the bottom.
    command(IDM_STATUS_BAR);
    EXPECT_FALSE(IsWindowVisible(appState().statusBar));
    EXPECT_EQ(0, frameSlot(frame(), kSlotStatusShown));
    RECT status, clientArea, mdi;
    SendMessageA(frame(), WMU_GETSTATUSRECT, 0, reinterpret_cast<LPARAM>(&status));
    GetClientRect(frame(), &clientArea);
    EXPECT_EQ(status.top, status.bottom);
    EXPECT_EQ(clientArea.bottom, status.top);
    GetWindowRect(client(), &mdi);
    MapWindowPoints(nullptr, frame(), reinterpret_cast<POINT*>(&mdi), 2);
    EXPECT_EQ(clientArea.bottom, mdi.bottom);
    EXPECT_EQ(nullptr, DisplayStatusBox(frame(), &go, 0));
    DestroyStatus();
    command(IDM_STATUS_BAR);
    EXPECT_TRUE(IsWindowVisible(appState().statusBar));
}

TEST_F(FrameMessages, StatusTextIsOneStringAndItsOwner)
{
    ASSERT_TRUE(start());
    HWND owner = client();
    SendMessageA(frame(), WMU_SETSTATUS, reinterpret_cast<WPARAM>(owner), IDS_LOADING_OPTIONS);
    EXPECT_EQ(IDS_LOADING_OPTIONS, statusId());
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(owner), frameSlot(frame(), kSlotStatusOwner));
    EXPECT_EQ(IDS_FRAME_HELP_BASE, frameSlot(frame(), kSlotHelpBase));
    command(IDM_DISPLAY_WARNINGS);
    EXPECT_EQ(IDS_READY, statusId()) << "every command ends with 1121";
}

TEST_F(FrameMessages, MenuHelpOnTheStatusLine)
{
    ASSERT_TRUE(start());
    HMENU bar = GetMenu(frame());
    HMENU file = GetSubMenu(bar, 0);
    auto select = [&](UINT item, UINT flags, HMENU menu) {
        SendMessageA(frame(), WM_MENUSELECT, MAKEWPARAM(item, flags), reinterpret_cast<LPARAM>(menu));
        return statusId();
    };
    EXPECT_EQ(2123u, select(IDM_EXIT, MF_STRING, file));
    EXPECT_EQ(5001u, select(0, MF_POPUP, bar)) << "File";
    EXPECT_EQ(5005u, select(4, MF_POPUP, bar)) << "Help";
    EXPECT_EQ(2006u, select(SC_CLOSE, MF_SYSMENU, GetSystemMenu(frame(), FALSE)));
    EXPECT_EQ(2019u, select(SC_TASKLIST, MF_SYSMENU, GetSystemMenu(frame(), FALSE)));
    EXPECT_EQ(5000u, select(0, MF_SYSMENU | MF_POPUP, GetSystemMenu(frame(), FALSE)));
    HMENU options = GetSubMenu(bar, 2);
    int thumbAt = -1;
    for (int i = 0; i < GetMenuItemCount(options); ++i) {
        char text[64] = "";
        GetMenuStringA(options, UINT(i), text, sizeof text, MF_BYPOSITION);
        if (std::string(text) == "&Thumbnail Options")
            thumbAt = i;
    }
    ASSERT_GE(thumbAt, 0);
    EXPECT_EQ(1235u, select(UINT(thumbAt), MF_POPUP, options)) << "popups are known by their text";
    EXPECT_EQ(unsigned(IDS_READY), select(0, 0xFFFF, nullptr)) << "menu closed";

    // With a child active the child explains its own menu.
    HWND child = makeTestChild(KIND_IMAGE, "child");
    ASSERT_NE(nullptr, child);
    select(IDM_COPY, MF_STRING, file);
    EXPECT_EQ(1, timesHeard(child, WM_MENUSELECT));
}

TEST_F(FrameMessages, MessagesForwardedToChildren)
{
    ASSERT_TRUE(start());
    HWND image = makeTestChild(KIND_IMAGE, "image");
    HWND view = makeTestChild(KIND_THUMBVIEW, "view");
    ASSERT_TRUE(image && view);
    SendMessageA(frame(), WMU_BROADCAST, 12, 34);
    SendMessageA(frame(), WMU_CATALOGCHANGED, 0, -1);
    for (HWND c : {image, view}) {
        int broadcast = 0, changed = 0;
        for (const Heard& h : heard()) {
            broadcast += h.child == c && h.msg == WMU_BROADCAST && h.wParam == 12 && h.lParam == 34;
            changed += h.child == c && h.msg == WMU_CATALOGCHANGED && h.lParam == -1;
        }
        EXPECT_EQ(1, broadcast);
        EXPECT_EQ(1, changed);
    }
    // Only the first child (the top one, made last) is asked, and its answer is returned.
    forgetHeard();
    EXPECT_EQ(1000 + KIND_THUMBVIEW, SendMessageA(frame(), WMU_TOFIRSTCHILD, 5, 6));
    EXPECT_EQ(1, timesHeard(view, WMU_TOFIRSTCHILD));
    EXPECT_EQ(0, timesHeard(image, WMU_TOFIRSTCHILD));
    // Palettes: the active child realises; a palette change goes to every child once.
    EXPECT_EQ(7, SendMessageA(frame(), WM_QUERYNEWPALETTE, 0, 0));
    EXPECT_EQ(1, timesHeard(view, WMU_REALIZE));
    SendMessageA(frame(), WM_PALETTECHANGED, reinterpret_cast<WPARAM>(frame()), 0);
    EXPECT_EQ(1, timesHeard(view, WM_PALETTECHANGED));
    EXPECT_EQ(1, timesHeard(image, WM_PALETTECHANGED));
}

TEST_F(FrameMessages, AutoCloseKeepsThumbnailViewsAndTheGivenWindow)
{
    ASSERT_TRUE(start());
    HWND keep = makeTestChild(KIND_IMAGE, "keep");
    HWND other = makeTestChild(KIND_IMAGE, "other");
    HWND animation = makeTestChild(KIND_ANIMATION, "animation");
    HWND view = makeTestChild(KIND_THUMBVIEW, "view");
    ASSERT_TRUE(keep && other && animation && view);
    SendMessageA(frame(), WMU_AUTOCLOSE, reinterpret_cast<WPARAM>(keep), 0);
    pump(200);
    EXPECT_TRUE(IsWindow(other)) << "\"Auto Close\" is off";
    command(IDM_AUTO_CLOSE);
    SendMessageA(frame(), WMU_AUTOCLOSE, reinterpret_cast<WPARAM>(keep), 0);
    kt::pumpUntil([&] { return !IsWindow(other) && !IsWindow(animation); }, 5000);
    EXPECT_FALSE(IsWindow(other));
    EXPECT_FALSE(IsWindow(animation));
    EXPECT_TRUE(IsWindow(keep));
    EXPECT_TRUE(IsWindow(view));
}

TEST_F(FrameMessages, MenusInstalledAndPutBack)
{
    ASSERT_TRUE(start());
    HMENU frameMenu = GetMenu(frame());
    EXPECT_EQ(frameMenu, appState().frameMenu);
    ASSERT_EQ(5, GetMenuItemCount(frameMenu));
    const char* titles[] = {"&File", "&Catalog", "&Options", "Ca&pture", "&Help"};
    for (int i = 0; i < 5; ++i) {
        char text[32] = "";
        GetMenuStringA(frameMenu, UINT(i), text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(titles[i], text);
    }
    HMENU other = LoadMenuA(GetModuleHandleA(nullptr), "TWAINOPTIONS");
    SendMessageA(frame(), WMU_SETMDIMENU, reinterpret_cast<WPARAM>(other), reinterpret_cast<LPARAM>(GetSubMenu(other, 0)));
    EXPECT_EQ(other, GetMenu(frame()));
    appState().accelerators = nullptr;
    SendMessageA(frame(), WMU_RESTOREFRAMEMENU, 0, 0);
    EXPECT_EQ(frameMenu, GetMenu(frame()));
    EXPECT_EQ(shell().frameAccelerators, appState().accelerators);
    EXPECT_NE(nullptr, appState().accelerators);
    DestroyMenu(other);
}

TEST_F(FrameMessages, ScannedImagesAndTheModelessDialog)
{
    ASSERT_TRUE(start());
    SendMessageA(frame(), WMU_NEWIMAGE, 0, 0);
    EXPECT_EQ(1122u, statusId()) << "no image came";
    SendMessageA(frame(), WMU_NEWIMAGE, reinterpret_cast<WPARAM>(GlobalAlloc(GHND, 64)), 0);
    SendMessageA(frame(), WMU_NEWIMAGE, reinterpret_cast<WPARAM>(GlobalAlloc(GHND, 64)), 0);
    const std::vector<PendingRequest> requests = pendingRequests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("Scan1", requests[0].detail);
    EXPECT_EQ("Scan2", requests[1].detail);
    EXPECT_EQ(IDS_NOT_AVAILABLE, statusId()) << "image windows are not there yet";

    SendMessageA(frame(), WMU_SETMODELESS, reinterpret_cast<WPARAM>(client()), 0);
    EXPECT_EQ(client(), shell().modelessDialog);
    SendMessageA(frame(), WMU_SETMODELESS, 0, 0);
    EXPECT_EQ(nullptr, shell().modelessDialog);
}

} // namespace
