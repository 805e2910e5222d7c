#include "net_path_text.h"

#include <cctype>
#include <cstring>

namespace kelnet {

namespace {

std::string withoutTrailingBackslashes(std::string s)
{
    while (!s.empty() && s.back() == '\\')
        s.pop_back();
    return s;
}

std::string withoutLeadingBackslashes(const std::string& s)
{
    const size_t first = s.find_first_not_of('\\');
    return first == std::string::npos ? std::string() : s.substr(first);
}

std::string networkName(const std::string& computer, const std::string& share, const std::string& rest)
{
    return "\\\\" + computer + "\\" + share + "\\" + withoutLeadingBackslashes(rest);
}

} // namespace

bool equalNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && _strnicmp(a.c_str(), b.c_str(), a.size()) == 0;
}

bool startsWithNoCase(const std::string& text, const std::string& prefix)
{
    return text.size() >= prefix.size() && _strnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

std::string normaliseRemoteName(const std::string& remote)
{
    std::string s = remote;
    for (char& c : s)
        if (c == '/')
            c = '\\';
    const size_t cut = s.find_first_of(" :");
    const bool serverAndVolume = cut != std::string::npos && s[cut] == ':';
    if (cut != std::string::npos)
        s.resize(cut);
    if (s.empty())
        return s;
    if (serverAndVolume)
        return "\\\\" + withoutLeadingBackslashes(s);
    if (s[0] != '\\')
        return "\\\\$NDS\\" + s;
    return s;
}

std::string networkFormOf(const std::string& remote, const std::string& drivePath)
{
    std::string net = remote;
    if (net.empty() || net.back() != '\\')
        net += '\\';
    return net + withoutLeadingBackslashes(drivePath.size() > 2 ? drivePath.substr(2) : std::string());
}

bool splitNetworkPath(const std::string& path, std::string* share, std::string* rest)
{
    if (path.compare(0, 2, "\\\\") != 0)
        return false;
    const size_t serverEnd = path.find('\\', 2);
    const size_t shareEnd = serverEnd == std::string::npos ? std::string::npos : path.find('\\', serverEnd + 1);
    *share = path.substr(0, shareEnd);
    *rest = shareEnd == std::string::npos ? std::string() : path.substr(shareEnd);
    return true;
}

std::string serverOf(const std::string& sharePart)
{
    const size_t end = sharePart.find('\\', 2);
    return sharePart.size() < 2 ? std::string() : sharePart.substr(2, end == std::string::npos ? end : end - 2);
}

std::string joinPath(const std::string& dir, const std::string& rest)
{
    const std::string tail = withoutLeadingBackslashes(rest);
    if (tail.empty())
        return dir;
    if (dir.empty() || dir.back() == '\\')
        return dir + tail;
    return dir + "\\" + tail;
}

std::string onDrive(char letter, const std::string& path)
{
    const std::string drive{letter, ':'};
    std::string share, rest;
    if (path.size() >= 2 && path[1] == ':')
        return drive + path.substr(2);
    if (splitNetworkPath(path, &share, &rest))
        return drive + (rest.empty() ? "\\" : rest);
    if (!path.empty() && path[0] == '\\')
        return drive + path;
    return drive + "\\" + path;
}

std::string labelWithoutDots(const std::string& label)
{
    std::string out;
    for (char c : label)
        if (c != '.' && out.size() < kLabelSize - 1)
            out += c;
    return out;
}

bool photoCdImageName(const std::string& name, std::string* image)
{
    if (name.size() < 12)
        return false;
    for (size_t i = 9; i < 12; ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return false;
    *image = "IMG0" + name.substr(9) + ".PCD";
    return true;
}

bool shareNameOf(const std::vector<Share>& shares, const std::string& computer, const std::string& path,
                 std::string* network)
{
    for (const Share& s : shares) {
        if (s.name.empty() || s.name.back() == '$')
            continue;
        const std::string dir = withoutTrailingBackslashes(s.dir);
        if (dir.empty())
            continue;
        if (startsWithNoCase(path, dir + "\\") || equalNoCase(path, dir)) {
            *network = networkName(computer, s.name, path.substr(dir.size()));
            return true;
        }
    }
    return false;
}

bool shareNameFromTable(const std::vector<Share>& table, const std::string& computer, const std::string& path,
                        std::string* network)
{
    std::string lead = withoutTrailingBackslashes(path);
    while (!lead.empty()) {
        for (const Share& s : table) {
            if (!s.name.empty() && equalNoCase(withoutTrailingBackslashes(s.dir), lead)) {
                *network = networkName(computer, s.name, path.substr(lead.size()));
                return true;
            }
        }
        const size_t cut = lead.find_last_of('\\');
        if (cut == std::string::npos)
            break;
        lead.resize(cut);
    }
    return false;
}

bool sharePathOf(const std::vector<Share>& shares, const std::string& computer, const std::string& sharePart,
                 std::string* dir)
{
    const std::string server = serverOf(sharePart);
    if (computer.empty() || !equalNoCase(server, computer) || sharePart.size() <= server.size() + 3)
        return false;
    const std::string name = sharePart.substr(server.size() + 3);
    for (const Share& s : shares) {
        if (equalNoCase(s.name, name)) {
            *dir = s.dir;
            return true;
        }
    }
    return false;
}

} // namespace kelnet
