// Finding a catalogued file again from its stored directory and volume label: the stored place,
// then every drive that carries the label, then the catalog's own directory.
#include "kelnet.h"
#include "netpaths_internal.h"

#include <cstring>

using namespace kelnet;

namespace {

char driveOf(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':')
        return path[0];
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return n >= 2 && n < sizeof full && full[1] == ':' ? full[0] : 0;
}

bool found(char* dir, char* label, const std::string& directory, const std::string& volume)
{
    if (directory.size() >= kPathSize)
        return false;
    std::memcpy(dir, directory.c_str(), directory.size() + 1);
    if (label)
        std::memcpy(label, volume.c_str(), volume.size() + 1); // labels are at most 13 characters
    return true;
}

} // namespace

int CheckFile(const char* catalogDir, char* dir, const char* fileName, char* label)
{
    if (!dir || !fileName || !*fileName)
        return 0;
    QuietDriveErrors quiet;
    std::string wanted = label ? boundedText(label, kLabelSize - 1) : std::string();
    if (wanted == "???")
        wanted.clear();
    std::string image;
    const std::string target = photoCdImageName(fileName, &image) ? image : std::string(fileName);

    const std::string stored = boundedText(dir, kPathSize - 1);
    char local[kPathSize];
    std::memcpy(local, stored.c_str(), stored.size() + 1);
    std::string directory;
    if (ConvertToLocal(local)) {
        directory = local;
        if (fileExists(joinPath(directory, target)))
            return found(dir, label, directory, driveLabel(driveOf(directory)));
    } else {
        directory = onDrive('A', local); // tried on the local drives below
    }

    AppState* state = app();
    if (state && state->driveTable && (wanted.empty() || !equalNoCase(wanted, driveLabel(driveOf(directory))))) {
        for (int i = 0; i < kDriveCount; ++i) {
            DriveEntry& entry = state->driveTable[i];
            if (entry.kind != DRIVE_FIXED && entry.kind != DRIVE_REMOTE && entry.kind != DRIVE_CDROM)
                continue;
            const char letter = char('A' + i);
            const std::string volume = driveLabel(letter);
            setDriveLabel(entry, volume);
            if (!wanted.empty() && !equalNoCase(volume, wanted))
                continue;
            const std::string moved = onDrive(letter, directory);
            if (fileExists(joinPath(moved, target)))
                return found(dir, label, moved, volume);
        }
    }

    if (catalogDir && *catalogDir && fileExists(joinPath(catalogDir, fileName)))
        return found(dir, label, catalogDir, driveLabel(driveOf(catalogDir)));
    return 0;
}
