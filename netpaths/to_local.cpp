// Stored network paths back to paths this machine can open: this machine's own shares, drives
// already connected to the share, or a free drive letter connected on the spot.
#include "help_message.h"
#include "ids_netpaths.h"
#include "kelnet.h"
#include "netpaths_internal.h"

#include <winnetwk.h>

#include <cstring>
#include <mutex>

using namespace kelnet;

namespace {

constexpr DWORD kPathNotLocatedHelp = 5122;

std::mutex g_reportLock;
std::string g_lastReported; // the same unreachable path is reported once, not on every call

void reportUnreachable(const std::string& path)
{
    {
        std::lock_guard<std::mutex> lock(g_reportLock);
        if (equalNoCase(g_lastReported, path))
            return;
        g_lastReported = path;
    }
    AppState* state = app();
    errMsgHelp(nullptr, state ? state->appInstance : nullptr, kPathNotLocatedHelp, 0, state ? state->helpFile : nullptr,
               MAKEINTRESOURCEA(IDS_ERROR_CAPTION), MAKEINTRESOURCEA(IDS_NET_PATH_NOT_FOUND), path.c_str());
}

// The share part and rest of a network path on this machine's own share.
bool onOwnShare(const std::string& computer, const std::string& share, const std::string& rest, std::string* local)
{
    if (computer.empty() || !equalNoCase(serverOf(share), computer))
        return false;
    char dir[kPathSize];
    std::string shared;
    if (GetSharePath(computer.c_str(), share.c_str(), dir, sizeof dir))
        shared = dir;
    else if (!isWindows95Family() || !sharePathOf(localShareTable(), computer, share, &shared))
        return false;
    *local = joinPath(shared, rest);
    return true;
}

} // namespace

int GetSharePath(const char* computer, const char* netPath, char* buffer, int size)
{
    if (!computer || !netPath || !buffer || size <= 0)
        return 0;
    std::string dir;
    if (!sharePathOf(machineShares(), computer, netPath, &dir) || dir.size() >= size_t(size))
        return 0;
    std::memcpy(buffer, dir.c_str(), dir.size() + 1);
    return 1;
}

int ConvertToLocal(char* path)
{
    if (!path)
        return 0;
    const std::string network = boundedText(path, kPathSize - 1);
    std::string share, rest, local;
    if (!splitNetworkPath(network, &share, &rest))
        return 1;

    AppState* state = app();
    QuietDriveErrors quiet;
    const std::string computer = state ? boundedText(state->computerName, sizeof state->computerName) : std::string();
    char freeLetter = 0;
    if (!onOwnShare(computer, share, rest, &local)) {
        for (char letter = 'A'; letter <= 'Z' && local.empty(); ++letter) {
            const char root[] = {letter, ':', '\\', 0};
            const UINT type = GetDriveTypeA(root);
            if (type == DRIVE_NO_ROOT_DIR && !freeLetter)
                freeLetter = letter;
            if (type != DRIVE_FIXED && type != DRIVE_REMOTE && type != DRIVE_CDROM)
                continue;
            const std::string remote = driveConnection(letter);
            if (state && state->driveTable)
                setDriveRemote(state->driveTable[letter - 'A'], remote);
            if (!remote.empty() && equalNoCase(normaliseRemoteName(remote), share))
                local = onDrive(letter, network);
        }
    }
    if (local.empty() && freeLetter) {
        const char drive[] = {freeLetter, ':', 0};
        if (WNetAddConnectionA(share.c_str(), "", drive) == NO_ERROR)
            local = onDrive(freeLetter, network);
    }
    if (local.empty() || local.size() >= kPathSize) {
        reportUnreachable(network);
        return 0;
    }
    std::memcpy(path, local.c_str(), local.size() + 1);
    return 1;
}
