// Walking a printf-style argument list the way a format consumes it.
#pragma once

#include <cstdarg>

namespace kelhlp {

// Advances `args` past every argument `format` takes (including '*' widths and precisions),
// so that the caller can read an extra argument that follows them.
void skipFormatArguments(const char* format, va_list& args);

} // namespace kelhlp
