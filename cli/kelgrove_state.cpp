#include "kelgrove_state.h"

#include "ids_app.h"
#include "kelcmd.h"
#include "kelnet.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace kelcli {

namespace {

// Takes "--name VALUE" out of args; false when the value is missing.
bool takeOption(Args& args, const char* name, std::string* value)
{
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != name)
            continue;
        if (i + 1 >= args.size())
            return false;
        *value = args[i + 1];
        args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
        return true;
    }
    return true;
}

std::string defaultProfile(const std::string& appName)
{
    const std::string file = appName + ".ini";
    char path[MAX_PATH];
    const DWORD n = SearchPathA(nullptr, file.c_str(), nullptr, sizeof path, path, nullptr);
    if (n && n < sizeof path)
        return path;
    GetWindowsDirectoryA(path, sizeof path);
    return std::string(path) + "\\" + file;
}

} // namespace

namespace {
AppState g_app{};
bool g_started = false;
} // namespace

AppState* startKelgrove(Args& args)
{
    AppState& app = g_app;
    static std::vector<uint8_t> driveBlock(kDriveTableBytes);
    std::string name, ini;
    if (!takeOption(args, "--app", &name) || !takeOption(args, "--ini", &ini)) {
        fail("--app and --ini need a value");
        return nullptr;
    }
    app.size = kAppStateSize;
    app.appInstance = GetModuleHandleA(nullptr);
    std::strcpy(app.appName, "Kelgrove");
    LoadStringA(app.appInstance, IDS_APPNAME, app.appName, sizeof app.appName);
    if (!name.empty())
        lstrcpynA(app.appName, name.c_str(), sizeof app.appName);
    lstrcpynA(app.profilePath, (ini.empty() ? defaultProfile(app.appName) : ini).c_str(), sizeof app.profilePath);
    DWORD size = sizeof app.computerName;
    GetComputerNameA(app.computerName, &size);
    app.useNetNames = 1;
    app.driveTable = reinterpret_cast<DriveEntry*>(driveBlock.data());
    InitKelCmd(&app);
    InitKelNetDll(&app);
    g_started = true;
    return &app;
}

AppState& kelgroveState()
{
    if (!g_started) {
        Args none;
        startKelgrove(none);
    }
    return g_app;
}

void fillDriveTable(AppState& app)
{
    char primary[256], backup[256];
    MyGetPrivateProfileString(app.appName, "Primary Drives", "", primary, sizeof primary, app.profilePath);
    MyGetPrivateProfileString(app.appName, "Backup drives", "", backup, sizeof backup, app.profilePath);
    FillDriveTable(primary, backup);
}

} // namespace kelcli
