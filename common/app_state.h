// The application state block shared by the program and every library.
//
// The program owns one static AppState for the whole process and hands its address to each
// library's initialisation entry; the libraries keep the address and read the fields directly.
// Separately built libraries share this layout, so field order, widths and array lengths are
// part of the interface. The 32-bit layout is 4152 bytes (asserted below for i686); on 64-bit
// Windows handles and addresses widen and the size field holds that build's sizeof.
#pragma once

#include "catalog_types.h"

#include <windows.h>

#include <cstdint>

// One drive letter of the drive table (48 bytes; 26 entries A to Z at the start of the block).
struct DriveEntry {
    uint16_t kind;      // 2 removable (backup), 3 fixed or CD-ROM (primary), 4 remote
    char label[14];     // volume label without dots
    char remote[32];    // remote name of a network connection
};
static_assert(sizeof(DriveEntry) == 48, "drive table entries are 48 bytes");
constexpr int kDriveCount = 26;
constexpr int kDriveTableBytes = 6368; // the zero-filled block that holds the table

struct AppState {
    int32_t size;                 // kAppStateSize, set before any library is initialised
    HWND frameWnd;
    HINSTANCE appInstance;        // string table, dialog templates, icons
    char helpFile[260];
    char profilePath[260];
    char appName[9];              // also the profile section and registry key word
    char customFilterDesc[32];    // "User Files" padded with blanks
    char customFilter[256];       // pattern list of the user filter
    char defaultKeywords[88];
    HWND mdiClient;
    int32_t autoDither;           // "Auto Dither"
    int32_t photoCD;              // Photo CD library present / read options written
    int32_t displayWarnings;      // "Display Warnings": passed to every codec call
    int32_t jpegThumbnails;       // "JPEG Thumbnails"
    DriveEntry* driveTable;
    HGLOBAL fileTypeFilters;      // pairs of description and pattern, double-zero terminated
    HBRUSH backgroundBrush;
    int32_t thumbBoxWidth;
    int32_t thumbBoxHeight;
    int32_t hiresThumbnails;      // "Hires Thumbnails"
    CatalogDescriptor currentCatalog;
    int32_t catalogCount;
    int16_t cfObjectLink;
    int16_t cfNative;
    int16_t cfOwnerLink;
    int32_t dibToScreen;          // "DIB to Screen"
    HCURSOR crossCursor;          // "KelCross"
    HCURSOR savedCursor;
    int32_t showLongNames;
    int32_t showExtensions;
    int32_t verifyCatalog;
    int32_t overridePasswords;
    char computerName[64];
    int32_t helpCursorMode;
    int32_t useNetNames;
    int32_t oleEditing;
    HACCEL accelerators;          // of the active child's class, used by every UI thread's loop
    HMENU frameMenu;
    HWND coverWnd;
    int32_t childCount;
    HWND statusBar;
    char browseTemplate[32];
};

// The value the program stores in AppState::size and the value libraries check it against.
constexpr int32_t kAppStateSize = static_cast<int32_t>(sizeof(AppState));

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(AppState) == 4152, "32-bit AppState layout");
#endif
