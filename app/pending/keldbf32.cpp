// Calls into KELDBF32, the keyword database link, which this program does not link yet.
#include "pending_libraries.h"

namespace kelapp {

// Completed by KELDBF32 InitDbfDll(app), which also names the browse dialog template.
int initKeywordDatabase(AppState*) { return 1; }

// Completed by KELDBF32 EndDbfDll().
void endKeywordDatabase() {}

} // namespace kelapp
