// Finding the argument that follows a format's own arguments.
#include "format_args.h"

#include <gtest/gtest.h>

#include <cstdarg>

namespace {

char g_marker[] = "marker";

// The pointer argument that follows what `format` takes.
const char* argumentAfter(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    kelhlp::skipFormatArguments(format, args);
    const char* after = va_arg(args, const char*);
    va_end(args);
    return after;
}

TEST(FormatArguments, SkipsExactlyWhatTheFormatTakes)
{
    EXPECT_EQ(g_marker, argumentAfter("no conversions", g_marker));
    EXPECT_EQ(g_marker, argumentAfter("100%% done", g_marker));
    EXPECT_EQ(g_marker, argumentAfter("%s", "name", g_marker));
    EXPECT_EQ(g_marker, argumentAfter("%d of %u at %p: %c%x%X%o", -1, 2u, &g_marker, 'c', 15, 15, 8, g_marker));
    EXPECT_EQ(g_marker, argumentAfter("%*.*f|%-08.3e|%+g", 8, 2, 1.25, 2.5, 3.0, g_marker));
    EXPECT_EQ(g_marker, argumentAfter("%Lf", 1.5L, g_marker));
    EXPECT_EQ(g_marker, argumentAfter("%lld %I64u %llx", -5LL, 6ULL, 7ULL, g_marker));
    EXPECT_EQ(g_marker, argumentAfter("%zu %Iu %td %jd", size_t(1), size_t(2), ptrdiff_t(3), intmax_t(4), g_marker));
    EXPECT_EQ(g_marker, argumentAfter("%hd %hhu %ld %I32d", 1, 2, 3L, 4, g_marker));
    EXPECT_EQ(g_marker, argumentAfter("%ls %.3s %5s", L"wide", "abcdef", "x", g_marker));
    EXPECT_EQ(g_marker, argumentAfter("%.*s", 2, "abc", g_marker));
}

TEST(FormatArguments, StopsAtABareTrailingPercent)
{
    EXPECT_EQ(g_marker, argumentAfter("%d %", 1, g_marker));
    va_list none{};
    kelhlp::skipFormatArguments(nullptr, none); // nothing to walk
}

} // namespace
