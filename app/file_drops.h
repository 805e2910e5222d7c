// Files dropped on the frame from the shell: catalogs and keyword indexes open a thumbnail view,
// any other file opens in an image window.
#pragma once

#include <windows.h>

#include <string>

namespace kelapp {

// Whether a dropped name is a catalog: its last three characters are "CAT", "CIX" or "IX1".
bool isCatalogName(const std::string& name);

// WM_DROPFILES: every file in turn (the frame restored and focused first); frees the drop.
void handleDroppedFiles(HWND frame, HDROP drop);

} // namespace kelapp
