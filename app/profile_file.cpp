#include "profile_file.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <new>

namespace kelapp {

namespace {
constexpr DWORD kKeyListSize = 32 * 1024;
constexpr DWORD kValueSize = 513;
} // namespace

bool migrateWinIniSection(const std::string& appName, const std::string& path)
{
    std::unique_ptr<char[]> keys(new (std::nothrow) char[kKeyListSize]);
    if (!keys)
        return false;
    const DWORD n = GetProfileStringA(appName.c_str(), nullptr, "", keys.get(), kKeyListSize);
    if (n == 0)
        return true;
    for (const char* key = keys.get(); *key; key += strlen(key) + 1) {
        char value[kValueSize] = "";
        GetProfileStringA(appName.c_str(), key, "", value, sizeof value);
        WritePrivateProfileStringA(appName.c_str(), key, value, path.c_str());
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str()); // flush
    WriteProfileStringA(appName.c_str(), nullptr, nullptr);
    return true;
}

std::string locateProfile(const std::string& appName, const std::string& wanted)
{
    const std::string file = appName + ".ini";
    std::string path = wanted;
    if (path.empty()) {
        // The current folder, the Windows folders, then the path.
        char windows[MAX_PATH] = "", system[MAX_PATH] = "", env[32767] = "";
        GetWindowsDirectoryA(windows, sizeof windows);
        GetSystemDirectoryA(system, sizeof system);
        GetEnvironmentVariableA("PATH", env, sizeof env);
        const std::string where = std::string(".;") + windows + ";" + system + ";" + env;
        char found[MAX_PATH];
        const DWORD n = SearchPathA(where.c_str(), file.c_str(), nullptr, sizeof found, found, nullptr);
        if (n && n < sizeof found)
            return found;
        path = std::string(windows) + "\\" + file;
    } else if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return path;
    }
    if (!migrateWinIniSection(appName, path))
        return {};
    return path;
}

std::string computerName()
{
    char name[64] = "";
    const DWORD version = GetVersion();
    const bool nt = !(version & 0x80000000);
    if (nt || LOBYTE(LOWORD(version)) >= 4) {
        DWORD size = sizeof name;
        if (RegGetValueA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                         "ComputerName", RRF_RT_REG_SZ, nullptr, name, &size) == ERROR_SUCCESS)
            return name;
    } else if (GetPrivateProfileStringA("Network", "ComputerName", "", name, sizeof name, "SYSTEM.INI")) {
        return name;
    }
    DWORD size = sizeof name;
    return GetComputerNameA(name, &size) ? std::string(name) : std::string();
}

} // namespace kelapp
