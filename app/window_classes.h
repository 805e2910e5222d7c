// The program's window classes, registered once at start-up with the program's instance, and the
// optional components found beside it.
#pragma once

#include <windows.h>

namespace kelapp {

// Registers every class of the table; when one fails, those already registered are removed
// again and the result is false.
bool registerWindowClasses(HINSTANCE instance);
void unregisterWindowClasses(HINSTANCE instance);

// The optional libraries beside the program (video, sound, MPEG, Photo CD), the TWAIN source
// manager in the Windows folder, and the 16-bit host; sets ShellState and AppState::photoCD.
void probeOptionalComponents(HINSTANCE instance);

} // namespace kelapp
