// The catalog registry: catalog names in the profile's list slots, each catalog's section, and
// the descriptor filled from them and written back.
//
// Main section:       Catalogs=N, Catalog1..CatalogN = a name, or "name,path,exts,label[,READONLY[,Alpha]]"
// "Catalog-<name>":   Filename, Extensions, Volume Label, Read Only, Sequence,
//                     Build Dir, Move Dir, Link DBF, Link IDX (paths in network form)
#include "catalog_registry.h"

#include "catalog_paths.h"
#include "commands_internal.h"
#include "kelcat.h"
#include "kelcmd.h"
#include "kelnet.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace kelcmd {

namespace {

constexpr size_t kSlotChars = 300;
constexpr size_t kNameChars = 31;

// Splits at commas; every field is kept, empty ones too.
std::vector<std::string> commaFields(const std::string& value)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = value.find(',', start);
        fields.push_back(value.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return fields;
        start = comma + 1;
    }
}

std::string localPath(const char* stored, size_t room)
{
    char path[MAX_PATH] = "";
    lstrcpynA(path, stored, int(room < sizeof path ? room : sizeof path));
    if (path[0])
        ConvertToLocal(path);
    return path;
}

std::string netPath(const char* stored)
{
    char path[MAX_PATH] = "";
    lstrcpynA(path, stored, sizeof path);
    if (path[0])
        ConvertToNet(path);
    return path;
}

} // namespace

std::string mainSection()
{
    const AppState* a = app();
    return a ? std::string(a->appName, strnlen(a->appName, sizeof a->appName)) : std::string();
}

std::string catalogSection(const std::string& name) { return "Catalog-" + name; }

std::string profileText(const std::string& section, const char* key, const char* fallback)
{
    const AppState* a = app();
    if (!a)
        return fallback;
    std::vector<char> buffer(kSlotChars + 1, 0);
    MyGetPrivateProfileString(section.c_str(), key, fallback, buffer.data(), DWORD(buffer.size()), a->profilePath);
    return buffer.data();
}

bool writeProfileText(const std::string& section, const char* key, const char* text)
{
    const AppState* a = app();
    return a && MyWritePrivateProfileString(section.c_str(), key, text, a->profilePath) == 1;
}

int catalogSlots()
{
    AppState* a = app();
    if (!a)
        return 0;
    // Read each time: another process (or the console tool) may have registered catalogs since
    // this one last looked.
    const int n = MyGetPrivateProfileInt(mainSection().c_str(), "Catalogs", 1, a->profilePath);
    a->catalogCount = n;
    return n;
}

std::string slotKey(int slot) { return "Catalog" + std::to_string(slot); }

std::string slotValue(int slot) { return profileText(mainSection(), slotKey(slot).c_str()); }

std::string slotName(const std::string& value) { return value.substr(0, value.find(',')); }

InlineSlot parseSlot(const std::string& value)
{
    InlineSlot s;
    const std::vector<std::string> f = commaFields(value);
    s.name = f[0];
    s.isInline = f.size() > 1;
    if (!s.isInline)
        return s;
    s.path = f[1].substr(0, f[1].find(' '));
    if (f.size() > 2)
        s.extensions = f[2];
    if (f.size() > 3)
        s.label = f[3];
    s.readOnly = f.size() > 4 && _stricmp(f[4].c_str(), "READONLY") == 0;
    if (f.size() > 5)
        s.alphabetical = f[5] == "Alpha";
    return s;
}

} // namespace kelcmd

using namespace kelcmd;

int FindCatIndex(const char* name)
{
    if (!name)
        return -1;
    const int n = catalogSlots();
    for (int i = 1; i <= n; ++i) {
        const std::string slot = slotName(slotValue(i));
        if (!slot.empty() && _stricmp(slot.c_str(), name) == 0)
            return i;
    }
    return -1;
}

int FindCatalog(const char* name, CatalogDescriptor* d)
{
    if (!d || !name)
        return 0;
    // A descriptor handed over with a cached (or even open) index lets go of it before it
    // describes another catalog.
    FreeCatalogBlocks(d);
    if (d->mutex) {
        CloseHandle(d->mutex);
        d->mutex = nullptr;
    }
    setField(d->catName, std::string(name).substr(0, kNameChars));
    const int slot = FindCatIndex(name);
    if (slot < 0)
        return 0;
    d->catalogNumber = int16_t(slot);

    setField(d->volumeLabel, " ");
    d->readOnly = 0;
    d->alphabetical = 1;
    d->catPath[0] = d->cixPath[0] = d->caxPath[0] = 0;
    d->buildDir[0] = d->moveDir[0] = d->linkDbf[0] = d->linkIdx[0] = 0;
    d->extensions[0] = 0;

    const InlineSlot s = parseSlot(slotValue(slot));
    if (s.isInline) {
        setField(d->catPath, s.path);
        setField(d->extensions, s.extensions);
        setField(d->volumeLabel, s.label);
        d->readOnly = s.readOnly;
        d->alphabetical = s.alphabetical;
    }
    d->hCat = d->hCix = d->hCax = -1;
    std::memset(d->password, 0, sizeof d->password);

    const std::string section = catalogSection(slotName(slotValue(slot)));
    const std::string moveDir = profileText(section, "Move Dir");
    const std::string buildDir = profileText(section, "Build Dir");
    const std::string linkDbf = profileText(section, "Link DBF");
    const std::string linkIdx = profileText(section, "Link IDX");
    if (!s.isInline || s.path.empty()) {
        setField(d->catPath, profileText(section, "Filename"));
        setField(d->extensions, profileText(section, "Extensions"));
        setField(d->volumeLabel, profileText(section, "Volume Label", d->volumeLabel));
        const AppState* a = app();
        d->readOnly = MyGetPrivateProfileInt(section.c_str(), "Read Only", 0, a->profilePath) ? 1 : 0;
        d->alphabetical = MyGetPrivateProfileInt(section.c_str(), "Sequence", 0, a->profilePath) ? 1 : 0;
    }
    if (d->catPath[0])
        setField(d->cixPath, catfmt::withCatalogExtension(d->catPath, ".CIX"));
    // The catalog path itself stays in network form: the engine converts it when it opens it.
    setField(d->moveDir, localPath(moveDir.c_str(), sizeof d->moveDir));
    setField(d->buildDir, localPath(buildDir.c_str(), sizeof d->buildDir));
    setField(d->linkDbf, localPath(linkDbf.c_str(), sizeof d->linkDbf));
    setField(d->linkIdx, localPath(linkIdx.c_str(), sizeof d->linkIdx));
    return 1;
}

int UpdateCatalogEntry(CatalogDescriptor* d)
{
    if (!d)
        return 0;
    const std::string name(d->catName, strnlen(d->catName, sizeof d->catName));
    const int slot = FindCatIndex(name.c_str());
    if (slot < 0)
        return 0;
    const std::string section = catalogSection(name);
    bool ok = writeProfileText(mainSection(), slotKey(slot).c_str(), name.c_str());
    ok &= writeProfileText(section, "Build Dir", netPath(d->buildDir).c_str());
    ok &= writeProfileText(section, "Move Dir", netPath(d->moveDir).c_str());
    ok &= writeProfileText(section, "Link DBF", netPath(d->linkDbf).c_str());
    ok &= writeProfileText(section, "Link IDX", netPath(d->linkIdx).c_str());
    ok &= writeProfileText(section, "Filename", netPath(d->catPath).c_str());
    ok &= writeProfileText(section, "Extensions", d->extensions);
    ok &= writeProfileText(section, "Volume Label", d->volumeLabel);
    ok &= writeProfileText(section, "Read Only", d->readOnly ? "1" : "0");
    ok &= writeProfileText(section, "Sequence", d->alphabetical ? "1" : "0");
    return ok ? 1 : 0;
}
