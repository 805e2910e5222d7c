// The list of readable file types of the file dialogs: the pairs (description, pattern) of the
// resource "SZFILTERS" whose formats are present and not disabled, then one pair per Graphics
// Filters import filter of the registry. Kept as one growable global block of zero-terminated
// texts ending in an empty one (AppState::fileTypeFilters).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kelapp {

struct FileType {
    std::string description, pattern;
};

// What decides whether a format of the resource is listed.
struct FileTypeGates {
    bool disableTif = false, disableWpg = false, disableCgm = false, disableDrw = false;
    bool hasVideo = false, hasSound = false, hasPhotoCd = false, hasMpeg = false;
    bool movIsQuickTime = false; // WIN.INI "mci extensions" maps MOV to QTWVIDEO
};

constexpr char kGraphicsFiltersKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\Graphics Filters\\Import";

// The pairs of "SZFILTERS" that pass the gates.
std::vector<FileType> resourceFileTypes(HINSTANCE instance, const FileTypeGates& gates);
// One pair per subkey of `root`\`key` with values "Name" and "Extensions": "*" + name, and the
// extensions (separated by ";") each as "*." + extension.
std::vector<FileType> importFilterFileTypes(HKEY root, const char* key);
// The double-zero-terminated block of the pairs; null when memory runs out.
HGLOBAL fileTypeBlock(const std::vector<FileType>& types);

// WIN.INI: whether "mci extensions" maps "MOV" to "QTWVIDEO".
bool movIsQuickTime();

} // namespace kelapp
