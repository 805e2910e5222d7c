// XpmReadFileToXpmImage and the functions freeing what it fills in.
#include "xpmlib.h"
#include "xpm_text.h"

#include "file_io.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The blank-separated words of a string.
std::vector<std::string_view> words(std::string_view s)
{
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && isBlank(s[i]))
            ++i;
        const size_t start = i;
        while (i < s.size() && !isBlank(s[i]))
            ++i;
        if (i > start)
            out.push_back(s.substr(start, i - start));
    }
    return out;
}

// A decimal number of at most nine digits (every count of a file this reader can hold).
bool number(std::string_view w, unsigned* out)
{
    if (w.empty() || w.size() > 9)
        return false;
    unsigned v = 0;
    for (char c : w) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + unsigned(c - '0');
    }
    *out = v;
    return true;
}

char* copyText(std::string_view s)
{
    char* p = static_cast<char*>(std::malloc(s.size() + 1));
    if (p) {
        std::memcpy(p, s.data(), s.size());
        p[s.size()] = 0;
    }
    return p;
}

// Frees what a partly read image holds and leaves it empty.
void clear(XpmImage* image)
{
    if (image->colorTable)
        for (unsigned i = 0; i < image->ncolors; ++i) {
            XpmColor& c = image->colorTable[i];
            for (char* s : {c.string, c.symbolic, c.m_color, c.g4_color, c.g_color, c.c_color})
                std::free(s);
        }
    std::free(image->colorTable);
    std::free(image->data);
    std::memset(image, 0, sizeof *image);
}

// The values of one colour line after its characters: keys, each followed by one or more words
// (joined by single spaces). A line without keys, or a key without a value, is invalid.
int parseColourKeys(std::string_view rest, XpmColor* colour)
{
    struct Key {
        const char* name;
        char* XpmColor::* field;
    };
    static const Key kKeys[] = {{"c", &XpmColor::c_color}, {"m", &XpmColor::m_color}, {"g4", &XpmColor::g4_color},
                                {"g", &XpmColor::g_color},  {"s", &XpmColor::symbolic}};
    const std::vector<std::string_view> w = words(rest);
    size_t i = 0;
    if (w.empty())
        return XpmFileInvalid;
    while (i < w.size()) {
        const Key* key = nullptr;
        for (const Key& k : kKeys)
            if (w[i] == k.name)
                key = &k;
        if (!key)
            return XpmFileInvalid;
        std::string value;
        for (++i; i < w.size(); ++i) {
            bool isKey = false;
            for (const Key& k : kKeys)
                isKey = isKey || w[i] == k.name;
            if (isKey)
                break;
            if (!value.empty())
                value += ' ';
            value.append(w[i]);
        }
        if (value.empty())
            return XpmFileInvalid;
        char*& field = colour->*(key->field);
        std::free(field);
        field = copyText(value);
        if (!field)
            return XpmNoMemory;
    }
    return XpmSuccess;
}

int parse(const std::vector<uint8_t>& file, XpmImage* image, XpmInfo* info)
{
    xpmlib::XpmText text(reinterpret_cast<const char*>(file.data()), file.size());
    std::string_view s;
    if (!text.valid() || !text.next(&s))
        return XpmFileInvalid;

    // The values line: width height ncolors cpp [x_hotspot y_hotspot] [XPMEXT].
    const std::vector<std::string_view> v = words(s);
    unsigned width, height, ncolors, cpp;
    if (v.size() < 4 || !number(v[0], &width) || !number(v[1], &height) || !number(v[2], &ncolors) ||
        !number(v[3], &cpp) || !width || !height || !ncolors || !cpp)
        return XpmFileInvalid;
    // Every colour and every pixel takes its characters in the text: what the text cannot
    // hold is refused before anything is allocated.
    const uint64_t pixels = uint64_t(width) * height;
    if (uint64_t(ncolors) * cpp > file.size() || pixels > file.size() || pixels * cpp > file.size())
        return XpmFileInvalid;
    XpmInfo found{};
    unsigned x, y;
    size_t next = 4;
    if (v.size() >= 6 && number(v[4], &x) && number(v[5], &y)) {
        found.valuemask |= XpmHotspot;
        found.x_hotspot = x;
        found.y_hotspot = y;
        next = 6;
    }
    const bool extensions = v.size() > next && v[next] == "XPMEXT";

    image->width = width;
    image->height = height;
    image->cpp = cpp;
    image->colorTable = static_cast<XpmColor*>(std::calloc(ncolors, sizeof(XpmColor)));
    if (!image->colorTable)
        return XpmNoMemory;
    image->ncolors = ncolors;

    std::unordered_map<std::string_view, unsigned> index; // characters -> colour (the first wins)
    for (unsigned i = 0; i < ncolors; ++i) {
        if (!text.next(&s) || s.size() < cpp)
            return XpmFileInvalid;
        const std::string_view chars = s.substr(0, cpp);
        image->colorTable[i].string = copyText(chars);
        if (!image->colorTable[i].string)
            return XpmNoMemory;
        if (const int r = parseColourKeys(s.substr(cpp), &image->colorTable[i]); r != XpmSuccess)
            return r;
        index.emplace(chars, i);
    }

    image->data = static_cast<unsigned*>(std::malloc(size_t(pixels) * sizeof(unsigned)));
    if (!image->data)
        return XpmNoMemory;
    unsigned* out = image->data;
    for (unsigned row = 0; row < height; ++row) {
        if (!text.next(&s) || s.size() < size_t(width) * cpp)
            return XpmFileInvalid;
        for (unsigned col = 0; col < width; ++col) {
            const auto it = index.find(s.substr(size_t(col) * cpp, cpp));
            if (it == index.end())
                return XpmFileInvalid;
            *out++ = it->second;
        }
    }
    if (extensions) {
        // Extensions follow the pixels up to XPMENDEXT; they are counted, not kept.
        while (text.next(&s) && s.substr(0, 9) != "XPMENDEXT")
            if (s.substr(0, 7) == "XPMEXT ")
                ++found.nextensions;
        found.valuemask |= XpmExtensions;
    }
    if (info)
        *info = found;
    return XpmSuccess;
}

} // namespace

int XpmReadFileToXpmImage(const char* filename, XpmImage* image, XpmInfo* info)
{
    if (!image)
        return XpmFileInvalid;
    std::memset(image, 0, sizeof *image);
    if (info)
        std::memset(info, 0, sizeof *info);
    std::vector<uint8_t> file;
    if (!filename || !kel::readWholeFile(filename, &file))
        return XpmOpenFailed;
    const int result = parse(file, image, info);
    if (result != XpmSuccess)
        clear(image);
    return result;
}

void XpmFreeXpmImage(XpmImage* image)
{
    if (image)
        clear(image);
}

void XpmFreeXpmInfo(XpmInfo* info)
{
    if (info)
        std::memset(info, 0, sizeof *info);
}
