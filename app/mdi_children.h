// The frame's dealings with its MDI children: finding them, asking them (with time-limited sends,
// since each may be busy on its own thread), closing and destroying them.
#pragma once

#include <windows.h>

#include <vector>

namespace kelapp {

// A child that does not answer within this time counts as having answered 0.
constexpr UINT kChildAnswerMs = 1000;
// How long the frame waits for a child's own thread to destroy it.
constexpr DWORD kChildGoneMs = 5000;

// The MDI client's children that no window owns, in window order.
std::vector<HWND> unownedChildren(HWND client);
HWND activeChild(HWND client);

// SendMessageTimeout with abort-if-hung and 1000 ms; `ifNoAnswer` when the child did not answer.
LRESULT askChild(HWND child, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT ifNoAnswer = 0);

// WMU_QUERYCLOSE / WM_QUERYENDSESSION: every child agrees (1), or the first refusal ends the
// question (0) and the children asked before it hear WM_ENDSESSION (FALSE).
LRESULT queryCloseChildren(HWND client);
// Destroys one child through the MDI client, tells it WM_ENDSESSION (TRUE) so that its own thread
// destroys it (not on a 16-bit host), and waits until it is gone. False when it stayed.
bool destroyChild(HWND client, HWND child, bool host16);
// WM_ENDSESSION (TRUE) of the frame: destroys every unowned child.
void destroyAllChildren(HWND client, bool host16);
// Close All: the children in turn, each only after it agrees; stops at the first refusal.
void closeAllChildren(HWND client, bool host16);

// Sends a message to every MDI child (time-limited).
void forwardToChildren(HWND client, UINT msg, WPARAM wParam, LPARAM lParam);
// The first child of kind `kind`, or null.
HWND firstChildOfKind(HWND client, int kind);
// WMU_AUTOCLOSE: WM_CLOSE to every other unowned child of the client that is no thumbnail view.
void autoCloseChildren(HWND client, HWND keep);

} // namespace kelapp
