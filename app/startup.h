// Start-up and exit of the program: one instance per desktop, the libraries initialised with the
// application state in their order, the options, the drive table, the readable file types, the
// catalogs, the frame, the command line, and at the end the orderly shutdown.
#pragma once

#include <windows.h>

#include <string>

namespace kelapp {

struct StartConfig {
    HINSTANCE instance = nullptr;
    std::string commandLine;
    int show = SW_SHOWDEFAULT;
    // Empty: "Kelgrove" with string 10 loaded over it. A test gives a name of its own, which is
    // also its profile section and registry key word.
    std::string appName;
    // Empty: the profile the platform's file search finds (or the migration makes).
    std::string profilePath;
    // The catalog file associations in WIN.INI and the OLE server's registration name this program.
    bool registerAssociations = true;
};

// The program: WinMain's body. Returns the exit code of the last WM_QUIT, or 0 when start-up
// fails or an instance is already running.
int runKelgrove(HINSTANCE instance, const char* commandLine, int show);

// True when another instance runs (the named semaphore "Kelgrove32" exists): its frame has been
// brought to the foreground. Otherwise this process now holds the semaphore until it ends.
bool anotherInstanceRunning();

// Everything from the window classes to the processed command line; false when start-up fails
// (what was made is undone by endInstance).
bool startInstance(const StartConfig& config);
// After the message loop: OLE revoked, brushes, menus and lists freed, the keyword database and
// the codec libraries let go, the locks destroyed, the window classes removed.
void endInstance();

} // namespace kelapp
