#include "recent_dirs.h"

#include "profile.h"
#include "shell_state.h"

#include <cstdio>
#include <cstring>

namespace kelapp {

void loadRecentDirectories()
{
    for (int i = 0; i < kRecentDirCount; ++i) {
        char key[8];
        snprintf(key, sizeof key, "Dir%d", i + 1);
        lstrcpynA(shell().recentDirs[i], profileText(key, "").c_str(), kRecentDirSize);
    }
}

void saveRecentDirectories()
{
    for (int i = 0; i < kRecentDirCount && shell().recentDirs[i][0]; ++i) {
        char key[8];
        snprintf(key, sizeof key, "Dir%d", i + 1);
        writeProfile(key, shell().recentDirs[i]);
    }
}

void addRecentDirectory(const std::string& dir)
{
    if (dir.empty() || dir.size() >= size_t(kRecentDirSize))
        return;
    auto& list = shell().recentDirs;
    int found = kRecentDirCount - 1;
    for (int i = 0; i < kRecentDirCount; ++i)
        if (_stricmp(list[i], dir.c_str()) == 0) {
            found = i;
            break;
        }
    for (int i = found; i > 0; --i)
        std::memcpy(list[i], list[i - 1], kRecentDirSize);
    lstrcpynA(list[0], dir.c_str(), kRecentDirSize);
}

} // namespace kelapp
