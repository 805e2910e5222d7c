// What kind of window an MDI child is. Every child keeps the handle of its record (a movable
// global block, image_record.h) in its window extra bytes; the record begins with its kind.
#pragma once

#include "image_record.h"

#include <windows.h>

namespace kelapp {

// The kind of an MDI child, or -1 when the window has no record.
int childKind(HWND child);

// Whether a kind shows an image (an image window or an animation).
inline bool isImageKind(int kind) { return kind == KIND_IMAGE || kind == KIND_ANIMATION; }

} // namespace kelapp
