// State and helpers shared by the image core's own source files (not exported).
#pragma once

#include "app_state.h"

#include <windows.h>

namespace keldll {

// The application state handed over by InitKelDll (null before it).
AppState* app();

// Loads an application string (empty when there is no application or no such string).
int loadAppString(UINT id, char* buffer, int size);

// Header size of a locked DIB: 40 and 36 are information headers, anything else the core header.
inline bool isCoreHeader(const void* header) { return *static_cast<const DWORD*>(header) != 40 &&
                                                      *static_cast<const DWORD*>(header) != 36; }

// Colour text of a bit count, as shown in window titles and format summaries.
const char* colourText(int bits);

// Shows a text in a part of the status bar that holds the open status box (nothing when no
// status box is open).
void setStatusText(int part, const char* text);

} // namespace keldll
