// Where the engine meets the keyword database (KELDBF32) and the catalog registry (KELCMD32).
// Neither exists in this build yet: each call site goes through one of these functions, which
// do what the engine does when the keyword database is not installed and the catalog is not
// registered.
#include "engine.h"

namespace kelcat {

// FindLink: which catalog the link database says holds this image. No link database: none.
std::string keywordLinkCatalog(const uint8_t*) { return {}; }

// OpenIx1 + DeleteKeyWords + CloseIx1. No keyword index opens: nothing to remove.
void keywordsRemove(CatalogDescriptor*, const uint8_t*, int32_t) {}

// OpenIx1 + AddKeyWords + CloseIx1. No keyword index opens: nothing to add.
void keywordsAdd(CatalogDescriptor*, const uint8_t*, int32_t) {}

// UpdateLink. No link database: nothing to update.
void keywordLinkUpdate(CatalogDescriptor*, const uint8_t*) {}

// DeleteLink. No link database: nothing to delete.
void keywordLinkDelete(CatalogDescriptor*, const uint8_t*) {}

// FindCatalog of the registry. No registry yet: no catalog is registered.
bool registryFindCatalog(const char*, CatalogDescriptor*) { return false; }

} // namespace kelcat
