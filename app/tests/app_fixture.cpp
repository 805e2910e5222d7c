#include "app_fixture.h"

#include "menu_state.h"
#include "pending_requests.h"
#include "shell_state.h"

#include <cstdio>

namespace apptest {

FrameTest::FrameTest()
{
    char name[9];
    snprintf(name, sizeof name, "Ka%06lX", GetCurrentProcessId() & 0xFFFFFFul);
    name_ = name;
    root_ = "Software\\TandrySoftware\\" + name_;
    RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
    kelapp::resetShellState();
    kelapp::clearPendingRequests();
}

FrameTest::~FrameTest()
{
    if (started_ && kelapp::appState().frameWnd && IsWindow(kelapp::appState().frameWnd))
        closeFrame();
    kelapp::endInstance();
    kelapp::resetShellState();
    kelapp::clearPendingRequests();
    RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TandrySoftware"); // only when no one else is in it
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    DeleteFileA((std::string(windows) + "\\" + name_ + ".ini").c_str());
}

bool FrameTest::start(const std::string& commandLine)
{
    kelapp::StartConfig config;
    config.instance = GetModuleHandleA(nullptr);
    config.commandLine = commandLine;
    config.show = SW_SHOWNORMAL;
    config.appName = name_;
    config.profilePath = dir_.file(name_ + ".ini");
    config.registerAssociations = false;
    started_ = kelapp::startInstance(config);
    return started_;
}

bool FrameTest::closeFrame(DWORD ms)
{
    HWND f = frame();
    if (!f)
        return true;
    PostMessageA(f, WM_CLOSE, 0, 0);
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < ms) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit_ = true;
                return !IsWindow(f);
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
    return false;
}

HWND FrameTest::frame() const { return kelapp::appState().frameWnd; }
HWND FrameTest::client() const { return kelapp::appState().mdiClient; }

void FrameTest::command(UINT id, LPARAM lParam) const { SendMessageA(frame(), WM_COMMAND, id, lParam); }

HMENU FrameTest::openPopupHolding(UINT id) const
{
    HMENU bar = GetMenu(frame());
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        HMENU popup = GetSubMenu(bar, i);
        if (popup && GetMenuState(popup, id, MF_BYCOMMAND) != UINT(-1)) {
            SendMessageA(frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(i, FALSE));
            // Sub-menus open (and are set) on their own when the user reaches them.
            for (int j = 0; j < GetMenuItemCount(popup); ++j)
                if (HMENU sub = GetSubMenu(popup, j)) {
                    SendMessageA(frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), MAKELPARAM(j, FALSE));
                    for (int k = 0; k < GetMenuItemCount(sub); ++k)
                        if (HMENU subsub = GetSubMenu(sub, k))
                            SendMessageA(frame(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(subsub),
                                         MAKELPARAM(k, FALSE));
                }
            return popup;
        }
    }
    return nullptr;
}

bool FrameTest::enabled(UINT id) const
{
    HMENU popup = openPopupHolding(id);
    const UINT state = popup ? GetMenuState(popup, id, MF_BYCOMMAND) : UINT(-1);
    EXPECT_NE(UINT(-1), state) << "command " << id << " is in no popup of the frame menu";
    return state != UINT(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

bool FrameTest::checked(UINT id) const
{
    HMENU popup = openPopupHolding(id);
    const UINT state = popup ? GetMenuState(popup, id, MF_BYCOMMAND) : UINT(-1);
    EXPECT_NE(UINT(-1), state) << "command " << id << " is in no popup of the frame menu";
    return state != UINT(-1) && (state & MF_CHECKED);
}

void FrameTest::setProfile(const std::string& key, const std::string& value)
{
    const std::string path = root_ + "\\" + name_;
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), key.c_str(), REG_SZ, value.c_str(),
                                             DWORD(value.size() + 1)));
}

std::string FrameTest::profile(const std::string& key, bool* found) const
{
    char data[1024] = "";
    DWORD size = sizeof data;
    const LSTATUS status = RegGetValueA(HKEY_CURRENT_USER, (root_ + "\\" + name_).c_str(), key.c_str(),
                                        RRF_RT_REG_SZ, nullptr, data, &size);
    if (found)
        *found = status == ERROR_SUCCESS;
    return status == ERROR_SUCCESS ? data : "";
}

void FrameTest::pump(DWORD ms)
{
    kt::pumpUntil([] { return false; }, ms);
}

} // namespace apptest
