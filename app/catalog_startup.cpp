#include "catalog_startup.h"

#include "ids_frame.h"
#include "kelcmd.h"
#include "kelnet.h"
#include "pending_libraries.h"
#include "profile.h"
#include "shell_state.h"

#include <cstdio>
#include <cstring>

namespace kelapp {

namespace {

constexpr char kProbeFile[] = "kelZZZZZ.ZZZ";
constexpr int kMaxCdCatalogs = 98;

std::string withSeparator(std::string dir)
{
    if (!dir.empty() && dir.back() != '\\' && dir.back() != ':')
        dir += '\\';
    return dir;
}

bool fileExists(const std::string& path)
{
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates `dir` and the folders above it that are missing.
bool createFolders(const std::string& dir)
{
    std::string path = dir;
    while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    if (path.empty())
        return false;
    const DWORD a = GetFileAttributesA(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES)
        return (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const size_t up = path.find_last_of("\\/");
    if (up != std::string::npos && up > 0 && path[up - 1] != ':')
        createFolders(path.substr(0, up));
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

struct FolderDialog {
    std::string path;
};

INT_PTR CALLBACK defaultCatalogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dlg, DWLP_USER, lParam);
        SetDlgItemTextA(dlg, IDC_DEFAULT_CATALOG_PATH, reinterpret_cast<FolderDialog*>(lParam)->path.c_str());
        return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC: return reinterpret_cast<INT_PTR>(GetStockObject(LTGRAY_BRUSH));
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto* d = reinterpret_cast<FolderDialog*>(GetWindowLongPtrA(dlg, DWLP_USER));
            char text[MAX_PATH] = "";
            GetDlgItemTextA(dlg, IDC_DEFAULT_CATALOG_PATH, text, sizeof text);
            d->path = text;
            if (d->path.empty() || !createFolders(d->path)) {
                MessageBeep(MB_ICONEXCLAMATION);
                return TRUE; // a folder that cannot be made is no answer
            }
            EndDialog(dlg, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dlg, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

std::string defaultCatalogEntry(const std::string& catalogFile, const std::string& extensions,
                                const std::string& label)
{
    std::string entry = "Default," + catalogFile + "," + extensions + "," + (label.empty() ? " " : label);
    if (!label.empty())
        entry += ",READONLY";
    return entry.size() < 256 ? entry : std::string();
}

bool folderTakesCatalog(const std::string& dir)
{
    if (dir.size() >= 2 && dir[1] == ':') {
        const char root[] = {dir[0], ':', '\\', 0};
        if (GetDriveTypeA(root) == DRIVE_CDROM)
            return false;
    }
    const std::string probe = withSeparator(dir) + kProbeFile;
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    DeleteFileA(probe.c_str());
    return true;
}

std::string chooseDefaultCatalogFolder(HWND owner, const std::string& preferred)
{
    if (folderTakesCatalog(preferred))
        return preferred;
    FolderDialog d{std::string("C:\\") + appState().appName};
    if (DialogBoxParamA(shell().instance, "DefaultCatalog", owner, defaultCatalogProc, reinterpret_cast<LPARAM>(&d)) != 1)
        return {};
    return d.path;
}

bool setUpCurrentCatalog(HWND frame)
{
    AppState& app = appState();
    Options& o = options();
    o.catalogs = profileInt("Catalogs", 0);
    if (o.catalogs <= 0) {
        o.catalogs = 1;
        writeProfile("Catalogs", "1");
    }
    app.catalogCount = o.catalogs;
    o.defaultCatalog = profileText("Default Catalog", "");
    if (o.defaultCatalog.empty()) {
        o.defaultCatalog = "Catalog1";
        writeProfile("Default Catalog", o.defaultCatalog);
    }
    if (app.currentCatalog.catName[0])
        return true;

    std::string key = o.defaultCatalog;
    if (profileText(key.c_str(), "").empty()) {
        // A first run. A "Default Catalog" naming a removed entry does not overwrite the first
        // catalog of the list: that one becomes current instead.
        key = "Catalog1";
        if (profileText(key.c_str(), "").empty()) {
            const std::string folder = chooseDefaultCatalogFolder(frame, shell().programDir);
            if (folder.empty()) {
                PostMessageA(frame, WM_CLOSE, 0, 0);
                return false;
            }
            const std::string file = withSeparator(folder) + app.appName + ".CAT";
            const std::string entry = defaultCatalogEntry(file, app.customFilter, get_volid(folder[0]));
            if (!entry.empty())
                writeProfile(key.c_str(), entry);
        }
    }
    makeCatalogCurrent(key.c_str());
    return true;
}

std::vector<std::string> cdCatalogFiles(const std::string& kelcatIni, const DriveEntry* drives, bool* cdFound)
{
    std::vector<std::string> files;
    if (cdFound)
        *cdFound = false;
    char cdName[64] = "";
    GetPrivateProfileStringA("Catalog Info", "CD Name", "", cdName, sizeof cdName, kelcatIni.c_str());
    if (!cdName[0] || !drives)
        return files;
    char letter = 0;
    for (int i = 0; i < kDriveCount && !letter; ++i)
        if (drives[i].label[0] && _stricmp(drives[i].label, cdName) == 0)
            letter = char('A' + i);
    if (!letter)
        return files;
    if (cdFound)
        *cdFound = true;
    for (int n = 1; n <= kMaxCdCatalogs; ++n) {
        char key[16], value[MAX_PATH] = "";
        snprintf(key, sizeof key, "catalog%d", n);
        if (!GetPrivateProfileStringA("Catalog Info", key, "", value, sizeof value, kelcatIni.c_str()))
            break;
        value[0] = letter;
        if (fileExists(value))
            files.push_back(value);
    }
    return files;
}

void takeOverCdCatalogs()
{
    const std::string ini = std::string(shell().programDir) + "KelCat.ini";
    if (!fileExists(ini))
        return;
    bool cdFound = false, all = true;
    for (const std::string& file : cdCatalogFiles(ini, appState().driveTable, &cdFound))
        all = registerCatalogFile(file.c_str()) && all;
    // The list is the only record of these catalogs until they are registered: it stays while
    // its CD is not in a drive or a catalog could not be registered.
    if (cdFound && all)
        DeleteFileA(ini.c_str());
}

int catalogNumberByTitle(const std::string& title)
{
    if (title.empty())
        return 0;
    const int count = profileInt("Catalogs", 1);
    for (int n = 1; n <= count; ++n) {
        char key[16];
        snprintf(key, sizeof key, "Catalog%d", n);
        const std::string entry = profileText(key, "");
        if (!entry.empty() && _stricmp(entry.substr(0, entry.find(',')).c_str(), title.c_str()) == 0)
            return n;
    }
    return 0;
}

} // namespace kelapp
