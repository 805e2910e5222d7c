// The program's profile: reads and writes of its own section (the application name) of its
// profile file, through the commands library's profile store.
#pragma once

#include <string>

namespace kelapp {

std::string profileText(const char* key, const char* defaultText = "");
int profileInt(const char* key, int defaultValue);
// Yes/no values are tested on their first character: "Y" (either case) is yes.
bool profileYes(const char* key, bool defaultValue);
bool isYes(const std::string& text);
bool writeProfile(const char* key, const char* text);
bool writeProfile(const char* key, const std::string& text);
bool deleteProfileKey(const char* key);

// The same for another section of the program's profile.
std::string profileText(const char* section, const char* key, const char* defaultText);
bool writeProfile(const char* section, const char* key, const char* text);

} // namespace kelapp
