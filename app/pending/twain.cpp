// TWAIN acquisition, not built yet.
#include "pending_libraries.h"

namespace kelapp {

// Completed by TWAIN acquisition: the application identity given to the source manager.
void registerTwainIdentity() {}

// Completed by TWAIN acquisition: while a source manager is open it sees every message first.
bool twainFilterMessage(MSG*) { return false; }

// Completed by TWAIN acquisition: close the source and the source manager.
void closeTwain() {}

} // namespace kelapp
