// The program's command line: "/Embedding" or "-Embedding" (started as an OLE server), a catalog
// file (a word ending in ".CAT" or ".CIX") to register and show, "-v" or "/v" (show the current
// catalog's thumbnails), or a file to open, optionally followed by "," and a catalog title (or
// "," and a title alone). A word may be quoted, so that names with blanks pass whole.
#pragma once

#include <string>

namespace kelapp {

constexpr size_t kCatalogTitleMax = 31;

struct CommandLine {
    bool embedding = false;
    bool thumbnailView = false; // "-v", "/v" or a catalog file: the thumbnail view at start-up
    std::string catalogFile;
    std::string file;           // as written (made a full path when it is opened)
    std::string catalogTitle;
};

CommandLine parseCommandLine(const std::string& line);

// A catalog title as the command line gives it: cut at ",", "-" or "/", without the blanks
// around it, at most 31 characters.
std::string cutCatalogTitle(const std::string& text);

} // namespace kelapp
