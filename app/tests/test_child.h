// MDI children for the frame's tests: windows of class "KtChild" with the program's child record
// (its handle and pointer in the window longs), as every child of the program keeps one. They
// answer the frame's questions as told and note every private message they get. A child frees
// the image, technical text and brush its record holds when it is destroyed.
#pragma once

#include "image_record.h"

#include <windows.h>

#include <functional>
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
// The same with a record filled by `fill` (it starts zeroed).
HWND makeImageChild(const std::string& title, const std::function<void(ImageRecord&)>& fill,
                    bool refuseClose = false, bool here = false);

std::vector<Heard> heard();
void forgetHeard();
// How many times `child` heard `msg`.
int timesHeard(HWND child, UINT msg);

} // namespace apptest
