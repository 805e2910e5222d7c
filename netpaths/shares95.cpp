// The local share table of the Windows 95 family, read once through SVRAPI.dll's NetShareEnum at
// level 50. Kept apart: its declarations clash with the Windows NT network headers.
#include "netpaths_internal.h"

#include <svrapi.h>

namespace kelnet {

std::vector<Share> enumerateShares95(FARPROC shareEnum)
{
    using ShareEnum95Fn = unsigned(WINAPI*)(const char*, short, char*, unsigned short, unsigned short*,
                                            unsigned short*);
    constexpr unsigned short kMaxShares = 16;
    // The entries come first, the remark and path texts they point to after them.
    static_assert(sizeof(share_info_50) * kMaxShares < 2048, "room for the texts after the entries");
    alignas(8) char buffer[8192];
    unsigned short read = 0, total = 0;
    auto enumerate = reinterpret_cast<ShareEnum95Fn>(reinterpret_cast<void*>(shareEnum));
    std::vector<Share> table;
    if (enumerate(nullptr, 50, buffer, sizeof buffer, &read, &total) != 0)
        return table;
    const auto* info = reinterpret_cast<const share_info_50*>(buffer);
    for (unsigned short i = 0; i < read && i < kMaxShares; ++i) {
        const char* path = info[i].shi50_path;
        if (path)
            table.push_back({std::string(info[i].shi50_netname, strnlen(info[i].shi50_netname, LM20_NNLEN + 1)), path});
    }
    return table;
}

} // namespace kelnet
