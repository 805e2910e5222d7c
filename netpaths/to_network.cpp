// Paths on drive letters to their network form (\\server\share\dir), so that catalogs can store
// them independently of this machine's drive letters.
#include "kelnet.h"
#include "netpaths_internal.h"

#include <winnetwk.h>

#include <cctype>
#include <cstring>

using namespace kelnet;

int GetShareName(const char* computer, const char* localPath, char* buffer, int size)
{
    if (!computer || !*computer || !localPath || !buffer || size <= 0)
        return 0;
    // The full path without changing the process's current directory on the way.
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(localPath, sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full)
        return 0;
    std::string path = full, universal, network;
    if (universalName(path, UNIVERSAL_NAME_INFO_LEVEL, &universal))
        path = universal;
    if (!shareNameOf(machineShares(), computer, path, &network) || network.size() >= size_t(size))
        return 0;
    std::memcpy(buffer, network.c_str(), network.size() + 1);
    return 1;
}

int ConvertToNet(char* path)
{
    AppState* state = app();
    if (!path || !state || !state->useNetNames || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':')
        return 0;
    const std::string local = boundedText(path, kPathSize - 1);
    const std::string computer = boundedText(state->computerName, sizeof state->computerName);
    std::string network;
    if (!universalName(local, REMOTE_NAME_INFO_LEVEL, &network)) {
        const std::string remote = driveConnection(path[0]);
        if (!remote.empty()) {
            network = networkFormOf(normaliseRemoteName(remote), local);
        } else {
            // Not a connected drive: perhaps a directory this machine shares.
            char shared[kPathSize];
            if (GetShareName(computer.c_str(), local.c_str(), shared, sizeof shared))
                network = shared;
            else if (!isWindows95Family() || !shareNameFromTable(localShareTable(), computer, local, &network))
                return 0;
        }
    }
    if (network.size() >= kPathSize)
        return 0;
    std::memcpy(path, network.c_str(), network.size() + 1);
    return 1;
}
