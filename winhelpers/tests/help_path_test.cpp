// The help file path of a module: beside it, its extension replaced by ".hlp", and the limit of
// the 128-character buffer.
#include "kelhlp.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A copy of this library loaded from `folder\name` (the folder is made first).
class ModuleCopy {
public:
    ModuleCopy(const std::string& folder, const std::string& name)
    {
        CreateDirectoryA(folder.c_str(), nullptr);
        char library[MAX_PATH];
        GetModuleFileNameA(GetModuleHandleA("KELHLP32.dll"), library, sizeof library);
        path_ = folder + "\\" + name;
        if (CopyFileA(library, path_.c_str(), FALSE))
            module_ = LoadLibraryA(path_.c_str());
    }
    ~ModuleCopy()
    {
        if (module_)
            FreeLibrary(module_);
        DeleteFileA(path_.c_str());
    }
    HMODULE module() const { return module_; }

private:
    std::string path_;
    HMODULE module_ = nullptr;
};

std::string helpPath(HINSTANCE instance)
{
    char buffer[160];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(buffer, MakeHelpPathName(instance, buffer));
    for (size_t i = 128; i < sizeof buffer; ++i)
        EXPECT_EQ('#', buffer[i]) << "byte " << i << " is beyond the 128-character buffer";
    return std::string(buffer, strnlen(buffer, 128));
}

TEST(MakeHelpPathName, ReplacesTheModulesExtension)
{
    kt::TempDir dir;
    ModuleCopy main(dir.file("APP"), "MAIN.EXE");
    ASSERT_TRUE(main.module());
    EXPECT_EQ(dir.file("APP") + "\\MAIN.hlp", helpPath(main.module()));

    ModuleCopy dotted(dir.file("v1.2"), "MAIN.");
    ASSERT_TRUE(dotted.module());
    EXPECT_EQ(dir.file("v1.2") + "\\MAIN.hlp", helpPath(dotted.module())) << "a dot in a folder is no extension";

    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    const std::string exe = self;
    EXPECT_EQ(exe.substr(0, exe.size() - 4) + ".hlp", helpPath(nullptr)) << "no instance: the program";
}

TEST(MakeHelpPathName, PathsTooLongForTheBufferEndInAQuestionMark)
{
    kt::TempDir dir;
    // The stem (path without ".DLL") fits when its length + 13 is below 128.
    struct {
        size_t stem;
        bool fits;
    } cases[] = {{114, true}, {115, false}, {127, false}, {200, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE("stem of " + std::to_string(c.stem) + " characters");
        const std::string folderStart = dir.path() + "\\";
        const size_t folderLength = c.stem - folderStart.size() - 2; // "\\M" follows the folder
        const std::string folder = folderStart + std::string(folderLength, 'f');
        ModuleCopy copy(folder, "M.DLL");
        ASSERT_TRUE(copy.module());
        const std::string stem = folder + "\\M";
        ASSERT_EQ(c.stem, stem.size());
        if (c.fits)
            EXPECT_EQ(stem + ".hlp", helpPath(copy.module()));
        else
            EXPECT_EQ(stem.substr(0, 126) + "?", helpPath(copy.module()));
        RemoveDirectoryA(folder.c_str());
    }
}

} // namespace
