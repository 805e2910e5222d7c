#include "test_volumes.h"

#include <windows.h>

#include <cstdlib>

namespace kt {

bool testVolumesReady()
{
    const char* flag = std::getenv("KEL_TEST_VOLUMES");
    if (!flag || !*flag)
        return false;
    struct Expected {
        const char* root;
        UINT type;
    } const drives[] = {{"J:\\", DRIVE_FIXED}, {"K:\\", DRIVE_CDROM}, {"L:\\", DRIVE_REMOVABLE},
                        {"M:\\", DRIVE_CDROM}, {"N:\\", DRIVE_REMOTE}, {"P:\\", DRIVE_FIXED}};
    bool ready = true;
    for (const Expected& d : drives) {
        const UINT type = GetDriveTypeA(d.root);
        if (type != d.type) {
            ADD_FAILURE() << "test volume " << d.root << " has drive type " << type << ", expected " << d.type;
            ready = false;
        }
    }
    return ready;
}

char freeDriveLetter()
{
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        const char root[] = {letter, ':', '\\', 0};
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR)
            return letter;
    }
    return 0;
}

} // namespace kt
