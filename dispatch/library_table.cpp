// The library table, the on-demand loader, the library path and the process-end release.
#include "library_table.h"

#include "kelint.h"
#include "keldll.h"

#include <cstring>

namespace kelint {

bool initFlc(Library& lib);
bool initJpg(Library& lib);
bool initAvi(Library& lib);
bool initMm(Library& lib);
bool initMpg(Library& lib);

namespace {

template <size_t N> constexpr Library make(const char* file, const char* const (&names)[N], unsigned flags,
                                           bool (*init)(Library&) = nullptr)
{
    static_assert(N <= kMaxEntries);
    return Library{file, names, N, flags, init, nullptr, false, {}};
}

// In FreeDlls order (the order of Lib).
Library g_libraries[] = {
    make("Kelio32.dll", kIoEntries, kLoudLoad),
    make("Kelgif32.dll", kGifEntries, kLoudLoad),
    make("Kelpcx32.dll", kPcxEntries, kLoudLoad),
    make("KelTif32.dll", kTifEntries, kLoudLoad),
    make("Kelwpg32.dll", kWpgEntries, kLoudLoad),
    make("KelFlc32.dll", kFlcEntries, kLoudLoad, initFlc),
    make("Keljpg32.dll", kJpgEntries, kLoudLoad, initJpg),
    // Only the two image entries report a missing Photo CD library (see the PCD forwarders).
    make("KelPCD32.dll", kPcdEntries, kQuietErrors),
    make("KelICS32.dll", kIcsEntries, kLoudLoad),
    make("KelAVI32.dll", kAviEntries, kQuietErrors | kSilent, initAvi),
    make("KelMM32.dll", kMmEntries, kQuietErrors | kSilent, initMm),
    make("KelMPG32.dll", kMpgEntries, kQuietErrors | kSilent, initMpg),
    make("KelPng32.dll", kPngEntries, kLoudLoad),
    make("Kelsgi32.dll", kSgiEntries, kLoudLoad),
    make("KelRAS32.dll", kRasEntries, kLoudLoad),
    make("KelXPM32.dll", kXpmEntries, kLoudLoad),
};
static_assert(std::size(g_libraries) == size_t(Lib::Count));

constexpr char kSpinFile[] = "Spin32.dll";
HMODULE g_spin;

AppState* g_app;
// Loading and resolving are serialised: image windows run on threads of their own and may meet
// the same format at once. The lock is never held while a message box is up.
SRWLOCK g_loadLock = SRWLOCK_INIT;
char g_pathBuffer[128];

bool loadFailed(HMODULE h) { return reinterpret_cast<uintptr_t>(h) <= 32; }

// Loads a library file from the application's directory.
HMODULE loadFromAppDirectory(const char* file, bool quietErrors)
{
    char path[sizeof g_pathBuffer];
    std::strcpy(path, MakeDLLPathName(g_app ? g_app->appInstance : nullptr, file));
    UINT oldMode = quietErrors ? SetErrorMode(SEM_NOOPENFILEERRORBOX) : 0;
    HMODULE h = LoadLibraryA(path);
    if (quietErrors)
        SetErrorMode(oldMode);
    return loadFailed(h) ? nullptr : h;
}

} // namespace

Library& library(Lib which) { return g_libraries[size_t(which)]; }

AppState* app() { return g_app; }
void setApp(AppState* app) { g_app = app; }

bool ensureLoaded(Library& lib, bool report)
{
    bool loaded;
    {
        AcquireSRWLockExclusive(&g_loadLock);
        if (!lib.handle)
            lib.handle = loadFromAppDirectory(lib.file, lib.flags & kQuietErrors);
        loaded = lib.handle != nullptr;
        if (loaded && !lib.resolved) {
            for (size_t i = 0; i < lib.count; ++i)
                lib.entries[i] = GetProcAddress(lib.handle, lib.names[i]);
            lib.resolved = lib.init ? lib.init(lib) : true;
        }
        ReleaseSRWLockExclusive(&g_loadLock);
    }
    if (!loaded && report && !(lib.flags & kSilent))
        ErrMsg("Can't load %s", lib.file);
    return loaded;
}

} // namespace kelint

using namespace kelint;

// The directory of the module followed by the file name, in one buffer shared by all callers.
// The module name is fetched whole first: cutting it to the buffer before looking for the last
// separator would name some parent folder of the module instead of its own.
char* MakeDLLPathName(HMODULE module, const char* fileName)
{
    char full[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(module, full, sizeof full);
    if (n >= sizeof full)
        n = 0;
    full[n] = 0;
    size_t dir = n;
    while (dir > 0 && full[dir - 1] != '\\' && full[dir - 1] != ':')
        --dir;
    const size_t name = fileName ? std::strlen(fileName) : 0;
    if (dir + 13 < sizeof g_pathBuffer && dir + name < sizeof g_pathBuffer) {
        std::memcpy(g_pathBuffer, full, dir);
        std::memcpy(g_pathBuffer + dir, fileName, name);
        g_pathBuffer[dir + name] = 0;
    } else {
        // A name that cannot be loaded: the load fails like that of a missing library.
        const size_t keep = dir < sizeof g_pathBuffer - 2 ? dir : sizeof g_pathBuffer - 2;
        std::memcpy(g_pathBuffer, full, keep);
        g_pathBuffer[keep] = '?';
        g_pathBuffer[keep + 1] = 0;
    }
    return g_pathBuffer;
}

int LoadSpin32(void)
{
    AcquireSRWLockExclusive(&g_loadLock);
    if (!g_spin)
        g_spin = loadFromAppDirectory(kSpinFile, false);
    const bool loaded = g_spin != nullptr;
    ReleaseSRWLockExclusive(&g_loadLock);
    if (!loaded)
        ErrMsg("Can't load %s", kSpinFile);
    return loaded ? 1 : 0;
}

// Each library is released once and forgotten, so that a second call (the application at exit and
// the commands library when it is unloaded both call this) frees nothing twice, and a forwarder
// called afterwards loads its library again instead of jumping into an unloaded module.
void FreeDlls(void)
{
    AcquireSRWLockExclusive(&g_loadLock);
    for (Library& lib : g_libraries) {
        if (lib.handle)
            FreeLibrary(lib.handle);
        lib.handle = nullptr;
        lib.resolved = false;
        std::memset(lib.entries, 0, sizeof lib.entries);
    }
    if (g_spin)
        FreeLibrary(g_spin);
    g_spin = nullptr;
    ReleaseSRWLockExclusive(&g_loadLock);
}
