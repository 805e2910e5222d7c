// Shared helpers of the test programs: sample files, scratch folders, an application state
// wired to the test's own resources, a stand-in frame with a status bar, and answering the
// message boxes and dialogs the code under test shows.
#pragma once

#include "app_state.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kt {

// Path of a file of the shared sample set (Windows form); empty when the set is not there.
std::string testData(const std::string& relative);

// Path of a file the build made for the tests (the fixture scripts' output, build/<arch>/fixtures,
// Windows form); empty when it is not there.
std::string fixture(const std::string& relative);

// A fresh empty folder for one test, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readFile(const std::string& path);

// An AppState as the program fills it, with the test program as the application instance
// (test programs carry the application's string table).
AppState& testApp();

// A top-level window standing in for the frame: a status bar with a progress control (id 101)
// that answers the status protocol messages as the frame does. Optionally hidden status bar.
class StatusFrame {
public:
    explicit StatusFrame(bool statusBarShown = true);
    ~StatusFrame();
    HWND wnd() const { return wnd_; }
    HWND statusBar() const { return bar_; }
    HWND progress() const { return progress_; }
    std::string partText(int part) const;

private:
    HWND wnd_ = nullptr, bar_ = nullptr, progress_ = nullptr;
};

// What a dialog showed when it was answered.
struct Shown {
    std::string title;
    std::string text;    // the message text (static control 0xFFFF of a message box)
    std::vector<std::string> buttons; // visible button texts
};

// Answers every dialog (class #32770) that the current thread shows while the object lives:
// records what it showed, lets `onShow` act on it (fill fields), then posts WM_COMMAND(answer).
class DialogAnswerer {
public:
    explicit DialogAnswerer(int answer = IDOK, std::function<void(HWND)> onShow = {});
    ~DialogAnswerer();
    const std::vector<Shown>& shown() const { return shown_; }
    void setAnswer(int answer) { answer_ = answer; }

private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
    int answer_;
    std::function<void(HWND)> onShow_;
    std::vector<Shown> shown_;
};

// Runs a program of the build (beside the test program) with arguments; returns its exit code
// (-1 when it could not start or did not end within `ms`), with its output and error text.
int runProgram(const std::string& exe, const std::string& arguments, std::string* out = nullptr,
               std::string* err = nullptr, DWORD ms = 60000);

// Pumps this thread's messages for up to `ms` milliseconds or until `done` returns true.
bool pumpUntil(const std::function<bool()>& done, DWORD ms);

} // namespace kt
