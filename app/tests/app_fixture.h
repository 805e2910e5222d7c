// The program's frame started inside the test process, with an application name of this process
// (its profile section and registry key word, HKCU\Software\TandrySoftware\<name>) and a profile
// file in a scratch folder, so that tests never touch the program's own settings.
#pragma once

#include "startup.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace apptest {

class FrameTest : public ::testing::Test {
protected:
    FrameTest();
    ~FrameTest() override;

    // Starts the frame with `commandLine`; false when start-up failed.
    bool start(const std::string& commandLine = "");
    // Closes the frame (WM_CLOSE) and pumps until it is destroyed and WM_QUIT came, at most `ms`.
    bool closeFrame(DWORD ms = 10000);

    HWND frame() const;
    HWND client() const;
    // Sends a command to the frame as a menu would.
    void command(UINT id, LPARAM lParam = 0) const;
    // Opens the popup of the frame menu that holds `id` as the menu does (WM_INITMENUPOPUP) and
    // returns it.
    HMENU openPopupHolding(UINT id) const;
    // Grey and check state of command `id` in the popup that holds it.
    bool enabled(UINT id) const;
    bool checked(UINT id) const;

    // A profile value of the program's section, read and written straight in the registry.
    void setProfile(const std::string& key, const std::string& value);
    std::string profile(const std::string& key, bool* found = nullptr) const;

    void pump(DWORD ms);

    const std::string& appName() const { return name_; }
    kt::TempDir dir_;

private:
    std::string name_, root_;
    bool started_ = false, quit_ = false;
};

} // namespace apptest
