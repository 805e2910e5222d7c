// Rebuilding a lost or corrupt index from the catalog file alone.
#pragma once

#include "catalog_types.h"
#include "file_io.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace catfmt {

// What a rebuild scan found and what it would write. The scan itself changes nothing, so a
// caller can look at the result before any byte of the catalog is touched.
struct RebuildPlan {
    std::vector<IndexEntry> entries;  // header entry first, then the entries in catalog-file order
    std::vector<std::pair<int64_t, std::vector<uint8_t>>> catalogWrites; // repaired fixed parts, new header record
    bool headerFound = false;
    int liveEntries = 0;   // entries with a record name
    int intactRecords = 0; // named records with a readable name that fit in the file
    int damagedRecords = 0;
};

// Runs the scan over an open catalog file. False only when the file cannot be read.
bool planRebuild(const kel::File& catalog, RebuildPlan* plan);

// Applies a plan: writes the catalog repairs, then replaces the index file in one step.
// Returns the new size of the index file, or -1.
int64_t applyRebuild(const kel::File& catalog, const char* indexPath, const RebuildPlan& plan);

// The start of the next record at or after `from` (and not before `minStart`), found by a known
// format name 327 bytes into a record and a short name at its start; -1 when there is none.
int64_t findNextRecordStart(const kel::File& catalog, int64_t from, int64_t minStart);

} // namespace catfmt
