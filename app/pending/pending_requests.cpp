#include "pending_requests.h"

#include "ids_frame.h"
#include "kel_messages.h"
#include "shell_state.h"

#include <mutex>

namespace kelapp {

namespace {
std::mutex g_lock;
std::vector<PendingRequest> g_requests;
} // namespace

void requestNotAvailable(UINT command, const std::string& detail)
{
    {
        std::lock_guard<std::mutex> hold(g_lock);
        g_requests.push_back({command, detail});
    }
    if (HWND frame = appState().frameWnd)
        SendMessageA(frame, WMU_SETSTATUS, reinterpret_cast<WPARAM>(frame), IDS_NOT_AVAILABLE);
}

std::vector<PendingRequest> pendingRequests()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_requests;
}

void clearPendingRequests()
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_requests.clear();
}

} // namespace kelapp
