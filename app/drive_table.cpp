#include "drive_table.h"

#include "kelnet.h"
#include "profile.h"
#include "shell_state.h"

namespace kelapp {

bool allocateDriveTable()
{
    ShellState& s = shell();
    if (!s.driveBlock)
        s.driveBlock = GlobalAlloc(GPTR, kDriveTableBytes);
    appState().driveTable = static_cast<DriveEntry*>(s.driveBlock);
    return s.driveBlock != nullptr;
}

void freeDriveTable()
{
    appState().driveTable = nullptr;
    if (shell().driveBlock)
        GlobalFree(shell().driveBlock);
    shell().driveBlock = nullptr;
}

void fillDriveTable()
{
    Options& o = options();
    o.primaryDrives = profileText("Primary Drives", "");
    o.backupDrives = profileText("Backup drives", "");
    FillDriveTable(o.primaryDrives.c_str(), o.backupDrives.c_str());
}

} // namespace kelapp
