// The text side of network paths: splitting \\server\share paths, the network form of a drive's
// connection, share look-ups in a list of shares and the Photo CD image name. No platform calls,
// so every rule here is tested on its own.
#pragma once

#include <string>
#include <vector>

namespace kelnet {

constexpr size_t kPathSize = 260;  // room of every path buffer the exports change in place
constexpr size_t kLabelSize = 14;  // a volume label as the drive table holds it, with its zero

bool equalNoCase(const std::string& a, const std::string& b);
bool startsWithNoCase(const std::string& text, const std::string& prefix);

// A drive's remote name as the network form uses it: "/" become "\", the name ends at the first
// space or colon; a name cut at a colon (server and volume) gets "\\" in front, a name that does
// not begin with a backslash is a directory-service name under "\\$NDS\".
std::string normaliseRemoteName(const std::string& remote);

// "X:\dir\file" on a drive connected to `remote` (normalised): remote + "\" + the rest of the
// path after "X:" without its leading backslashes.
std::string networkFormOf(const std::string& remote, const std::string& drivePath);

// Splits "\\server\share\rest" into "\\server\share" and "\rest" (empty when the path is the
// share itself). False when the path does not begin with "\\".
bool splitNetworkPath(const std::string& path, std::string* share, std::string* rest);
std::string serverOf(const std::string& sharePart);

// dir and rest joined by exactly one backslash (rest may begin with one or not; empty rest
// leaves dir as it is).
std::string joinPath(const std::string& dir, const std::string& rest);

// "X:" + the path after its share part or drive: the same place on drive `letter`. A path with
// no drive ("\dir") gets the drive put in front.
std::string onDrive(char letter, const std::string& path);

// The volume label as the system keeps it: without dots, at most kLabelSize - 1 characters.
std::string labelWithoutDots(const std::string& label);

// A catalogued Photo CD name (characters 10 to 12 digits, as in ABCDEFGH.012) gives the image
// file IMG0012.PCD: "IMG0" + the name from its tenth character on + ".PCD".
bool photoCdImageName(const std::string& name, std::string* image);

struct Share {
    std::string name; // share name
    std::string dir;  // the local directory it shares
};

// The network name of a local path on this machine's shares: the first share whose directory is
// a leading directory of the path (shares ending in "$" are hidden and skipped).
bool shareNameOf(const std::vector<Share>& shares, const std::string& computer, const std::string& path,
                 std::string* network);

// The same from a share table: the share whose directory is the longest leading part of the
// path, found by cutting the path back directory by directory.
bool shareNameFromTable(const std::vector<Share>& table, const std::string& computer, const std::string& path,
                        std::string* network);

// The local directory of "\\server\share" when the server is this machine.
bool sharePathOf(const std::vector<Share>& shares, const std::string& computer, const std::string& sharePart,
                 std::string* dir);

} // namespace kelnet
