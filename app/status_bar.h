// The frame's status bar (control 100): part 0 the status help text, drawn by the frame in its own
// font; part 1 an operation's text; part 2 the format summary; part 3 the progress control 101
// that the status box of the image core drives.
#pragma once

#include <windows.h>

namespace kelapp {

constexpr int kStatusBarId = 100;

// Creates the status bar with its progress control, the parts laid out for the frame's width.
HWND createStatusBar(HWND frame);
// Right edges of the four parts for a bar `width` pixels wide whose font's average character is
// `charWidth` pixels: c - 98b, c - 51b, c - 21b and c, where c = width - 4b (never below 0).
void statusPartEdges(int width, int charWidth, int* edges);
// Lays the parts out again for the bar's width and moves the progress control onto part 3.
void layoutStatusParts(HWND bar);

// WMU_GETSTATUSRECT: the status bar in frame client coordinates; when hidden, an empty rectangle
// on the client area's bottom edge.
void statusRect(HWND frame, RECT* rc);
// WMU_SETSTATUS: remembers owner and string id in the frame class and shows the text.
void setStatus(HWND frame, HWND owner, UINT id);
// WMU_PAINTSTATUS / WM_DRAWITEM of part 0: draws the remembered text.
void paintStatus(HWND frame, const DRAWITEMSTRUCT* item);
// Command 146: shows or hides the bar (the class flag follows).
void showStatusBar(HWND frame, bool show);

} // namespace kelapp
