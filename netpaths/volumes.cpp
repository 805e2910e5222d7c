// Volume identity: drive labels, drive connections and the drive table.
#include "kelnet.h"
#include "netpaths_internal.h"

#include <winnetwk.h>

#include <cctype>
#include <cstring>

namespace kelnet {

namespace {

void copyField(char* field, size_t size, const std::string& text)
{
    const size_t n = text.size() < size ? text.size() : size - 1;
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, size - n);
}

// Each drive letter named in a profile list ("d, E" or "D,E"), upper case.
template <typename Fn> void forEachListedDrive(const char* list, Fn fn)
{
    if (!list)
        return;
    for (const char* p = list; *p;) {
        const size_t skip = std::strspn(p, ", ");
        p += skip;
        const size_t length = std::strcspn(p, ", ");
        if (length) {
            const int letter = std::toupper(static_cast<unsigned char>(*p));
            if (letter >= 'A' && letter <= 'Z')
                fn(char(letter));
        }
        p += length;
    }
}

} // namespace

std::string driveLabel(char letter)
{
    const int upper = std::toupper(static_cast<unsigned char>(letter));
    if (upper < 'A' || upper > 'Z')
        return {};
    const char root[] = {char(upper), ':', '\\', 0};
    QuietDriveErrors quiet;
    // Room for any label: a label longer than the table keeps its first characters rather than
    // failing the query and reading as no label at all.
    char label[MAX_PATH + 1] = "";
    if (!GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0))
        return {};
    return labelWithoutDots(label);
}

std::string driveConnection(char letter)
{
    const char name[] = {letter, ':', 0};
    char remote[MAX_PATH] = "";
    DWORD size = sizeof remote;
    DWORD status = WNetGetConnectionA(name, remote, &size);
    if (status == ERROR_MORE_DATA && size > sizeof remote) {
        std::string longer(size, '\0');
        if (WNetGetConnectionA(name, longer.data(), &size) == NO_ERROR)
            return longer.c_str();
        return {};
    }
    return status == NO_ERROR ? std::string(remote) : std::string();
}

void setDriveLabel(DriveEntry& entry, const std::string& label) { copyField(entry.label, sizeof entry.label, label); }

void setDriveRemote(DriveEntry& entry, const std::string& remote)
{
    // A name that does not fit the entry is not kept cut short: it would name another share.
    copyField(entry.remote, sizeof entry.remote, remote.size() < sizeof entry.remote ? remote : std::string());
}

bool fileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace kelnet

using namespace kelnet;

char* get_volid(int drive)
{
    thread_local char label[kLabelSize];
    const std::string text = driveLabel(char(drive));
    std::memcpy(label, text.c_str(), text.size() + 1);
    return label;
}

DWORD MyWNetGetConnection(const char* localName, char* remoteName, DWORD* size)
{
    return WNetGetConnectionA(localName, remoteName, size);
}

int FillDriveTable(const char* primaryDrives, const char* backupDrives)
{
    AppState* state = app();
    if (!state || !state->driveTable)
        return 0;
    DriveEntry* table = state->driveTable;
    QuietDriveErrors quiet;
    for (int i = 0; i < kDriveCount; ++i) {
        const char letter = char('A' + i);
        const char root[] = {letter, ':', '\\', 0};
        DriveEntry& entry = table[i];
        entry = DriveEntry{};
        const UINT type = GetDriveTypeA(root);
        entry.kind = uint16_t(type);
        if (type != DRIVE_FIXED && type != DRIVE_REMOTE && type != DRIVE_CDROM)
            continue;
        setDriveLabel(entry, driveLabel(letter));
        if (type == DRIVE_CDROM)
            entry.kind = DRIVE_FIXED; // a CD-ROM drive is a primary drive
        setDriveRemote(entry, driveConnection(letter));
    }
    forEachListedDrive(primaryDrives, [&](char letter) {
        table[letter - 'A'].kind = DRIVE_FIXED;
        setDriveLabel(table[letter - 'A'], driveLabel(letter));
    });
    forEachListedDrive(backupDrives, [&](char letter) { table[letter - 'A'].kind = DRIVE_REMOVABLE; });
    return 1;
}
