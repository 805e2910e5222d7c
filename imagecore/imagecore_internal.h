// State and helpers shared by the image core's own source files (not exported).
#pragma once

#include "app_state.h"

#include <windows.h>

struct ImageRecord;

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

namespace keldll {

// Shows a warning (application strings for caption and text) in the system's message dialog
// with a Help button, owned by the frame, opening `helpContext` of the help file. When the
// window helper library that provides the dialog is not installed, a plain warning box.
void showHelpWarning(DWORD helpContext, UINT captionId, UINT textId);

} // namespace keldll

namespace keldll {

// The size of a window's image: from its DIB, else its device bitmap, else its metafile picture,
// else the record's own width and height fields.
SIZE recordImageSize(const ImageRecord& record);

} // namespace keldll
