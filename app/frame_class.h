// The frame window class: its class extra bytes, one pointer-sized slot each (on 32-bit Windows
// the slots lie at bytes 4, 8, 12, 16, 20 and 28 of 32 class bytes).
#pragma once

#include <windows.h>

namespace kelapp {

constexpr char kFrameClass[] = "KELWClass";

enum FrameSlot {
    kSlotFrameMenu = 1,        // the frame's own menu
    kSlotFrameAccelerators = 2,
    kSlotStatusShown = 3,      // 0 or 1
    kSlotStatusOwner = 4,      // window owning the status text, -1 when none
    kSlotStatusId = 5,         // string id of the status text
    kSlotHelpBase = 7,         // status help base of the frame's menu items (2000)
};
constexpr int kFrameClassBytes = 8 * int(sizeof(LONG_PTR));

constexpr int slotOffset(FrameSlot slot) { return int(slot) * int(sizeof(LONG_PTR)); }

inline LONG_PTR frameSlot(HWND frame, FrameSlot slot) { return GetClassLongPtrA(frame, slotOffset(slot)); }
inline void setFrameSlot(HWND frame, FrameSlot slot, LONG_PTR value)
{
    SetClassLongPtrA(frame, slotOffset(slot), value);
}

LRESULT CALLBACK FrameWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

} // namespace kelapp
