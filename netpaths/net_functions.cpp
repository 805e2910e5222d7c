// The network functions this library binds at run time: WNetGetUniversalNameA from mpr.dll,
// the share enumeration of NetAPI32.dll (Windows NT family) or SVRAPI.dll (Windows 95 family).
// A missing library or entry only switches off the steps that need it.
#include "netpaths_internal.h"

#include <lm.h>

#include <cstring>
#include <mutex>

namespace kelnet {

namespace {

using UniversalNameFn = DWORD(WINAPI*)(LPCSTR, DWORD, LPVOID, LPDWORD);
using ShareEnumFn = NET_API_STATUS(WINAPI*)(LMSTR, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD, LPDWORD);
using BufferFreeFn = NET_API_STATUS(WINAPI*)(LPVOID);

struct NetworkFunctions {
    bool windows95 = false;
    UniversalNameFn universalName = nullptr;
    ShareEnumFn shareEnum = nullptr;
    BufferFreeFn bufferFree = nullptr;
    std::vector<Share> shareTable95;
};

std::once_flag g_bound;
NetworkFunctions g_net;

template <typename Fn> Fn entry(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// The libraries stay loaded for the life of the process, as the bound entries do.
HMODULE loadQuietly(const char* name)
{
    QuietDriveErrors quiet;
    return LoadLibraryA(name);
}

const NetworkFunctions& net()
{
    std::call_once(g_bound, [] {
        // The version word's high bit marks the Windows 95 family (and the 16-bit host).
        g_net.windows95 = (GetVersion() & 0x80000000u) != 0;
        g_net.universalName = entry<UniversalNameFn>(loadQuietly("mpr.dll"), "WNetGetUniversalNameA");
        if (g_net.windows95) {
            if (FARPROC shareEnum = GetProcAddress(loadQuietly("SVRAPI.dll"), "NetShareEnum"))
                g_net.shareTable95 = enumerateShares95(shareEnum);
        } else {
            HMODULE netapi = loadQuietly("NetAPI32.dll");
            g_net.shareEnum = entry<ShareEnumFn>(netapi, "NetShareEnum");
            g_net.bufferFree = entry<BufferFreeFn>(netapi, "NetApiBufferFree");
        }
    });
    return g_net;
}

std::string narrow(const wchar_t* text)
{
    if (!text)
        return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return {};
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(size_t(n - 1));
    return out;
}

} // namespace

void bindNetworkFunctions() { net(); }

bool isWindows95Family() { return net().windows95; }

bool universalName(const std::string& path, DWORD level, std::string* name)
{
    const NetworkFunctions& n = net();
    if (!n.universalName)
        return false;
    // The answer is a small structure followed by the texts it points to.
    alignas(8) char buffer[1024 + 3 * MAX_PATH];
    DWORD size = sizeof buffer;
    if (n.universalName(path.c_str(), level, buffer, &size) != NO_ERROR)
        return false;
    const char* text = level == REMOTE_NAME_INFO_LEVEL
                           ? reinterpret_cast<REMOTE_NAME_INFOA*>(buffer)->lpUniversalName
                           : reinterpret_cast<UNIVERSAL_NAME_INFOA*>(buffer)->lpUniversalName;
    // Only a \\server\share name is a network form; some providers echo the local path back.
    if (!text || std::strncmp(text, "\\\\", 2) != 0)
        return false;
    *name = text;
    return true;
}

std::vector<Share> machineShares()
{
    const NetworkFunctions& n = net();
    std::vector<Share> shares;
    if (!n.shareEnum || !n.bufferFree)
        return shares;
    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0;
    const NET_API_STATUS status = n.shareEnum(nullptr, 2, &buffer, MAX_PREFERRED_LENGTH, &read, &total, nullptr);
    if (status == NERR_Success && buffer) {
        const auto* info = reinterpret_cast<const SHARE_INFO_2*>(buffer);
        for (DWORD i = 0; i < read; ++i)
            shares.push_back({narrow(info[i].shi2_netname), narrow(info[i].shi2_path)});
    }
    if (buffer)
        n.bufferFree(buffer);
    return shares;
}

const std::vector<Share>& localShareTable() { return net().shareTable95; }

} // namespace kelnet
