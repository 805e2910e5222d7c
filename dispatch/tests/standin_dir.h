// An application directory for the dispatcher's tests: a scratch folder holding an anchor module,
// whose handle stands for the application instance (so the dispatcher loads its libraries from
// this folder), and stand-in libraries copied under the real libraries' file names.
#pragma once

#include "app_state.h"
#include "test_support.h"

#include <windows.h>

#include <initializer_list>
#include <string>

namespace dispatch_test {

// The process environment variables the stand-ins record into.
std::string env(const char* name);
void clearRecords();
// Lines recorded by the stand-ins since the last clearRecords().
std::string calls();

class StandinDir {
public:
    // `files`: library file names to provide; `subdir`: a folder name inside the scratch folder
    // (to give the directory a chosen length), empty for the scratch folder itself.
    explicit StandinDir(std::initializer_list<const char*> files, const std::string& subdir = "");
    ~StandinDir();
    const std::string& path() const { return path_; } // with a trailing backslash
    AppState& app() { return app_; }
    // Copies a stand-in into the folder under a library's file name.
    void add(const char* file, bool withoutVersionEntry = false);
    // The dispatcher's library of that file name, when loaded from this folder.
    HMODULE loaded(const char* file) const;

private:
    kt::TempDir temp_;
    std::string path_;
    HMODULE anchor_ = nullptr;
    AppState app_;
};

} // namespace dispatch_test
