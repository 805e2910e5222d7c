// The program's state for its whole run: the shared application state block handed to every
// library, the options only the program reads, and what start-up found and the frame made.
#pragma once

#include "app_state.h"
#include "options.h"

#include <windows.h>

namespace kelapp {

constexpr int kRecentDirCount = 5;
constexpr int kRecentDirSize = 128;

struct ShellState {
    HINSTANCE instance = nullptr;
    char programDir[MAX_PATH] = ""; // ends with the separator
    char startDir[MAX_PATH] = "";

    bool embedding = false;  // started as an OLE server ("/Embedding")
    bool host16 = false;     // 32-bit program on a 16-bit Windows host
    bool oldNt = false;      // Windows NT before version 4
    // Optional components found beside the program or in the Windows folder.
    bool hasVideo = false, hasSound = false, hasMpeg = false, hasPhotoCd = false, hasTwain = false;
    bool hasButtonData = false; // the toolbar's old button list exists (else its menu item goes)

    HWND statusBar = nullptr;
    HWND toolbar = nullptr;
    HFONT statusFont = nullptr;
    HMENU frameMenu = nullptr;
    HACCEL frameAccelerators = nullptr;
    HCURSOR helpCursor = nullptr, waitCursor = nullptr;
    HWND modelessDialog = nullptr; // WMU_SETMODELESS: dialog whose keys the loops pass on

    char pendingFile[MAX_PATH] = "";
    char recentDirs[kRecentDirCount][kRecentDirSize] = {};
    HGLOBAL driveBlock = nullptr;
    HANDLE imageLoadMutex = nullptr; // held while a file is decoded

    int scanCounter = 0;
    bool forwardingPalette = false;  // WM_PALETTECHANGED is being passed to the children
    bool fullScreenShowing = false;  // a slide show or full-screen view keeps the screen saver off
    bool pcdLutSelected = false;
    bool twainTransfer = false;
    bool twainMenuAdded = false;
    bool pcdPopupAdded = false, mpegPopupAdded = false, twainPopupAdded = false;
};

// The one application state block of the process: zero at start, never moved, its address
// handed to every library.
AppState& appState();
ShellState& shell();
Options& options();

// Back to the state of a process that has not started: for a test that starts the frame again.
void resetShellState();

} // namespace kelapp
