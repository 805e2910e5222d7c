// The catalog commands' shared pieces: a catalog opened through the engine for one command, and
// an index entry with its record as one JSON line.
#pragma once

#include "catalog_record.h"
#include "cli.h"
#include "json.h"
#include "kelcat.h"

#include <string>

namespace kelcli {

// The engine initialised with the console tool as the application (its string table); the
// options the engine reads ("Verify Catalog", "JPEG Thumbnails") are set by the commands.
AppState& catalogApp();

// A catalog opened for one command and closed (final) when the object goes. The descriptor is
// filled from the path: the catalog name comes from the header record, so that the named mutex
// is the one the program uses for that catalog.
class OpenedCatalog {
public:
    // `readOnly`: nothing is written to any of the files. Password-protected catalogs are opened
    // with the bypass token (the console tool asks nobody).
    OpenedCatalog(const std::string& path, bool readOnly);
    ~OpenedCatalog();
    OpenedCatalog(const OpenedCatalog&) = delete;
    OpenedCatalog& operator=(const OpenedCatalog&) = delete;
    bool ok() const { return opened_; }
    CatalogDescriptor* d() { return &d_; }
    // Closes now; false when the engine could not write the index.
    bool close();

private:
    CatalogDescriptor d_{};
    bool opened_ = false;
};

// An index entry's line: its index fields, and for a live entry the fields of its record.
JsonLine entryJson(const IndexEntry& e, const catfmt::Record* record);

int catalogEditCommand(const Args& args); // put, get, delete, verify

} // namespace kelcli
