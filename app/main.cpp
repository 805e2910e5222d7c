// Kelgrove's program entry.
#include "startup.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show)
{
    return kelapp::runKelgrove(instance, commandLine, show);
}
