// The start-up cover picture: a top-most pop-up of the picture's size in the middle of the
// screen, gone after seven seconds, at the first command (other than the cover video's) or when
// the frame closes. A cover file that is a video is played in the MDI client instead.
#pragma once

#include <windows.h>

#include <string>

namespace kelapp {

constexpr char kCoverClass[] = "KelCoverClass";
constexpr UINT_PTR kCoverTimerId = 10;
constexpr UINT kCoverMs = 7000;
constexpr int kCoverWindowBytes = 20 > 2 * int(sizeof(LONG_PTR)) ? 20 : 2 * int(sizeof(LONG_PTR));

LRESULT CALLBACK CoverWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The cover file: "Cover File" of the profile, else string 1184, else "KEL2_C.bmp", in the
// program's folder.
std::string coverFilePath();
// Shows the picture of a ".BMP" cover file (AppState::coverWnd), or posts the cover video
// command for an ".AVI" one. Nothing for a missing or unreadable file.
void showCover(HWND frame);
// Command 443: the cover video in a child of the MDI client's size, then the thumbnail view.
void playCoverVideo(HWND frame);
void destroyCover();

} // namespace kelapp
