// What the frame does to the record of an image window (or another image-kind child) when a
// frame command concerns it: display options taken over, the target catalog of "Catalog...".
#pragma once

#include <windows.h>

namespace kelapp {

// A display option of the frame changed (centre, stretch, DIB to screen, background colour):
// the child's record takes the new value and the window repaints. A child without an image
// record is left alone.
void imageWindowOptionChanged(HWND child, UINT command);

// "Catalog..." of an image window: the target catalog of its record becomes that of the open
// thumbnail view `view`, or the current catalog when there is none.
void setImageTargetCatalog(HWND child, HWND view);

} // namespace kelapp
