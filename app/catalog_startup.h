// The catalogs start-up takes care of: the default catalog a first run creates, the catalogs a
// catalog CD brings along ("KelCat.ini" beside the program), and the catalog a command line names
// by its title.
#pragma once

#include "app_state.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kelapp {

// The list entry of the default catalog: title "Default", the catalog file, the extensions and
// the volume label (a single blank when there is none), joined by ",", with ",READONLY" after a
// label. Empty when the whole value would not be shorter than 256 characters.
std::string defaultCatalogEntry(const std::string& catalogFile, const std::string& extensions,
                                const std::string& label);

// Whether a catalog can be made in `dir`: not on a CD-ROM drive, and a probe file
// "kelZZZZZ.ZZZ" can be created (and is deleted again) there.
bool folderTakesCatalog(const std::string& dir);

// The folder of the default catalog: `preferred` when it takes one, else "C:\<application name>"
// as offered (and perhaps edited) in the "DefaultCatalog" dialog, which creates it. Empty when
// the user cancels.
std::string chooseDefaultCatalogFolder(HWND owner, const std::string& preferred);

// "Catalogs", "Default Catalog" and the current catalog; a first run creates the default catalog.
// False when the user cancelled the default catalog's folder (the frame is then closing).
bool setUpCurrentCatalog(HWND frame);

// The catalog files a catalog CD lists: when the "CD Name" of section "Catalog Info" of
// `kelcatIni` is the label of some drive (the first, A to Z, case-insensitive), the values
// "catalog1", "catalog2", ... (until one is missing, at most 98) with their drive letter replaced
// by that drive's, those that exist. `cdFound` tells whether a drive carries the CD.
std::vector<std::string> cdCatalogFiles(const std::string& kelcatIni, const DriveEntry* drives,
                                        bool* cdFound = nullptr);
// Registers those catalogs; the list is then deleted, so that it is taken over once.
void takeOverCdCatalogs();

// The number n of the list entry "Catalog<n>" (1 to "Catalogs") whose first field is `title`
// (letter case aside), or 0.
int catalogNumberByTitle(const std::string& title);

} // namespace kelapp
