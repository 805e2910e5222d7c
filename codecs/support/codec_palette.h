// The optimal palette that a reader gives its 24-bit result so that it can be shown on a palette
// display.
#pragma once

#include "win_raii.h"

#include <windows.h>

namespace kelcodec {

// Median-cut palette of up to 256 colours for a 24-bit DIB: the DIB's colour table becomes the
// 256 entries (those beyond the colours made are black) and the palette goes to `*palette` (or
// is deleted when the caller gave no variable). The DIB may move. False when the work palette
// cannot be allocated ("CreateBIPalette: LocalAlloc 256 error!" is shown) or quantization fails.
bool giveOptimalPalette(kel::GlobalMem& dib, HPALETTE* palette);

} // namespace kelcodec
