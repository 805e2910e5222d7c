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

// ---- Catalog registry -------------------------------------------------------------------
// The registered catalogs live in the application's profile: "Catalogs" (the number of list
// slots) and "Catalog1".."CatalogN" in the main section, each a catalog name (or, in older
// profiles, the whole description "name,path,extensions,label[,READONLY[,Alpha]]"), and one
// section "Catalog-<name>" per catalog. Names are at most 31 characters and compared
// case-insensitively.

// The slot (1-based) whose catalog name is `name`, or -1.
KELCMD_API int FindCatIndex(const char* name);
// Fills `d` for the registered catalog `name` (any cached index of `d` is freed and its mutex
// handle closed first): 1; 0 when the name is not registered (the descriptor's name is then
// the requested one).
KELCMD_API int FindCatalog(const char* name, CatalogDescriptor* d);
// Writes the descriptor back into its slot (current form) and its section: 1; 0 when its name
// is not registered.
KELCMD_API int UpdateCatalogEntry(CatalogDescriptor* d);
// Fills combo box 3018 of `dlg` with the registered names (inline slots marked READONLY only
// when `includeReadOnly`) and selects the first that begins with the descriptor's name. 1.
KELCMD_API int Display_Cat_Combo(HWND dlg, CatalogDescriptor* d, int includeReadOnly);
// The user chose another catalog in combo 3018: the descriptor now describing it, the
// descriptor a thumbnail view already has open for it, or 0 when it cannot be opened (the
// descriptor and the combo's selection are then as before).
KELCMD_API CatalogDescriptor* Process_Cat_Combo(HWND dlg, CatalogDescriptor* d);
// Lists the catalog's live, shown entries (long name, else short name) in list box 2102 and
// their count in control 2141 when the dialog has one: the number listed; 0 when the catalog
// cannot be opened.
KELCMD_API int FillCatListBox(HWND dlg, CatalogDescriptor* d);

// Registers the catalog file `path` (the extension becomes ".CAT") under `name`, or, when
// `name` is null or empty, under the name its header record holds or "Catalog<n>". `d`
// receives the descriptor. 1 registered now; 2 the file was registered already (under the name
// the descriptor then holds); 0 failed (name taken or unusable, or the catalog does not open).
KELCMD_API int RegisterCatalogFile(const char* path, const char* name, CatalogDescriptor* d);
// Takes over the CD catalog list `listFile` ("KelCat.ini" in the program's directory): when a
// drive carries the volume label "CD Name" of section "Catalog Info", every existing catalog
// file "catalog1".."catalog98" (drive letter replaced by that drive's) is registered and the
// list file deleted. The number of catalogs registered now.
KELCMD_API int RegisterCDCatalogs(const char* listFile);
// Removes a catalog from the list: its section goes, later slots move down one, "Catalogs"
// drops by one and "Default Catalog" follows its catalog. The catalog's files stay. 1, or 0
// when the name is not registered.
KELCMD_API int ForgetCatalog(const char* name);
