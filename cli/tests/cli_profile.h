// kelcli runs with a profile of the test's own: --app with a name of this process (its registry
// key HKCU\Software\TandrySoftware\<name> is removed afterwards) and --ini in a scratch folder.
#pragma once

#include "test_support.h"

#include <cstdio>
#include <string>

class CliProfile {
public:
    CliProfile()
    {
        char name[9];
        snprintf(name, sizeof name, "Kc%06lX", GetCurrentProcessId() & 0xFFFFFFul);
        name_ = name;
        root_ = "Software\\TandrySoftware\\" + name_;
        RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
    }
    ~CliProfile()
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TandrySoftware"); // only when no one else is in it
    }
    const std::string& name() const { return name_; }
    std::string ini() const { return dir_.file(name_ + ".ini"); }
    // "kelcli <family> --app NAME --ini FILE <arguments>"
    int run(const std::string& family, const std::string& arguments, std::string* out, std::string* err = nullptr) const
    {
        return kt::runProgram("kelcli.exe", family + " --app " + name_ + " --ini \"" + ini() + "\" " + arguments, out,
                              err);
    }
    std::string registryValue(const char* key) const
    {
        char data[512] = "";
        DWORD size = sizeof data;
        RegGetValueA(HKEY_CURRENT_USER, (root_ + "\\" + name_).c_str(), key, RRF_RT_REG_SZ, nullptr, data, &size);
        return data;
    }

private:
    kt::TempDir dir_;
    std::string name_, root_;
};
