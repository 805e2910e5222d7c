// The fixed palettes: the 256-colour default, the 16 standard colours, two colours for
// black-and-white work, a printer's eight colours and a grey ramp.
#include "keldll.h"
#include "palette_internal.h"

namespace keldll {

const PALETTEENTRY kSixteenColours[16] = {
    {0, 0, 0, PC_NOCOLLAPSE},       {255, 0, 0, PC_NOCOLLAPSE},     {0, 255, 0, PC_NOCOLLAPSE},
    {0, 0, 255, PC_NOCOLLAPSE},     {255, 255, 0, PC_NOCOLLAPSE},   {255, 0, 255, PC_NOCOLLAPSE},
    {0, 255, 255, PC_NOCOLLAPSE},   {255, 255, 255, PC_NOCOLLAPSE}, {128, 0, 0, PC_NOCOLLAPSE},
    {0, 128, 0, PC_NOCOLLAPSE},     {0, 0, 128, PC_NOCOLLAPSE},     {128, 128, 0, PC_NOCOLLAPSE},
    {128, 0, 128, PC_NOCOLLAPSE},   {0, 128, 128, PC_NOCOLLAPSE},   {128, 128, 128, PC_NOCOLLAPSE},
    {192, 192, 192, PC_NOCOLLAPSE},
};

} // namespace keldll

using namespace keldll;

HPALETTE Make_Palette(void)
{
    // The levels wrap: level 0 becomes 255, so entry 0 is white.
    PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i)
        entries[i] = PALETTEENTRY{BYTE(32 * (i % 8) - 1), BYTE(32 * ((i / 8) % 8) - 1), BYTE(64 * (i / 64) - 1), 0};
    return makePalette(entries, 256, "CreateBIPalette: LocalAlloc 256 error!");
}

HPALETTE Make16ColorPalette(void)
{
    return makePalette(kSixteenColours, 16, "CreateBIPalette: LocalAlloc 16 error!");
}

HPALETTE Make2ColorPalette(COLORREF colour)
{
    const PALETTEENTRY entries[2] = {{0, 0, 0, PC_NOCOLLAPSE},
                                     {GetRValue(colour), GetGValue(colour), GetBValue(colour), PC_NOCOLLAPSE}};
    return makePalette(entries, 2, "CreateBIPalette: LocalAlloc 2 error!");
}

HPALETTE Make8ColorPalette(HDC printer)
{
    PALETTEENTRY entries[8];
    for (int i = 0; i < 8; ++i) {
        COLORREF c = 0;
        // Drivers without the colour-table escape still have these eight colours: the corners of
        // the colour cube (black, red, green, yellow, blue, magenta, cyan, white) as the device
        // renders them.
        if (Escape(printer, GETCOLORTABLE, sizeof i, reinterpret_cast<LPCSTR>(&i), &c) <= 0) {
            const COLORREF corner = RGB(i & 1 ? 255 : 0, i & 2 ? 255 : 0, i & 4 ? 255 : 0);
            c = GetNearestColor(printer, corner);
            if (c == CLR_INVALID)
                c = corner;
        }
        entries[i] = PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), PC_NOCOLLAPSE};
    }
    return makePalette(entries, 8, "CreateBIPalette: LocalAlloc 8 error!");
}

HPALETTE Make_Gray_Palette(void)
{
    PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i)
        entries[i] = PALETTEENTRY{BYTE(i), BYTE(i), BYTE(i), 0};
    return makePalette(entries, 256, "CreateBIPalette: LocalAlloc 256 error!");
}
