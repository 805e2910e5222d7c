// MDI children for the frame's tests: windows of class "KtChild" with a record of the given kind
// in window long 0, as every child of the program keeps one. They answer the frame's questions
// as told and note every private message they get.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace apptest {

struct Heard {
    HWND child;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    DWORD thread; // the thread that ran the child's procedure
};

// Registers the class once (with the test program's instance).
void registerTestChildClass();

// A child of `kind` made through the program's child creation (its own thread unless `here`).
// `refuseClose`: it answers the close question with 0.
HWND makeTestChild(int kind, const std::string& title, bool refuseClose = false, bool here = false);

std::vector<Heard> heard();
void forgetHeard();
// How many times `child` heard `msg`.
int timesHeard(HWND child, UINT msg);

} // namespace apptest
