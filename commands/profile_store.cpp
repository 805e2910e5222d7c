// The profile store. The application's profile lives in the registry:
//   HKEY_CURRENT_USER\Software\TandrySoftware\<application name>\<section>   value <key>, REG_SZ
// and the profile file is read only for a value the registry does not have yet. A string read
// that way is written to the registry, so settings move over one value at a time on first use;
// an integer read that way is not. Every other file goes to the platform's profile functions.
#include "commands_internal.h"
#include "kelcmd.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

using kelcmd::app;

namespace {

constexpr char kRegistryRoot[] = "Software\\TandrySoftware\\";

class RegKey {
public:
    explicit RegKey(HKEY key) : key_(key) {}
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

private:
    HKEY key_;
};

std::string bounded(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

bool isProfileFile(const char* file)
{
    const AppState* state = app();
    if (!state || !file)
        return false;
    const std::string profile = bounded(state->profilePath, sizeof state->profilePath);
    return !profile.empty() && _stricmp(file, profile.c_str()) == 0;
}

enum class Lookup { Absent, Found, Failed };

// The whole value as text, however long (a value longer than the caller's buffer is still there).
Lookup queryValue(HKEY key, const char* name, std::string* text, DWORD* type)
{
    std::vector<char> data(256);
    for (;;) {
        DWORD size = DWORD(data.size());
        const LSTATUS status = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(data.data()), &size);
        if (status == ERROR_FILE_NOT_FOUND)
            return Lookup::Absent;
        if (status == ERROR_MORE_DATA) {
            data.resize(size_t(size) + 1);
            continue;
        }
        if (status != ERROR_SUCCESS)
            return Lookup::Failed;
        text->assign(data.data(), strnlen(data.data(), size));
        return Lookup::Found;
    }
}

bool setValue(HKEY key, const char* name, const char* text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), DWORD(std::strlen(text) + 1)) ==
           ERROR_SUCCESS;
}

// As the platform's profile functions fill a buffer: at most size - 1 characters and a zero.
DWORD copyText(char* buffer, DWORD size, const char* text)
{
    size_t n = std::strlen(text);
    if (n > size - 1)
        n = size - 1;
    std::memcpy(buffer, text, n);
    buffer[n] = 0;
    return DWORD(n);
}

// Leading blanks, a sign, digits up to the first non-digit; no digits give 0.
int decimalValue(const char* text) { return int(std::strtol(text, nullptr, 10)); }

} // namespace

HKEY SetKey(const char* section, DWORD* disposition)
{
    const AppState* state = app();
    if (!state)
        return nullptr;
    std::string path = kRegistryRoot + bounded(state->appName, sizeof state->appName);
    if (section && *section)
        path += std::string("\\") + section;
    HKEY key = nullptr;
    DWORD created = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, &created) != ERROR_SUCCESS)
        return nullptr;
    if (disposition)
        *disposition = created;
    return key;
}

DWORD MyGetPrivateProfileString(const char* section, const char* key, const char* defaultText, char* buffer,
                                DWORD size, const char* file)
{
    if (!isProfileFile(file))
        return GetPrivateProfileStringA(section, key, defaultText, buffer, size, file);
    if (!buffer || size == 0)
        return 0;
    const char* fallback = defaultText ? defaultText : "";
    if (!section || !key) {
        // Lists of sections or keys come only from profile files, not from the registry.
        buffer[0] = 0;
        if (size > 1)
            buffer[1] = 0;
        return 0;
    }
    if (!*key)
        return copyText(buffer, size, fallback);

    DWORD disposition = 0;
    RegKey sectionKey(SetKey(section, &disposition));
    if (!sectionKey)
        return 0;
    std::string text;
    DWORD type = 0;
    const Lookup lookup =
        disposition == REG_CREATED_NEW_KEY ? Lookup::Absent : queryValue(sectionKey.get(), key, &text, &type);
    if (lookup == Lookup::Absent) {
        const DWORD length = GetPrivateProfileStringA(section, key, fallback, buffer, size, file);
        setValue(sectionKey.get(), key, buffer);
        return length;
    }
    if (lookup == Lookup::Failed || type != REG_SZ)
        return copyText(buffer, size, fallback);
    return copyText(buffer, size, text.c_str());
}

int MyGetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* file)
{
    if (!isProfileFile(file))
        return int(GetPrivateProfileIntA(section, key, defaultValue, file));
    if (!section || !key)
        return defaultValue;
    DWORD disposition = 0;
    RegKey sectionKey(SetKey(section, &disposition));
    if (!sectionKey)
        return 0;
    if (disposition != REG_CREATED_NEW_KEY) {
        std::string text;
        DWORD type = 0;
        const Lookup lookup = queryValue(sectionKey.get(), key, &text, &type);
        if (lookup == Lookup::Found)
            return type == REG_SZ ? decimalValue(text.c_str()) : defaultValue;
        if (lookup == Lookup::Failed)
            return defaultValue;
    }
    char defaultDecimal[16];
    snprintf(defaultDecimal, sizeof defaultDecimal, "%ld", long(defaultValue));
    char value[64];
    GetPrivateProfileStringA(section, key, defaultDecimal, value, sizeof value, file);
    return decimalValue(value);
}

int MyWritePrivateProfileString(const char* section, const char* key, const char* text, const char* file)
{
    if (!isProfileFile(file))
        return WritePrivateProfileStringA(section, key, text, file) ? 1 : 0;
    if (!key) {
        // Only a named section is removed; an empty name would be the application's key itself.
        if (!section || !*section)
            return 0;
        RegKey appKey(SetKey("", nullptr));
        return appKey && RegDeleteKeyA(appKey.get(), section) == ERROR_SUCCESS ? 1 : 0;
    }
    RegKey sectionKey(SetKey(section, nullptr));
    if (!sectionKey)
        return 0;
    if (!text)
        return RegDeleteValueA(sectionKey.get(), key) == ERROR_SUCCESS ? 1 : 0;
    return setValue(sectionKey.get(), key, text) ? 1 : 0;
}
