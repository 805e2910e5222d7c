#include "xpm_colours.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace xpm {

namespace {

struct Named {
    const char* name;
    uint8_t r, g, b;
};

// Made at build time from the X Window System colour database, sorted by name.
const Named kNames[] = {
#include "colour_names.inc"
};

int digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

} // namespace

bool hexColour(const char* d, Rgb* out)
{
    switch (std::strlen(d)) {
    case 3: *out = {uint8_t(digit(d[0])), uint8_t(digit(d[1])), uint8_t(digit(d[2]))}; return true;
    case 6:
        *out = {uint8_t(digit(d[0]) * 16 + digit(d[1])), uint8_t(digit(d[2]) * 16 + digit(d[3])),
                uint8_t(digit(d[4]) * 16 + digit(d[5]))};
        return true;
    case 12:
        *out = {uint8_t(digit(d[0]) * 16 + digit(d[1])), uint8_t(digit(d[4]) * 16 + digit(d[5])),
                uint8_t(digit(d[8]) * 16 + digit(d[9]))};
        return true;
    default: return false;
    }
}

Rgb namedColour(const char* name)
{
    std::string key;
    for (const char* p = name; *p; ++p)
        if (*p != ' ')
            key += char(std::tolower(static_cast<unsigned char>(*p)));
    if (const size_t grey = key.find("grey"); grey != std::string::npos)
        key[grey + 2] = 'a';
    const Named* end = std::end(kNames);
    const Named* found = std::lower_bound(std::begin(kNames), end, key,
                                          [](const Named& n, const std::string& k) { return k.compare(n.name) > 0; });
    if (found != end && key == found->name)
        return {found->r, found->g, found->b};
    return {255, 0, 0};
}

} // namespace xpm
