// The drive table of the application state: 26 entries A to Z (kind, volume label, connection)
// at the start of a zero-filled block made before the options are read.
#pragma once

#include <windows.h>

namespace kelapp {

// Allocates the block and hands its address to AppState. False without memory.
bool allocateDriveTable();
void freeDriveTable();
// Fills it (critical-error boxes suppressed), then makes the drives of "Primary Drives" fixed
// (primary) and those of "Backup drives" removable (backup).
void fillDriveTable();

} // namespace kelapp
