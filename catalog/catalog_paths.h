// The three files of a catalog share a base name: everything from the first dot of the file
// name on is replaced by the extension (".CAT", ".CIX", ".CAX").
#pragma once

#include <string>

namespace catfmt {

inline std::string withCatalogExtension(const std::string& path, const char* extension)
{
    const size_t nameStart = path.find_last_of("\\/:") == std::string::npos ? 0 : path.find_last_of("\\/:") + 1;
    const size_t dot = path.find('.', nameStart);
    return path.substr(0, dot) + extension;
}

} // namespace catfmt
