// The password box finds its buffer after the message's own arguments, so the format has to be
// walked conversion by conversion with the argument sizes the formatter itself will use.
#include "format_args.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kelhlp {

namespace {

enum class Size { Int, Long, LongLong, Pointer, LongDouble };

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a width or precision: digits, or '*' which takes an int argument.
const char* skipCount(const char* p, va_list& args)
{
    if (*p == '*') {
        (void)va_arg(args, int);
        return p + 1;
    }
    while (isDigit(*p))
        ++p;
    return p;
}

const char* readSize(const char* p, Size* size)
{
    *size = Size::Int;
    switch (*p) {
    case 'h':
        return p[1] == 'h' ? p + 2 : p + 1; // promoted to int
    case 'l':
        if (p[1] == 'l') {
            *size = Size::LongLong;
            return p + 2;
        }
        *size = Size::Long;
        return p + 1;
    case 'q':
        *size = Size::LongLong;
        return p + 1;
    case 'L':
        *size = Size::LongDouble;
        return p + 1;
    case 'j':
        *size = Size::LongLong;
        return p + 1;
    case 'z':
    case 't':
        *size = Size::Pointer;
        return p + 1;
    case 'I':
        if (p[1] == '6' && p[2] == '4') {
            *size = Size::LongLong;
            return p + 3;
        }
        if (p[1] == '3' && p[2] == '2')
            return p + 3;
        *size = Size::Pointer;
        return p + 1;
    }
    return p;
}

void skipInteger(Size size, va_list& args)
{
    switch (size) {
    case Size::Long: (void)va_arg(args, long); break;
    case Size::LongLong: (void)va_arg(args, long long); break;
    case Size::Pointer: (void)va_arg(args, intptr_t); break;
    default: (void)va_arg(args, int); break;
    }
}

} // namespace

void skipFormatArguments(const char* format, va_list& args)
{
    if (!format)
        return;
    for (const char* p = format; *p; ++p) {
        if (*p != '%')
            continue;
        ++p;
        if (*p == '%')
            continue;
        while (*p && std::strchr("-+ #0'", *p))
            ++p;
        p = skipCount(p, args);
        if (*p == '.')
            p = skipCount(p + 1, args);
        Size size;
        p = readSize(p, &size);
        switch (*p) {
        case 'd': case 'i': case 'u': case 'o': case 'x': case 'X': case 'c': case 'C':
            skipInteger(size, args);
            break;
        case 'e': case 'E': case 'f': case 'F': case 'g': case 'G': case 'a': case 'A':
            if (size == Size::LongDouble)
                (void)va_arg(args, long double);
            else
                (void)va_arg(args, double);
            break;
        case 's': case 'S': case 'p': case 'n': case 'Z':
            (void)va_arg(args, void*);
            break;
        case 0:
            return; // a format ending in a bare '%' takes nothing more
        default:
            break; // not a conversion the formatter knows: it takes no argument
        }
    }
}

} // namespace kelhlp
