// Adding catalog files to the list (a file handed to the program, the catalogs of a CD's list
// "KelCat.ini") and taking a catalog off it.
#include "catalog_registry.h"

#include "catalog_paths.h"
#include "commands_internal.h"
#include "kelcat.h"
#include "kelcmd.h"
#include "kelnet.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr UINT kDefaultPatternsText = 1010; // the default file patterns of catalog building
constexpr int kMaxCdCatalogs = 98;

std::string fullPath(const char* path)
{
    char full[MAX_PATH];
    const DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
    return n && n < sizeof full ? std::string(full) : std::string(path);
}

std::string directoryOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int driveIndexOf(const std::string& path)
{
    return path.size() > 1 && path[1] == ':' && std::isalpha(uint8_t(path[0])) ? std::toupper(uint8_t(path[0])) - 'A'
                                                                                : -1;
}

// A file can be created and removed in the directory. CD-ROM drives count as not writable
// whatever the platform lets through.
bool writableDirectory(const std::string& dir)
{
    const int drive = driveIndexOf(dir);
    if (drive >= 0 && CDDriveCheck(drive))
        return false;
    const std::string probe = dir + "kelZZZZZ.ZZZ";
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

std::string defaultPatterns()
{
    char text[256] = "";
    const AppState* a = kelcmd::app();
    if (a && LoadStringA(a->appInstance, kDefaultPatternsText, text, sizeof text) > 0)
        return text;
    return kelcmd::profileText(kelcmd::mainSection(), "Extensions");
}

bool usableName(const std::string& name) { return !name.empty() && name.size() <= 31 && name.find(',') == name.npos; }

// Volume labels as the CD list and the drive table write them: dots do not count, nor case.
std::string labelKey(std::string label)
{
    std::string key;
    for (char c : label)
        if (c != '.')
            key += char(std::toupper(uint8_t(c)));
    while (!key.empty() && key.back() == ' ')
        key.pop_back();
    return key;
}

} // namespace

using namespace kelcmd;

int RegisterCatalogFile(const char* path, const char* name, CatalogDescriptor* d)
{
    if (!path || !*path || !d || !app())
        return 0;
    const std::string catPath = catfmt::withCatalogExtension(fullPath(path), ".CAT");

    // Already registered? Every slot passed is rewritten in the current form on the way.
    const int n = catalogSlots();
    for (int i = 1; i <= n; ++i) {
        const std::string slot = slotName(slotValue(i));
        if (slot.empty())
            continue;
        CatalogDescriptor scratch{};
        if (!FindCatalog(slot.c_str(), &scratch))
            continue;
        UpdateCatalogEntry(&scratch);
        char local[MAX_PATH];
        lstrcpynA(local, scratch.catPath, sizeof local);
        if (local[0] == '\\')
            ConvertToLocal(local);
        if (local[0] && _stricmp(catfmt::withCatalogExtension(local, ".CAT").c_str(), catPath.c_str()) == 0) {
            FindCatalog(slot.c_str(), d);
            return 2;
        }
    }
    const std::string wanted = name ? name : "";
    if (!wanted.empty() && (!usableName(wanted) || FindCatIndex(wanted.c_str()) >= 0))
        return 0;

    FreeCatalogBlocks(d);
    if (d->mutex)
        CloseHandle(d->mutex);
    std::memset(d, 0, sizeof *d);
    const std::string provisional = wanted.empty() ? slotKey(n + 1) : wanted;
    setField(d->catName, provisional);
    setField(d->catPath, catPath);
    setField(d->cixPath, catfmt::withCatalogExtension(catPath, ".CIX"));
    setField(d->catDir, directoryOf(catPath));
    const int drive = driveIndexOf(catPath);
    const char* label = drive >= 0 ? get_volid('A' + drive) : "";
    setField(d->volumeLabel, label && *label ? label : " ");
    d->readOnly = writableDirectory(directoryOf(catPath)) ? 0 : 1;
    d->alphabetical = 1;
    setField(d->extensions, defaultPatterns());
    d->catalogNumber = int16_t(n + 1);
    d->hCat = d->hCix = d->hCax = -1;

    // Opened once so that its header is read: the name stored there becomes the title when the
    // caller gave none. A protected catalog is opened without asking; the password it yields
    // does not stay in the descriptor.
    std::strcpy(d->password, CAT_BYPASS_PASSWORD);
    if (!OpenCatalog(d, d->readOnly ? CAT_READ : CAT_READWRITE, CAT_SHARE_DENY_NONE)) {
        FreeCatalogBlocks(d);
        if (d->mutex)
            CloseHandle(d->mutex);
        d->mutex = nullptr;
        std::memset(d->password, 0, sizeof d->password);
        return 0;
    }
    const std::string stored(d->catName, strnlen(d->catName, sizeof d->catName));
    std::string title = provisional;
    if (wanted.empty() && usableName(stored) && stored != provisional && FindCatIndex(stored.c_str()) < 0)
        title = stored;
    setField(d->catName, title);
    if (!d->readOnly && title != stored)
        FlushCatIndex(d); // the header record takes the registered name (the catalog's mutex name)
    CloseCatalog(d, nullptr, 1);
    if (d->mutex)
        CloseHandle(d->mutex); // named by the provisional name
    d->mutex = nullptr;
    std::memset(d->password, 0, sizeof d->password);
    d->hasPassword = 0;

    if (!writeProfileText(mainSection(), slotKey(n + 1).c_str(), title.c_str()) ||
        !writeProfileText(mainSection(), "Catalogs", std::to_string(n + 1).c_str()))
        return 0;
    return UpdateCatalogEntry(d) ? 1 : 0;
}

int RegisterCDCatalogs(const char* listFile)
{
    if (!listFile || !app())
        return 0;
    char cdName[64] = "";
    GetPrivateProfileStringA("Catalog Info", "CD Name", "", cdName, sizeof cdName, listFile);
    const std::string wanted = labelKey(cdName);
    if (wanted.empty())
        return 0;
    char letter = 0;
    for (char c = 'A'; c <= 'Z' && !letter; ++c) {
        const char root[] = {c, ':', '\\', 0};
        const UINT type = GetDriveTypeA(root);
        if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR)
            continue;
        const char* label = get_volid(c);
        if (label && labelKey(label) == wanted)
            letter = c;
    }
    // Without the disc in a drive the list stays, to be taken over at a later start.
    if (!letter)
        return 0;
    int registered = 0;
    for (int i = 1; i <= kMaxCdCatalogs; ++i) {
        char path[MAX_PATH] = "";
        GetPrivateProfileStringA("Catalog Info", ("catalog" + std::to_string(i)).c_str(), "", path, sizeof path,
                                 listFile);
        if (!path[0])
            break;
        path[0] = letter;
        const std::string catPath = catfmt::withCatalogExtension(path, ".CAT");
        if (GetFileAttributesA(catPath.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        CatalogDescriptor d{};
        if (RegisterCatalogFile(catPath.c_str(), nullptr, &d) == 1)
            ++registered;
    }
    DeleteFileA(listFile);
    return registered;
}

int ForgetCatalog(const char* name)
{
    const int slot = name ? FindCatIndex(name) : -1;
    if (slot < 0)
        return 0;
    const int n = catalogSlots();
    const std::string section = mainSection();
    const std::string registered = slotName(slotValue(slot));

    // The default catalog is kept by name across the move.
    const std::string defaultKey = profileText(section, "Default Catalog", "Catalog1");
    const int defaultSlot = defaultKey.size() > 7 ? std::atoi(defaultKey.c_str() + 7) : 0;
    const std::string defaultName = defaultSlot > 0 ? slotName(slotValue(defaultSlot)) : std::string();

    writeProfileText(catalogSection(registered), nullptr, nullptr);
    for (int i = slot; i < n; ++i)
        writeProfileText(section, slotKey(i).c_str(), slotValue(i + 1).c_str());
    writeProfileText(section, slotKey(n).c_str(), nullptr);
    writeProfileText(section, "Catalogs", std::to_string(n - 1).c_str());
    const int kept = defaultName.empty() ? -1 : FindCatIndex(defaultName.c_str());
    writeProfileText(section, "Default Catalog", slotKey(kept > 0 ? kept : 1).c_str());
    return 1;
}
