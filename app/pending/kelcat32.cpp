// Calls into KELCAT32, the catalog engine, which this program does not link yet.
#include "pending_libraries.h"

namespace kelapp {

// Completed by KELCAT32 InitCatDll(app).
int initCatalogEngine(AppState*) { return 1; }

} // namespace kelapp
