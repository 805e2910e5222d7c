// The user's international settings ("Intl": the platform keeps them under HKEY_CURRENT_USER
// "Control Panel\International") changed for a test and put back as they were afterwards.
#pragma once

#include <windows.h>

#include <map>
#include <string>

class IntlSettings {
public:
    IntlSettings() = default;
    IntlSettings(const IntlSettings&) = delete;
    IntlSettings& operator=(const IntlSettings&) = delete;
    ~IntlSettings()
    {
        for (const auto& [key, value] : saved_)
            WriteProfileStringA("Intl", key.c_str(), value.present ? value.text.c_str() : nullptr);
    }
    // A null value removes the setting (the reader's default applies).
    void set(const char* key, const char* value)
    {
        if (!saved_.count(key)) {
            char text[80];
            GetProfileStringA("Intl", key, "\x01", text, sizeof text);
            saved_[key] = {text[0] != '\x01', text};
        }
        WriteProfileStringA("Intl", key, value);
    }

private:
    struct Saved {
        bool present;
        std::string text;
    };
    std::map<std::string, Saved> saved_;
};
