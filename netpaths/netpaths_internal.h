// Shared inside KELNET32: the application state, the network functions bound at run time and the
// quiet probing of drives.
#pragma once

#include "app_state.h"
#include "net_path_text.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kelnet {

AppState* app();

// Critical-error boxes ("no disk in drive") stay away while this thread probes drives and files.
class QuietDriveErrors {
public:
    QuietDriveErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_); }
    ~QuietDriveErrors() { SetThreadErrorMode(previous_, nullptr); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    DWORD previous_ = 0;
};

// The network functions found when the library was loaded; each may be missing.
void bindNetworkFunctions();
bool isWindows95Family();
// The universal name of a local path from mpr.dll's WNetGetUniversalNameA at `level`; false when
// the function is missing or gives no network name.
bool universalName(const std::string& path, DWORD level, std::string* name);
// This machine's shares (NetAPI32 enumeration, Windows NT family); empty when not available.
std::vector<Share> machineShares();
// The local share table (Windows 95 family, read at initialisation); empty elsewhere.
const std::vector<Share>& localShareTable();
// The Windows 95 enumeration through SVRAPI's entry, at most 16 shares (share_info_50).
std::vector<Share> enumerateShares95(FARPROC shareEnum);

// The remote name of drive `letter` ("X:"), or empty when it is not a connected drive.
std::string driveConnection(char letter);
std::string driveLabel(char letter);
void setDriveLabel(DriveEntry& entry, const std::string& label);
void setDriveRemote(DriveEntry& entry, const std::string& remote);
// An existing file (not a directory).
bool fileExists(const std::string& path);
// A zero-terminated text of at most `size` characters.
inline std::string boundedText(const char* text, size_t size) { return text ? std::string(text, strnlen(text, size)) : std::string(); }

} // namespace kelnet
