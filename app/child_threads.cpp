#include "child_threads.h"

#include "keldll.h"

#include "message_loop.h"
#include "shell_state.h"
#include "ui_waits.h"
#include "win_raii.h"

#include <memory>

namespace kelapp {

namespace {

// Shared by the creator and the thread: the creator may stop waiting before the thread is done.
struct Creation {
    ChildWindowParams params;
    kel::UniqueHandle created; // semaphore released when the window exists (or failed)
    HWND window = nullptr;
};

DWORD WINAPI childThread(void* p)
{
    std::shared_ptr<Creation> job(*static_cast<std::shared_ptr<Creation>*>(p));
    delete static_cast<std::shared_ptr<Creation>*>(p);
    const AppState& app = appState();
    const ChildWindowParams& s = job->params;
    HWND wnd = CreateMDIWindowA(s.className.c_str(), s.title.c_str(), s.style, s.x, s.y, s.width, s.height,
                                app.mdiClient, app.appInstance, s.param);
    job->window = wnd;
    ReleaseSemaphore(job->created.get(), 1, nullptr);
    if (wnd)
        runChildLoop(wnd);
    return 0;
}

} // namespace

HWND createChildOnThread(const ChildWindowParams& params, bool* threadStarted)
{
    if (threadStarted)
        *threadStarted = false;
    auto job = std::make_shared<Creation>();
    job->params = params;
    job->created.reset(CreateSemaphoreA(nullptr, 0, 1, nullptr));
    if (!job->created)
        return nullptr;
    auto* handOver = new std::shared_ptr<Creation>(job);
    kel::UniqueHandle thread(CreateThread(nullptr, 0, childThread, handOver, CREATE_SUSPENDED, nullptr));
    if (!thread) {
        delete handOver;
        return nullptr;
    }
    if (threadStarted)
        *threadStarted = true;
    SetThreadPriority(thread.get(), THREAD_PRIORITY_ABOVE_NORMAL);
    ResumeThread(thread.get());
    if (!waitAnsweringSent(job->created.get(), kChildCreationWaitMs))
        return nullptr;
    return job->window;
}

HWND createChildHere(const ChildWindowParams& params)
{
    const AppState& app = appState();
    MDICREATESTRUCTA mcs{};
    mcs.szClass = params.className.c_str();
    mcs.szTitle = params.title.c_str();
    mcs.hOwner = app.appInstance;
    mcs.x = params.x;
    mcs.y = params.y;
    mcs.cx = params.width;
    mcs.cy = params.height;
    mcs.style = params.style;
    mcs.lParam = params.param;
    return reinterpret_cast<HWND>(SendMessageA(app.mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
}

HWND createChildWindow(const ChildWindowParams& params)
{
    bool threadStarted = false;
    HWND wnd = createChildOnThread(params, &threadStarted);
    if (!threadStarted)
        wnd = createChildHere(params);
    if (!wnd)
        DIBError(7); // "Error creating MDI Child!"
    return wnd;
}

} // namespace kelapp
