#include "test_support.h"

#include "file_io.h"
#include "keldll.h"
#include "kel_messages.h"
#include "win_raii.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kt {

std::string testData(const std::string& relative)
{
    const char* root = std::getenv("KEL_TESTDATA");
    if (!root || !*root)
        return {};
    std::string path = std::string(root) + "\\" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ? std::string() : path;
}

std::string fixture(const std::string& relative)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string path(exe);
    path = path.substr(0, path.find_last_of('\\')) + "\\..\\fixtures\\" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ? std::string() : path;
}

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%skeltest-%lu-%d", base, GetCurrentProcessId(), counter++);
    path_ = name;
    CreateDirectoryA(path_.c_str(), nullptr);
}

static void removeTree(const std::string& dir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, ".."))
                continue;
            std::string p = dir + "\\" + fd.cFileName;
            SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(p);
            else
                DeleteFileA(p.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

TempDir::~TempDir() { removeTree(path_); }

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    kel::File f = kel::File::open(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS);
    return f && f.writeAt(0, bytes.data(), bytes.size());
}

std::vector<uint8_t> readFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    kel::readWholeFile(path.c_str(), &bytes);
    return bytes;
}

AppState& testApp()
{
    static AppState app = [] {
        AppState a{};
        a.size = kAppStateSize;
        a.appInstance = GetModuleHandleA(nullptr);
        std::strcpy(a.appName, "Kelgrove");
        return a;
    }();
    return app;
}

namespace {

LRESULT CALLBACK statusFrameProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WMU_GETSTATUSRECT: {
        auto* rc = reinterpret_cast<RECT*>(lParam);
        HWND bar = reinterpret_cast<HWND>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (bar && IsWindowVisible(bar))
            GetWindowRect(bar, rc);
        else
            *rc = RECT{};
        return 0;
    }
    case WMU_GETSTATUSWND:
        return GetWindowLongPtrA(wnd, GWLP_USERDATA);
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

} // namespace

StatusFrame::StatusFrame(bool statusBarShown)
{
    static bool registered = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
        WNDCLASSA wc{};
        wc.lpfnWndProc = statusFrameProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KelTestFrame";
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
    wnd_ = CreateWindowA("KelTestFrame", "Test frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
    bar_ = CreateWindowA(STATUSCLASSNAMEA, "", WS_CHILD | (statusBarShown ? WS_VISIBLE : 0) | SBARS_SIZEGRIP, 0, 0, 0, 0,
                         wnd_, nullptr, GetModuleHandleA(nullptr), nullptr);
    int parts[] = {200, 350, 500, -1};
    SendMessageA(bar_, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
    progress_ = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 505, 2, 120, 16, bar_,
                              reinterpret_cast<HMENU>(kProgressControlId), GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bar_));
    testApp().frameWnd = wnd_;
    testApp().statusBar = bar_;
}

StatusFrame::~StatusFrame()
{
    if (testApp().frameWnd == wnd_) {
        testApp().frameWnd = nullptr;
        testApp().statusBar = nullptr;
    }
    DestroyWindow(wnd_);
}

std::string StatusFrame::partText(int part) const
{
    char text[512] = "";
    SendMessageA(bar_, SB_GETTEXTA, WPARAM(part), reinterpret_cast<LPARAM>(text));
    return text;
}

const ShownControl* Shown::control(int id) const
{
    for (const ShownControl& c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

Shown describeDialog(HWND dlg)
{
    Shown s;
    char text[1024] = "";
    GetWindowTextA(dlg, text, sizeof text);
    s.title = text;
    text[0] = 0;
    // A message box keeps its text in control 0xFFFF, the system's message dialog in 103.
    if (!GetDlgItemTextA(dlg, 0xFFFF, text, sizeof text))
        GetDlgItemTextA(dlg, 103, text, sizeof text);
    s.text = text;
    s.threadId = GetWindowThreadProcessId(dlg, &s.processId);
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        ShownControl control;
        char cls[64] = "";
        GetClassNameA(c, cls, sizeof cls);
        control.cls = cls;
        control.id = GetDlgCtrlID(c);
        text[0] = 0;
        GetWindowTextA(c, text, sizeof text);
        control.text = text;
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        control.visible = (style & WS_VISIBLE) != 0;
        if (!_stricmp(cls, "Button") && control.visible && (style & 0x0F) <= BS_DEFPUSHBUTTON)
            s.buttons.push_back(control.text);
        s.controls.push_back(control);
    }
    return s;
}

namespace {

void answerDialog(HWND dlg, int answer)
{
    if (answer == DialogAnswerer::kEscapeKey) {
        PostMessageA(dlg, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(dlg, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    } else {
        PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    }
}

BOOL CALLBACK collectWindow(HWND wnd, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(wnd);
    return TRUE;
}

bool isDialogClass(HWND wnd)
{
    char cls[32] = "";
    GetClassNameA(wnd, cls, sizeof cls);
    return !strcmp(cls, "#32770");
}

} // namespace

thread_local DialogAnswerer* t_answerer = nullptr;

DialogAnswerer::DialogAnswerer(int answer, std::function<void(HWND)> onShow)
    : answer_(answer), onShow_(std::move(onShow))
{
    t_answerer = this;
    hook_ = SetWindowsHookExA(WH_CBT, hook, nullptr, GetCurrentThreadId());
}

DialogAnswerer::~DialogAnswerer()
{
    UnhookWindowsHookEx(hook_);
    t_answerer = nullptr;
}

LRESULT CALLBACK DialogAnswerer::hook(int code, WPARAM wParam, LPARAM lParam)
{
    DialogAnswerer* self = t_answerer;
    HWND wnd = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_DESTROYWND && self)
        std::erase(self->answered_, wnd);
    // Only dialogs of this thread: closing a window here can activate another program's window
    // through this thread's hook. A dialog is activated again when another program took the
    // foreground meanwhile: it has been answered already.
    if (code == HCBT_ACTIVATE && self && GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId() &&
        std::find(self->answered_.begin(), self->answered_.end(), wnd) == self->answered_.end()) {
        HWND dlg = wnd;
        if (isDialogClass(dlg)) {
            self->answered_.push_back(dlg);
            self->shown_.push_back(describeDialog(dlg));
            if (self->onShow_)
                self->onShow_(dlg);
            answerDialog(dlg, self->answer_);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

DialogWatcher::DialogWatcher(int answer, std::function<bool(const Shown&)> accept)
    : answer_(answer), accept_(std::move(accept)), ownerThread_(GetCurrentThreadId())
{
    InitializeCriticalSection(&lock_);
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
}

DialogWatcher::~DialogWatcher()
{
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(stop_);
    DeleteCriticalSection(&lock_);
}

std::vector<Shown> DialogWatcher::shown() const
{
    kel::CriticalLock hold(lock_);
    return shown_;
}

bool DialogWatcher::waitForAnswered(size_t count, DWORD ms) const
{
    const DWORD start = GetTickCount();
    for (;;) {
        {
            kel::CriticalLock hold(lock_);
            if (shown_.size() >= count)
                return true;
        }
        if (GetTickCount() - start > ms)
            return false;
        Sleep(20);
    }
}

DWORD WINAPI DialogWatcher::run(void* p)
{
    auto* self = static_cast<DialogWatcher*>(p);
    while (WaitForSingleObject(self->stop_, 50) == WAIT_TIMEOUT)
        self->poll();
    return 0;
}

void DialogWatcher::poll()
{
    std::vector<HWND> windows;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND wnd : windows) {
        if (!IsWindowVisible(wnd) || !isDialogClass(wnd))
            continue;
        {
            kel::CriticalLock hold(lock_);
            if (std::find(answered_.begin(), answered_.end(), wnd) != answered_.end())
                continue;
        }
        Shown s = describeDialog(wnd);
        const bool take = accept_ ? accept_(s) : s.processId == GetCurrentProcessId() && s.threadId != ownerThread_;
        if (!take)
            continue;
        answerDialog(wnd, answer_);
        kel::CriticalLock hold(lock_);
        answered_.push_back(wnd);
        shown_.push_back(std::move(s));
    }
}

void typeText(HWND control, const std::string& text)
{
    for (unsigned char c : text)
        PostMessageA(control, WM_CHAR, c, 1);
}

namespace {

// Drains a pipe on its own thread so that a chatty child never blocks on a full pipe.
struct PipeReader {
    HANDLE read = nullptr;
    std::string text;
    HANDLE thread = nullptr;
    static DWORD WINAPI run(void* p)
    {
        auto* self = static_cast<PipeReader*>(p);
        char buf[4096];
        DWORD got;
        while (ReadFile(self->read, buf, sizeof buf, &got, nullptr) && got)
            self->text.append(buf, got);
        return 0;
    }
};

} // namespace

int runProgram(const std::string& exe, const std::string& arguments, std::string* out, std::string* err, DWORD ms)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string dir(self);
    dir.resize(dir.find_last_of('\\') + 1);
    std::string command = "\"" + dir + exe + "\" " + arguments;

    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    PipeReader pipes[2];
    HANDLE writes[2];
    for (int i = 0; i < 2; ++i) {
        CreatePipe(&pipes[i].read, &writes[i], &sa, 0);
        SetHandleInformation(pipes[i].read, HANDLE_FLAG_INHERIT, 0);
    }
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = writes[0];
    si.hStdError = writes[1];
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(writes[0]);
    CloseHandle(writes[1]);
    for (auto& p : pipes)
        p.thread = CreateThread(nullptr, 0, PipeReader::run, &p, 0, nullptr);
    DWORD code = DWORD(-1);
    if (started) {
        if (WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0)
            GetExitCodeProcess(pi.hProcess, &code);
        else
            TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    for (auto& p : pipes) {
        WaitForSingleObject(p.thread, 10000);
        CloseHandle(p.thread);
        CloseHandle(p.read);
    }
    if (out)
        *out = pipes[0].text;
    if (err)
        *err = pipes[1].text;
    return int(code);
}

bool pumpUntil(const std::function<bool()>& done, DWORD ms)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
    return true;
}

} // namespace kt
