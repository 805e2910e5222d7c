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

// One control of a dialog as it was when the dialog was answered.
struct ShownControl {
    int id = 0;
    std::string cls;  // window class, e.g. "Button", "Static", "Edit"
    std::string text;
    bool visible = false; // its own WS_VISIBLE style (the dialog itself may not be shown yet)
};

// What a dialog showed when it was answered.
struct Shown {
    std::string title;
    std::string text;    // the message text (control 0xFFFF of a message box, 103 of the message dialog)
    std::vector<std::string> buttons; // visible push button texts, in the dialog's order
    std::vector<ShownControl> controls; // every control, in the dialog's order
    DWORD processId = 0, threadId = 0;  // who owns the dialog

    // The control with this id (null when the dialog has none).
    const ShownControl* control(int id) const;
};

// Reads what a dialog shows (works for dialogs of other threads and processes too).
Shown describeDialog(HWND dlg);

// Answers every dialog (class #32770) that the current thread shows while the object lives:
// records what it showed, lets `onShow` act on it (fill fields), then posts WM_COMMAND(answer)
// (or, for kEscapeKey, the Esc key as the user presses it).
class DialogAnswerer {
public:
    static constexpr int kEscapeKey = -1;
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
    std::vector<HWND> answered_; // answered and not yet destroyed
};

// Answers dialogs (class #32770) shown by other threads or processes: a thread of its own looks
// at the top-level windows every 50 ms and answers each new visible dialog that `accept` takes
// with WM_COMMAND(answer). By default it takes the dialogs of this process that the thread which
// made the watcher does not own; dialogs of another process need an `accept` that names them
// (test programs run side by side and must not answer each other's dialogs).
class DialogWatcher {
public:
    explicit DialogWatcher(int answer = IDOK, std::function<bool(const Shown&)> accept = {});
    ~DialogWatcher(); // stops watching (within one polling period)
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;
    // What the answered dialogs showed so far.
    std::vector<Shown> shown() const;
    // Waits until at least `count` dialogs were answered; false after `ms` milliseconds.
    bool waitForAnswered(size_t count, DWORD ms) const;

private:
    static DWORD WINAPI run(void* self);
    void poll();
    int answer_;
    std::function<bool(const Shown&)> accept_;
    DWORD ownerThread_;
    mutable CRITICAL_SECTION lock_;
    std::vector<Shown> shown_;
    std::vector<HWND> answered_;
    HANDLE stop_ = nullptr, thread_ = nullptr;
};

// Types a text into a control as the keyboard would (one posted WM_CHAR per character), so
// that the control's own limits apply. The characters arrive when the control's thread pumps.
void typeText(HWND control, const std::string& text);

// Runs a program of the build (beside the test program) with arguments; returns its exit code
// (-1 when it could not start or did not end within `ms`), with its output and error text.
int runProgram(const std::string& exe, const std::string& arguments, std::string* out = nullptr,
               std::string* err = nullptr, DWORD ms = 60000);

// Pumps this thread's messages for up to `ms` milliseconds or until `done` returns true.
bool pumpUntil(const std::function<bool()>& done, DWORD ms);

} // namespace kt
