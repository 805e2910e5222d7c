// KELNET32, volume identity and network paths: the label of a drive's volume, the network form
// (\\server\share\dir) of a path on a drive letter and back, and finding a catalogued file from
// its stored directory and volume label. Plain exported functions (see kelnet32.def). Paths
// changed in place have room for 260 characters; volume labels for 14.
#pragma once

#include "app_state.h"

#include <windows.h>

#ifdef __cplusplus
#define KELNET_API extern "C"
#else
#define KELNET_API
#endif

// Remembers the application state (drive table, computer name, "Use Net Names", instance and
// help file for messages) and binds the network functions; 1.
KELNET_API int InitKelNetDll(AppState* app);

// The volume label of drive `drive` ('a'..'z' or 'A'..'Z') without dots, at most 13 characters,
// in a buffer of the library (one per thread); empty when the drive has no volume or cannot be read.
KELNET_API char* get_volid(int drive);

// "X:\..." to its network form when "Use Net Names" is on: 1 when converted, else 0 (unchanged).
KELNET_API int ConvertToNet(char* path);

// A stored network path back to a path this machine can open, connecting a free drive letter
// when needed: 1 when the path is local (or was made local); 0, after saying so once for the
// same path, when it cannot be reached.
KELNET_API int ConvertToLocal(char* path);

// Finds a catalogued file from its stored directory `dir` and volume label `label` (both updated
// when found; "???" counts as no label), trying every drive that carries the label and then the
// catalog's own directory (may be null). 1 when found, else 0.
KELNET_API int CheckFile(const char* catalogDir, char* dir, const char* fileName, char* label);

// The path as \\computer\share\rest when it lies in a directory this machine shares: 1, else 0.
KELNET_API int GetShareName(const char* computer, const char* localPath, char* buffer, int size);

// The local directory of the share \\server\share when the server is this machine: 1, else 0.
KELNET_API int GetSharePath(const char* computer, const char* netPath, char* buffer, int size);

// The connection of drive "X:" (the platform's WNetGetConnectionA).
KELNET_API DWORD MyWNetGetConnection(const char* localName, char* remoteName, DWORD* size);

// Fills the drive table of the application state: for A to Z the drive kind (CD-ROM drives as
// 3), and for fixed, remote and CD-ROM drives the volume label and remote name. Then the drives
// of `primaryDrives` become kind 3 and those of `backupDrives` kind 2 (letters separated by
// commas or blanks, as the profile holds them; either may be null). 1, or 0 without a table.
KELNET_API int FillDriveTable(const char* primaryDrives, const char* backupDrives);
