// What kind of window an MDI child is. Every child keeps the handle of its record (a movable
// global block) in window long 0; the record begins with its 16-bit kind.
#pragma once

#include <windows.h>

#include <cstdint>

namespace kelapp {

enum WindowKind : int16_t {
    KIND_IMAGE = 0,
    KIND_THUMBVIEW = 1,
    KIND_VIDEO = 2,
    KIND_SOUND = 4,
    KIND_ANIMATION = 5,
};

// Window long 0 of every MDI child: the handle of its record.
constexpr int kChildRecordLong = 0;

// The kind of an MDI child, or -1 when the window has no record.
int childKind(HWND child);

// Whether a kind shows an image (an image window or an animation).
inline bool isImageKind(int kind) { return kind == KIND_IMAGE || kind == KIND_ANIMATION; }

} // namespace kelapp
