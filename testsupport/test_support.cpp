#include "test_support.h"

#include "file_io.h"
#include "keldll.h"
#include "kel_messages.h"

#include <commctrl.h>

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
    if (code == HCBT_ACTIVATE && self) {
        HWND dlg = reinterpret_cast<HWND>(wParam);
        char cls[32] = "";
        GetClassNameA(dlg, cls, sizeof cls);
        if (!strcmp(cls, "#32770")) {
            Shown s;
            char text[1024] = "";
            GetWindowTextA(dlg, text, sizeof text);
            s.title = text;
            text[0] = 0;
            GetDlgItemTextA(dlg, 0xFFFF, text, sizeof text);
            s.text = text;
            for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                char ccls[32] = "";
                GetClassNameA(c, ccls, sizeof ccls);
                LONG style = GetWindowLongA(c, GWL_STYLE);
                if (!_stricmp(ccls, "Button") && (style & WS_VISIBLE) && (style & 0x0F) <= BS_DEFPUSHBUTTON) {
                    GetWindowTextA(c, text, sizeof text);
                    s.buttons.push_back(text);
                }
            }
            self->shown_.push_back(s);
            if (self->onShow_)
                self->onShow_(dlg);
            PostMessageA(dlg, WM_COMMAND, WPARAM(self->answer_), 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
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
