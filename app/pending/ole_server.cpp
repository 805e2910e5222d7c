// The program's OLE 1 server, not built yet.
#include "pending_libraries.h"

namespace kelapp {

// Completed by the OLE server: its class and the catalog file associations.
void registerOleServer() {}

// Completed by the OLE server's start (clipboard formats "ObjectLink", "Native", "OwnerLink").
bool startOleServer() { return true; }

// Completed by the OLE server: the document an embedding start names.
void registerOleDocument(const char*) {}

// Completed by the OLE server: revoke the document and the server.
void revokeOleServer() {}

} // namespace kelapp
