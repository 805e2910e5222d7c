// KELCMD32, the commands library. Plain exported functions (see kelcmd32.def).
//
// The profile store: the application's profile (the file whose path AppState holds, recognised
// case-insensitively) keeps its values in the current user's registry under
// HKEY_CURRENT_USER\Software\TandrySoftware\<application name>\<section>, one REG_SZ value per
// profile key. A value missing there is read from the profile file the first time (strings then
// stay in the registry). Any other file name goes straight to the platform's profile functions.
#pragma once

#include "app_state.h"

#include <windows.h>

#ifdef __cplusplus
#define KELCMD_API extern "C"
#else
#define KELCMD_API
#endif

// ---- Initialisation ---------------------------------------------------------------------
// Remembers the application state; a block of another size than this library was built for is
// reported once ("KelCmd32:Size of global array is wrong!") and the library carries on. 1.
KELCMD_API int InitKelCmd(AppState* app);

// ---- Profile store ----------------------------------------------------------------------
// The registry key of a profile section, opened or created with full access; *disposition
// (may be null) is REG_CREATED_NEW_KEY (1) or REG_OPENED_EXISTING_KEY. 0 on failure.
KELCMD_API HKEY SetKey(const char* section, DWORD* disposition);
// Length of the text placed in `buffer` (0 when the section's key cannot be opened).
KELCMD_API DWORD MyGetPrivateProfileString(const char* section, const char* key, const char* defaultText,
                                           char* buffer, DWORD size, const char* file);
KELCMD_API int MyGetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* file);
// Sets a value; a null text deletes the value, a null key deletes the whole section. 1 or 0.
KELCMD_API int MyWritePrivateProfileString(const char* section, const char* key, const char* text,
                                           const char* file);
