// What the colour dither shares with the device-bitmap code (not exported).
#pragma once

#include <windows.h>

namespace keldll {

// True when DitherColorDib(dib, source, target) has nothing to do: the target palette holds
// exactly the DIB's colours, index for index, so the DIB can be used as it is.
bool ditherChangesNothing(HGLOBAL dib, HPALETTE source, HPALETTE target);

} // namespace keldll
