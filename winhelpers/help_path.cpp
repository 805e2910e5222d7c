// The help file of a module lies beside it, named like it with the extension ".hlp".
#include "kelhlp.h"

#include <cstring>
#include <string>

namespace {

constexpr size_t kBufferChars = 128;

// The module's full path however long it is (empty when there is no such module).
std::string moduleFileName(HINSTANCE instance)
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(instance, path.data(), DWORD(path.size()));
        if (n == 0)
            return {};
        if (n < path.size() - 1) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768)
            return {};
        path.resize(path.size() * 2);
    }
}

} // namespace

char* MakeHelpPathName(HINSTANCE instance, char* buffer)
{
    std::string path = moduleFileName(instance);
    // Only a dot in the file name starts its extension; a dot in a folder name does not.
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("\\/:");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        path.resize(dot);
    // Room is kept for an 8.3 name's worth after the stem; a path too long for that ends in
    // "?", which no file name can hold, so no help file is ever opened from it.
    if (path.size() + 13 < kBufferChars)
        path += ".hlp";
    else
        path = path.substr(0, kBufferChars - 2) + "?";
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return buffer;
}
