// Files with a chosen last-write time, given in local time as a catalog record shows it.
#pragma once

#include "test_support.h"

#include <windows.h>

#include <string>
#include <vector>

inline bool setLocalWriteTime(const std::string& path, WORD year, WORD month, WORD day, WORD hour, WORD minute,
                              WORD second)
{
    SYSTEMTIME local{};
    local.wYear = year, local.wMonth = month, local.wDay = day;
    local.wHour = hour, local.wMinute = minute, local.wSecond = second;
    FILETIME localTime, utc;
    if (!SystemTimeToFileTime(&local, &localTime) || !LocalFileTimeToFileTime(&localTime, &utc))
        return false;
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);
    return ok;
}

// A file of `bytes` bytes last written at the given local time.
inline bool makeDatedFile(const std::string& path, size_t bytes, WORD year, WORD month, WORD day, WORD hour,
                          WORD minute, WORD second)
{
    return kt::writeFile(path, std::vector<uint8_t>(bytes, 'k')) &&
           setLocalWriteTime(path, year, month, day, hour, minute, second);
}
