#include "file_types.h"

#include "win_raii.h"

#include <cctype>
#include <cstring>

namespace kelapp {

namespace {

// The first extension of a pattern: the three characters after "*.", upper case.
std::string firstExtension(const std::string& pattern)
{
    if (pattern.size() < 5 || pattern.compare(0, 2, "*.") != 0)
        return {};
    std::string ext = pattern.substr(2, 3);
    for (char& c : ext)
        c = char(toupper(static_cast<unsigned char>(c)));
    return ext;
}

bool listed(const std::string& ext, const FileTypeGates& g)
{
    if ((ext == "TIF" || ext == "EPS") && g.disableTif)
        return false;
    if ((ext == "WPG" && g.disableWpg) || (ext == "CGM" && g.disableCgm) || (ext == "DRW" && g.disableDrw))
        return false;
    if (ext == "AVI" && !g.hasVideo)
        return false;
    if (ext == "MOV" && !g.movIsQuickTime)
        return false;
    if ((ext == "WAV" || ext == "MID") && !g.hasSound)
        return false;
    if (ext == "PCD" && !g.hasPhotoCd)
        return false;
    if (ext == "MPG" && !g.hasMpeg)
        return false;
    return true;
}

std::string registryText(HKEY key, const char* name, DWORD size)
{
    std::string text(size, '\0');
    DWORD bytes = size, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    text.resize(strnlen(text.c_str(), size));
    return text;
}

} // namespace

std::vector<FileType> resourceFileTypes(HINSTANCE instance, const FileTypeGates& gates)
{
    std::vector<FileType> types;
    HRSRC res = FindResourceA(instance, "SZFILTERS", MAKEINTRESOURCEA(10));
    HGLOBAL loaded = res ? LoadResource(instance, res) : nullptr;
    const char* p = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!p)
        return types;
    const char* end = p + SizeofResource(instance, res);
    auto next = [&](std::string* text) {
        const char* zero = static_cast<const char*>(memchr(p, 0, size_t(end - p)));
        if (!zero)
            return false;
        text->assign(p, zero);
        p = zero + 1;
        return true;
    };
    FileType t;
    while (p < end && next(&t.description) && !t.description.empty() && next(&t.pattern))
        if (listed(firstExtension(t.pattern), gates))
            types.push_back(t);
    return types;
}

std::vector<FileType> importFilterFileTypes(HKEY root, const char* keyPath)
{
    std::vector<FileType> types;
    HKEY key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return types;
    char name[17];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        const LSTATUS status = RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA)
            continue; // names longer than 16 characters are not filters of ours
        if (status != ERROR_SUCCESS)
            break;
        HKEY filter;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &filter) != ERROR_SUCCESS)
            continue;
        const std::string description = registryText(filter, "Name", 128);
        const std::string extensions = registryText(filter, "Extensions", 260);
        RegCloseKey(filter);
        if (description.empty() || extensions.empty())
            continue;
        // Each extension of a filter becomes a pattern of its own, "WMF;EMF" giving "*.WMF;*.EMF".
        std::string pattern;
        size_t from = 0;
        while (from <= extensions.size()) {
            const size_t to = extensions.find(';', from);
            const std::string ext = extensions.substr(from, to == std::string::npos ? std::string::npos : to - from);
            if (!ext.empty())
                pattern += (pattern.empty() ? "*." : ";*.") + ext;
            if (to == std::string::npos)
                break;
            from = to + 1;
        }
        types.push_back({"*" + description, pattern});
    }
    RegCloseKey(key);
    return types;
}

HGLOBAL fileTypeBlock(const std::vector<FileType>& types)
{
    size_t size = 1;
    for (const FileType& t : types)
        size += t.description.size() + 1 + t.pattern.size() + 1;
    kel::GlobalMem block = kel::GlobalMem::alloc(size);
    kel::GlobalLocked<char> p(block.get());
    if (!p)
        return nullptr;
    char* out = p.get();
    for (const FileType& t : types) {
        memcpy(out, t.description.c_str(), t.description.size() + 1);
        out += t.description.size() + 1;
        memcpy(out, t.pattern.c_str(), t.pattern.size() + 1);
        out += t.pattern.size() + 1;
    }
    *out = 0;
    return block.release();
}

bool movIsQuickTime()
{
    char value[64] = "";
    GetProfileStringA("mci extensions", "MOV", "", value, sizeof value);
    return _stricmp(value, "QTWVIDEO") == 0;
}

} // namespace kelapp
