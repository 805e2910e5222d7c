// The colour of an XPM colour's "c" value: "#" and hexadecimal digits, or a colour name.
#pragma once

#include <cstdint>

namespace xpm {

struct Rgb {
    uint8_t r, g, b;
};

// Hexadecimal rule, for the text after "#": 3 digits give each component the digit's value
// (0-15, unscaled), 6 digits two per component, 12 digits the first two of each group of four.
// False for any other length (the caller keeps the previous entry's colour).
bool hexColour(const char* digits, Rgb* out);

// Name rule: spaces removed, folded to lower case, the first "grey" read as "gray", looked up in
// the X colour-name set (plain names, Gray0 to Gray100, Transparent); red when not found.
Rgb namedColour(const char* name);

} // namespace xpm
