// Where the program's profile lives, and the machine's name.
#pragma once

#include <string>

namespace kelapp {

// The profile file "<application name>.ini": the one the platform's file search finds, else one
// in the Windows folder into which the section of the application name in WIN.INI is moved
// (every key and value, then the WIN.INI section is deleted). `wanted` names the file instead of
// the search (the migration still applies when it does not exist). Empty when the migration
// buffer cannot be had.
std::string locateProfile(const std::string& appName, const std::string& wanted = {});

// Moves the WIN.INI section `appName` into the profile file `path`. False without memory.
bool migrateWinIniSection(const std::string& appName, const std::string& path);

// The machine's network name, from the registry (NT and version 4 and later) or SYSTEM.INI.
std::string computerName();

} // namespace kelapp
