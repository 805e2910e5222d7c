// Library entry: the application state handed over at start-up.
#include "kelnet.h"
#include "netpaths_internal.h"

namespace kelnet {

namespace {
AppState* g_app;
}

AppState* app() { return g_app; }

} // namespace kelnet

int InitKelNetDll(AppState* app)
{
    kelnet::g_app = app;
    kelnet::bindNetworkFunctions();
    return 1;
}
