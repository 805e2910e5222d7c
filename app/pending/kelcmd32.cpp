// Calls into the parts of KELCMD32 that it does not export yet: the Open and New dialogs and the
// catalog registry.
#include "pending_libraries.h"

namespace kelapp {

// Completed by KELCMD32 InstanceInitApp(instance).
void prepareFileDialogs(HINSTANCE) {}

// Completed by KELCMD32 FindCatalog (the list entry parsed into AppState::currentCatalog).
bool makeCatalogCurrent(const char*) { return false; }

// Completed by the catalog registry (FindCatalog to find it, else a new "Catalog%d" entry and
// its section, the catalog opened once with KELCAT32 OpenCatalog mode 64), then made current.
bool registerCatalogFile(const char*) { return false; }

// Completed by KELCMD32 Display_Cat_Combo (with the toolbar's catalog list).
void refreshCatalogList() {}

} // namespace kelapp
