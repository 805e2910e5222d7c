#include "message_loop.h"

#include "pending_libraries.h"
#include "shell_state.h"

namespace kelapp {

bool filterUiMessage(MSG& msg)
{
    const AppState& app = appState();
    HWND dialog = shell().modelessDialog;
    if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &msg))
        return true;
    if (app.mdiClient && TranslateMDISysAccel(app.mdiClient, &msg))
        return true;
    if (app.accelerators && app.frameWnd && TranslateAcceleratorA(app.frameWnd, app.accelerators, &msg))
        return true;
    return false;
}

void handleUiMessage(MSG& msg)
{
    if (filterUiMessage(msg))
        return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

int runMainLoop()
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (twainFilterMessage(&msg))
            continue;
        handleUiMessage(msg);
    }
    return int(msg.wParam);
}

void runChildLoop(HWND window)
{
    MSG msg;
    while (IsWindow(window) && GetMessageA(&msg, nullptr, 0, 0) > 0)
        handleUiMessage(msg);
}

} // namespace kelapp
