#include "profile.h"

#include "kelcmd.h"
#include "shell_state.h"

#include <cctype>

namespace kelapp {

std::string profileText(const char* section, const char* key, const char* defaultText)
{
    const AppState& app = appState();
    char buffer[1024] = "";
    MyGetPrivateProfileString(section, key, defaultText, buffer, sizeof buffer, app.profilePath);
    return buffer;
}

bool writeProfile(const char* section, const char* key, const char* text)
{
    return MyWritePrivateProfileString(section, key, text, appState().profilePath) != 0;
}

std::string profileText(const char* key, const char* defaultText)
{
    return profileText(appState().appName, key, defaultText);
}

int profileInt(const char* key, int defaultValue)
{
    const AppState& app = appState();
    return MyGetPrivateProfileInt(app.appName, key, defaultValue, app.profilePath);
}

bool isYes(const std::string& text) { return !text.empty() && std::toupper(static_cast<unsigned char>(text[0])) == 'Y'; }

bool profileYes(const char* key, bool defaultValue) { return isYes(profileText(key, defaultValue ? "Yes" : "No")); }

bool writeProfile(const char* key, const char* text) { return writeProfile(appState().appName, key, text); }

bool writeProfile(const char* key, const std::string& text) { return writeProfile(key, text.c_str()); }

bool deleteProfileKey(const char* key) { return writeProfile(appState().appName, key, nullptr); }

} // namespace kelapp
