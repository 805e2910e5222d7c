// Shared inside KELCMD32.
#pragma once

#include "app_state.h"

namespace kelcmd {

AppState* app();

} // namespace kelcmd
