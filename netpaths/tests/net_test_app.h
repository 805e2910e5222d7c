// The application state as the network path library sees it in the program: a drive table,
// this machine's name and "Use Net Names" on.
#pragma once

#include "kelnet.h"
#include "test_support.h"

#include <cstring>

inline AppState& netTestApp()
{
    static DriveEntry table[kDriveCount];
    AppState& app = kt::testApp();
    std::memset(table, 0, sizeof table);
    app.driveTable = table;
    DWORD size = sizeof app.computerName;
    GetComputerNameA(app.computerName, &size);
    app.useNetNames = 1;
    InitKelNetDll(&app);
    return app;
}

// An entry of the table netTestApp() set up.
inline DriveEntry& driveEntry(char letter) { return kt::testApp().driveTable[letter - 'A']; }
