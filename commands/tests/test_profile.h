// A profile of the test's own: a profile file in a scratch folder and an application name of
// this process, so that its registry key (HKCU\Software\TandrySoftware\<name>) belongs to this
// test alone and is removed afterwards.
#pragma once

#include "kelcmd.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

class TestProfile {
public:
    explicit TestProfile(AppState& app = kt::testApp()) : app_(app)
    {
        char name[9];
        snprintf(name, sizeof name, "Kt%06lX", GetCurrentProcessId() & 0xFFFFFFul);
        std::strcpy(app_.appName, name);
        std::strcpy(app_.profilePath, ini_.c_str());
        root_ = std::string("Software\\TandrySoftware\\") + name;
        RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
        InitKelCmd(&app_);
    }
    ~TestProfile()
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, root_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TandrySoftware"); // only when no one else is in it
        std::strcpy(app_.appName, "Kelgrove");
        app_.profilePath[0] = 0;
    }
    const std::string& ini() const { return ini_; }
    const std::string& root() const { return root_; }
    std::string otherFile(const char* name) const { return dir_.file(name); }

    void writeIni(const std::string& text) const
    {
        ASSERT_TRUE(kt::writeFile(ini_, std::vector<uint8_t>(text.begin(), text.end())));
    }

    // The registry value of a profile key; `found` false when there is none.
    std::string registryValue(const std::string& section, const char* key, bool* found = nullptr,
                              DWORD* type = nullptr) const
    {
        char data[1024] = "";
        DWORD size = sizeof data, t = 0;
        const LSTATUS status = RegGetValueA(HKEY_CURRENT_USER, (root_ + "\\" + section).c_str(), key,
                                            RRF_RT_ANY | RRF_NOEXPAND, &t, data, &size);
        if (found)
            *found = status == ERROR_SUCCESS;
        if (type)
            *type = t;
        return status == ERROR_SUCCESS && (t == REG_SZ || t == REG_EXPAND_SZ) ? data : "";
    }

    bool sectionExists(const std::string& section) const
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, (root_ + "\\" + section).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

private:
    AppState& app_;
    kt::TempDir dir_;
    std::string ini_ = dir_.file("Kelgrove.ini");
    std::string root_;
};
