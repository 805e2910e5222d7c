// The application state as Kelgrove's start-up fills it, as far as the profile, volume and path
// commands need it: application name, profile file, this machine's name, "Use Net Names" on, the
// drive table, and the commands and network libraries initialised with it.
#pragma once

#include "app_state.h"
#include "cli.h"

namespace kelcli {

// Takes the options out of `args`: --app NAME (the application name: profile section and
// registry key word; default string 10) and --ini FILE (the profile file; default the one the
// program finds: "<name>.ini" on the search path, else in the Windows folder).
// Null (after printing why) when an option is incomplete.
AppState* startKelgrove(Args& args);

// The state startKelgrove filled (started with the defaults when no command did yet).
AppState& kelgroveState();

// Fills the drive table as start-up does, with "Primary Drives" and "Backup drives" of the profile.
void fillDriveTable(AppState& app);

} // namespace kelcli
