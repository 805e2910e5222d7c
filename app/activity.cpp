#include "activity.h"

#include "win_raii.h"

#include <windows.h>

namespace kelapp {

namespace {
CRITICAL_SECTION g_lock;
bool g_initialised = false;
uint32_t g_flags = 0;
} // namespace

void InitActivityFlags()
{
    if (g_initialised)
        return;
    InitializeCriticalSection(&g_lock);
    g_flags = 0;
    g_initialised = true;
}

void DeleteActivityFlags()
{
    if (!g_initialised)
        return;
    DeleteCriticalSection(&g_lock);
    g_initialised = false;
}

uint32_t BeginActivity(uint32_t test, uint32_t set)
{
    kel::CriticalLock hold(g_lock);
    if (const uint32_t busy = g_flags & test)
        return busy;
    g_flags |= set;
    return 0;
}

void SetActivity(uint32_t bits, bool on)
{
    kel::CriticalLock hold(g_lock);
    g_flags = on ? g_flags | bits : g_flags & ~bits;
}

uint32_t ActivityFlags()
{
    kel::CriticalLock hold(g_lock);
    return g_flags;
}

} // namespace kelapp
