// The simple message boxes, debug output, the wait cursor and the file-name routine.
#include "imagecore_internal.h"
#include "keldll.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

using namespace keldll;

namespace {

const char* const kDibErrors[] = {
    "Not a DIB file!",
    "Couldn't allocate memory!",
    "Error reading file!",
    "Error locking memory!",
    "Error opening file!",
    "Error creating palette!",
    "Error getting a DC!",
    "Error creating MDI Child!",
    "Maximum number of windows are open",
    "Error creating Device Dependent Bitmap",
    "StretchBlt() failed!",
    "StretchDIBits() failed!",
    "Paint requires both DDB and DIB!",
    "SetDIBitsToDevice() failed!",
    "Printer: StartDoc failed!",
    "Printing: GetModuleHandle() couldn't find GDI!",
    "Printer: SetAbortProc failed!",
    "Printer: StartPage failed!",
    "Printer: NEWFRAME failed!",
    "Printer: EndPage failed!",
    "Printer: EndDoc failed!",
    "Can't copy to clipboard -- no current DIB!",
    "Clipboard is busy -- operation aborted!",
    "Can't paste -- no DIBs or DDBs in clipboard!",
    "SetDIBits() failed!",
    "File Not Found!",
    "Error writing file!",
};

std::atomic<HCURSOR> g_previousCursor{nullptr}; // current when the wait cursor was last set

} // namespace

int ErrMsg(const char* format, ...)
{
    char text[128] = "";
    if (format) {
        va_list args;
        va_start(args, format);
        vsnprintf(text, sizeof text, format, args);
        va_end(args);
    }
    MessageBoxA(nullptr, text, nullptr, MB_OK | MB_ICONWARNING);
    return 0;
}

int DebugMsg(const char* format, ...)
{
    if (format && GetSystemMetrics(SM_DEBUG)) {
        char text[128];
        va_list args;
        va_start(args, format);
        vsnprintf(text, sizeof text, format, args);
        va_end(args);
        OutputDebugStringA(text);
    }
    return 1;
}

int DIBError(int number)
{
    const bool known = number >= 0 && number < int(sizeof kDibErrors / sizeof *kDibErrors);
    return MessageBoxA(GetFocus(), known ? kDibErrors[number] : "Undefined Error!", nullptr, MB_OK | MB_ICONERROR);
}

HCURSOR Hourglass(int on)
{
    if (on) {
        const HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        g_previousCursor = previous;
        return previous;
    }
    return SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

char* ExtractFileName(const char* path)
{
    if (!path)
        return nullptr;
    for (const char* p = path + std::strlen(path); p > path; --p)
        if (p[-1] == '\\' || p[-1] == ':')
            return const_cast<char*>(p);
    return const_cast<char*>(path);
}
