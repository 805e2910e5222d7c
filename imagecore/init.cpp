// Library entry: the application state handed over at start-up and the status lock's lifetime.
#include "imagecore_internal.h"
#include "keldll.h"

namespace keldll {

void initStatusLock();
void deleteStatusLock();

namespace {
AppState* g_app;
}

AppState* app() { return g_app; }

int loadAppString(UINT id, char* buffer, int size)
{
    if (size > 0)
        buffer[0] = 0;
    return g_app ? LoadStringA(g_app->appInstance, id, buffer, size) : 0;
}

const char* colourText(int bits)
{
    switch (bits) {
    case 1: return "2";
    case 4: return "16";
    case 8: return "256";
    default: return ">256";
    }
}

} // namespace keldll

AppState* InitKelDll(AppState* app)
{
    keldll::g_app = app;
    return app;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        keldll::initStatusLock();
    else if (reason == DLL_PROCESS_DETACH)
        keldll::deleteStatusLock();
    return TRUE;
}
