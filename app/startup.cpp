#include "startup.h"

#include "activity.h"
#include "catalog_startup.h"
#include "command_line.h"
#include "drive_table.h"
#include "file_types.h"
#include "frame_class.h"
#include "frame_window.h"
#include "ids_app.h"
#include "ids_frame.h"
#include "kel_messages.h"
#include "kelcmd.h"
#include "keldll.h"
#include "kelhlp.h"
#include "kelint.h"
#include "kelnet.h"
#include "message_loop.h"
#include "pending_libraries.h"
#include "profile.h"
#include "profile_file.h"
#include "recent_dirs.h"
#include "shell_state.h"
#include "window_classes.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>

namespace kelapp {

namespace {

constexpr char kInstanceSemaphore[] = "Kelgrove32";
constexpr UINT kTitleString = IDS_FRAMETITLE;

void status(UINT id)
{
    if (HWND frame = appState().frameWnd)
        SendMessageA(frame, WMU_SETSTATUS, reinterpret_cast<WPARAM>(frame), id);
}

std::string loadText(UINT id, const char* fallback)
{
    char text[512] = "";
    return LoadStringA(shell().instance, id, text, sizeof text) ? std::string(text) : std::string(fallback);
}

// Step 1: names, title, folders.
void fillIdentity(const StartConfig& config, char* title, size_t titleSize)
{
    AppState& app = appState();
    ShellState& s = shell();
    app.size = kAppStateSize;
    app.appInstance = config.instance;
    std::strcpy(app.appName, "Kelgrove");
    LoadStringA(config.instance, IDS_APPNAME, app.appName, sizeof app.appName);
    if (!config.appName.empty())
        lstrcpynA(app.appName, config.appName.c_str(), sizeof app.appName);
    lstrcpynA(title, "Kelgrove", int(titleSize));
    LoadStringA(config.instance, kTitleString, title, int(titleSize));
    GetCurrentDirectoryA(sizeof s.startDir, s.startDir);
    char module[MAX_PATH] = "";
    GetModuleFileNameA(config.instance, module, sizeof module);
    size_t cut = std::strlen(module);
    while (cut > 0 && module[cut - 1] != '\\' && module[cut - 1] != ':')
        --cut;
    module[cut] = 0;
    lstrcpynA(s.programDir, module, sizeof s.programDir);
}

// Step 2: the libraries, in the order they depend on each other.
void initLibraries()
{
    AppState& app = appState();
    MakeHelpPathName(app.appInstance, app.helpFile);
    prepareFileDialogs(app.appInstance);
    InitKelInt(&app);
    initCatalogEngine(&app);
    LoadSpin32();
    initKeywordDatabase(&app);
    InitKelCmd(&app);
}

// Step 5: the old button list goes into "Button1", "Button2", ... on the first run.
void copyButtonList()
{
    ShellState& s = shell();
    const bool saved = !profileText("Button1", "").empty();
    HRSRC res = FindResourceA(s.instance, "BUTTONDATA", MAKEINTRESOURCEA(10));
    s.hasButtonData = saved || res;
    if (saved || !res)
        return;
    HGLOBAL loaded = LoadResource(s.instance, res);
    const char* p = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    const char* end = p ? p + SizeofResource(s.instance, res) : nullptr;
    for (int n = 1; p && p < end && *p; ++n) {
        const char* zero = static_cast<const char*>(memchr(p, 0, size_t(end - p)));
        if (!zero)
            break;
        char key[16];
        snprintf(key, sizeof key, "Button%d", n);
        writeProfile(key, std::string(p, zero));
        p = zero + 1;
    }
}

void clearCurrentCatalog()
{
    CatalogDescriptor& d = appState().currentCatalog;
    d = CatalogDescriptor{};
    d.hCat = d.hCix = d.hCax = -1;
}

// Step 17: a catalog or a catalog title on the command line.
void commandLineCatalog(const CommandLine& cl)
{
    if (!cl.catalogFile.empty()) {
        registerCatalogFile(cl.catalogFile.c_str());
        return;
    }
    lstrcpynA(shell().pendingFile, cl.file.c_str(), sizeof shell().pendingFile);
    if (const int n = catalogNumberByTitle(cl.catalogTitle)) {
        char key[16];
        snprintf(key, sizeof key, "Catalog%d", n);
        makeCatalogCurrent(key);
    }
}

void makeDefaultDirectoryCurrent(const std::string& dir)
{
    if (dir.empty())
        return;
    char path[MAX_PATH];
    lstrcpynA(path, dir.c_str(), sizeof path);
    ConvertToLocal(path);
    if (!SetCurrentDirectoryA(path) && path[0] && path[1] == ':') {
        const char drive[] = {path[0], ':', 0};
        SetCurrentDirectoryA(drive);
    }
}

// Step 19.
void buildFileTypes()
{
    const Options& o = options();
    const ShellState& s = shell();
    FileTypeGates gates;
    gates.disableTif = o.disableTif;
    gates.disableWpg = o.disableWpg;
    gates.disableCgm = o.disableCgm;
    gates.disableDrw = o.disableDrw;
    gates.hasVideo = s.hasVideo;
    gates.hasSound = s.hasSound;
    gates.hasPhotoCd = s.hasPhotoCd;
    gates.hasMpeg = s.hasMpeg;
    gates.movIsQuickTime = movIsQuickTime();
    std::vector<FileType> types = resourceFileTypes(s.instance, gates);
    for (FileType& t : importFilterFileTypes(HKEY_LOCAL_MACHINE, kGraphicsFiltersKey))
        types.push_back(std::move(t));
    appState().fileTypeFilters = fileTypeBlock(types);
}

void writeCatalogAssociations()
{
    char exe[MAX_PATH] = "";
    GetModuleFileNameA(shell().instance, exe, sizeof exe);
    WriteProfileStringA("Extensions", "cat", (std::string(exe) + " ^.cat").c_str());
    WriteProfileStringA("Extensions", "cix", (std::string(exe) + " ^.cix").c_str());
}

// After the frame exists: what the command line asks for.
void processCommandLine(HWND frame, const CommandLine& cl)
{
    if (cl.thumbnailView) {
        PostMessageA(frame, WM_COMMAND, IDM_THUMBNAIL_VIEW, 0);
        return;
    }
    if (cl.file.empty())
        return;
    char full[MAX_PATH] = "";
    if (!GetFullPathNameA(cl.file.c_str(), sizeof full, full, nullptr))
        lstrcpynA(full, cl.file.c_str(), sizeof full);
    lstrcpynA(shell().pendingFile, full, sizeof shell().pendingFile);
    if (cl.embedding)
        registerOleDocument(full);
    SendMessageA(frame, WM_COMMAND, IDM_OPEN_PENDING, 0);
}

bool initInstance(const StartConfig& config)
{
    AppState& app = appState();
    ShellState& s = shell();
    Options& o = options();
    char title[33];
    fillIdentity(config, title, sizeof title);
    initLibraries();

    const std::string profile = locateProfile(app.appName, config.profilePath);
    if (profile.empty())
        return false;
    lstrcpynA(app.profilePath, profile.c_str(), sizeof app.profilePath);
    lstrcpynA(app.computerName, computerName().c_str(), sizeof app.computerName);
    copyButtonList();
    std::string netNames = profileText("Use Net Names", "");
    if (netNames.empty()) {
        netNames = "Yes";
        writeProfile("Use Net Names", netNames);
    }
    app.useNetNames = isYes(netNames) ? 1 : 0;

    const FramePlacement placement = parseFramePlacement(profileText("Screen", ""));
    const int show = frameShowCommand(placement, config.show);
    const CommandLine cl = parseCommandLine(config.commandLine);
    s.embedding = cl.embedding;

    HWND frame = createFrameWindow(title, placement);
    if (!frame)
        return false;
    registerTwainIdentity();
    createToolbar(frame);
    SendMessageA(frame, WMU_RESTOREFRAMEMENU, 0, 0);
    o.buttonBar = profileYes("Button Bar", true);
    if (s.toolbar)
        ShowWindow(s.toolbar, o.buttonBar ? SW_SHOW : SW_HIDE);
    SendMessageA(frame, WMU_RELAYOUT, 0, 0);
    app.overridePasswords = profileYes("Override Passwords", false);
    app.verifyCatalog = profileYes("Verify Catalog", false);

    InitKelDll(&app);
    InitKelNetDll(&app);
    if (!s.embedding) {
        ShowWindow(frame, show);
        UpdateWindow(frame);
    }
    Hourglass(1);
    status(IDS_LOADING_OPTIONS);
    s.helpCursor = LoadCursorA(s.instance, "HelpCursor");
    app.crossCursor = LoadCursorA(s.instance, "KelCross");
    s.waitCursor = LoadCursorA(nullptr, IDC_WAIT);
    lstrcpynA(app.customFilterDesc, loadText(IDS_USER_FILES, "User Files     ").c_str(), sizeof app.customFilterDesc);
    const std::string patterns = loadText(IDS_DEFAULT_PATTERNS, "*.bmp");
    lstrcpynA(app.customFilter, patterns.c_str(), sizeof app.customFilter);

    fillDriveTable();
    clearCurrentCatalog();
    std::string extensions = profileText("Extensions", "");
    if (extensions.empty()) {
        extensions = patterns;
        writeProfile("extensions", extensions);
    }
    lstrcpynA(app.customFilter, extensions.c_str(), sizeof app.customFilter);
    takeOverCdCatalogs();
    if (!setUpCurrentCatalog(frame)) {
        Hourglass(0);
        return false;
    }
    loadRecentDirectories();
    commandLineCatalog(cl);

    {
        HDC screen = GetDC(nullptr);
        const bool palette = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
        ReleaseDC(nullptr, screen);
        loadOptions(o, palette);
    }
    app.backgroundBrush = CreateSolidBrush(o.backgroundColor);
    makeDefaultDirectoryCurrent(o.defaultDirectory);
    buildFileTypes();

    setDefaultPrinter();
    DragAcceptFiles(frame, TRUE);
    if (config.registerAssociations) {
        registerOleServer();
        writeCatalogAssociations();
    }
    if (!startOleServer()) {
        Hourglass(0);
        MessageBoxA(frame, loadText(IDS_OLE_FAILED, "Can't initialize OLE server").c_str(), app.appName,
                    MB_OK | MB_ICONEXCLAMATION);
    }
    processCommandLine(frame, cl);
    status(IDS_READY);
    Hourglass(0);
    return true;
}

} // namespace

bool anotherInstanceRunning()
{
    HANDLE semaphore = CreateSemaphoreA(nullptr, 0, 1, kInstanceSemaphore);
    if (!semaphore || GetLastError() != ERROR_ALREADY_EXISTS)
        return false; // this instance keeps the handle until it ends
    CloseHandle(semaphore);
    if (HWND frame = FindWindowA(kFrameClass, nullptr)) {
        if (IsIconic(frame))
            ShowWindow(frame, SW_RESTORE);
        SetForegroundWindow(frame);
    }
    return true;
}

bool startInstance(const StartConfig& config)
{
    ShellState& s = shell();
    s.instance = config.instance;
    appState().appInstance = config.instance;
    if (!registerWindowClasses(config.instance))
        return false;
    probeOptionalComponents(config.instance);
    if (!allocateDriveTable())
        return false;
    InitActivityFlags();
    s.imageLoadMutex = CreateMutexA(nullptr, FALSE, nullptr);
    return initInstance(config);
}

void endInstance()
{
    AppState& app = appState();
    ShellState& s = shell();
    revokeOleServer();
    if (app.frameWnd && IsWindow(app.frameWnd))
        DestroyWindow(app.frameWnd);
    app.frameWnd = nullptr;
    if (app.backgroundBrush)
        DeleteObject(app.backgroundBrush);
    app.backgroundBrush = nullptr;
    if (s.frameMenu && IsMenu(s.frameMenu))
        DestroyMenu(s.frameMenu);
    s.frameMenu = nullptr;
    app.frameMenu = nullptr;
    if (app.fileTypeFilters)
        GlobalFree(app.fileTypeFilters);
    app.fileTypeFilters = nullptr;
    endKeywordDatabase();
    FreeDlls();
    DeleteActivityFlags();
    if (s.imageLoadMutex)
        CloseHandle(s.imageLoadMutex);
    s.imageLoadMutex = nullptr;
    freeDriveTable();
    unregisterWindowClasses(s.instance);
}

int runKelgrove(HINSTANCE instance, const char* commandLine, int show)
{
    if (anotherInstanceRunning())
        return 0;
    StartConfig config;
    config.instance = instance;
    config.commandLine = commandLine ? commandLine : "";
    config.show = show;
    if (!startInstance(config)) {
        endInstance();
        return 0;
    }
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    const int code = runMainLoop();
    endInstance();
    return code;
}

} // namespace kelapp
