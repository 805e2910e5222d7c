// The five most recent directories of the File menu ("Dir1" to "Dir5", most recent first).
#pragma once

#include <string>

namespace kelapp {

void loadRecentDirectories();
// Writes the non-empty entries from "Dir1" on, stopping at the first empty one.
void saveRecentDirectories();
// Puts `dir` first (once).
void addRecentDirectory(const std::string& dir);

} // namespace kelapp
