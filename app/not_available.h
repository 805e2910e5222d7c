// Commands whose work belongs to parts of the program that it does not have yet. They stay
// greyed in every menu; one that arrives anyway (a posted command, a key) is recorded and
// answered with the "not available" status text, never dropped silently.
#pragma once

#include <windows.h>

namespace kelapp {

bool commandNotAvailable(UINT id);

// Every id of the table, in order (for tests and for the greying).
int notAvailableCommands(UINT* ids, int capacity);

} // namespace kelapp
