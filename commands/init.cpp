// Library entry: the application state handed over at start-up.
#include "commands_internal.h"
#include "kelcmd.h"
#include "keldll.h"

#include <atomic>

namespace kelcmd {

namespace {
AppState* g_app;
std::atomic<bool> g_sizeReported{false};
} // namespace

AppState* app() { return g_app; }

} // namespace kelcmd

int InitKelCmd(AppState* app)
{
    if (!app)
        return 0;
    kelcmd::g_app = app;
    // A program and library built with different layouts of the block would read each other's
    // fields at the wrong places: say so once, then go on as the program asks.
    if (app->size != kAppStateSize && !kelcmd::g_sizeReported.exchange(true))
        ErrMsg("KelCmd32:Size of global array is wrong!");
    return 1;
}
