// The toolbar with its catalog list, not built yet. The frame lays out without it.
#include "pending_libraries.h"

namespace kelapp {

// Completed by the toolbar: control 102 with the catalog list 3018, from "NEWBUTTONDATA" or
// the saved layout.
void createToolbar(HWND) {}

// Completed by the toolbar: buttons follow the menu's enabled commands.
void syncToolbar() {}

} // namespace kelapp
