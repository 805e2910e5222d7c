// Small services of the engine: a file's size, date and time as records hold them, the sort the
// maintenance passes use, and letting go of a descriptor's cached index.
#include "engine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The user's international settings as the record texts use them.
struct DateSettings {
    int dateOrder;     // iDate: 1 day-month-year, 2 year-month-day, else month-day-year
    char dateSep[2];   // sDate, one character
    int clock24;       // iTime: 1 for 0-23 hours
    char timeSep[2];   // sTime, one character
    char am[4], pm[4]; // s1159, s2359, up to three characters
};

DateSettings readSettings()
{
    DateSettings s{};
    s.dateOrder = int(GetProfileIntA("Intl", "iDate", 0));
    GetProfileStringA("Intl", "sDate", "/", s.dateSep, sizeof s.dateSep);
    s.clock24 = int(GetProfileIntA("Intl", "iTime", 0));
    GetProfileStringA("Intl", "sTime", "/", s.timeSep, sizeof s.timeSep);
    GetProfileStringA("Intl", "s1159", "", s.am, sizeof s.am);
    GetProfileStringA("Intl", "s2359", "", s.pm, sizeof s.pm);
    return s;
}

void copyOut(char* to, size_t room, const char* text)
{
    if (to)
        snprintf(to, room, "%s", text);
}

} // namespace

using namespace kelcat;

int FreeCatalogBlocks(CatalogDescriptor* d)
{
    if (!d)
        return 0;
    if (d->openCount)
        CloseCatalog(d, nullptr, 1);
    if (d->index)
        freeLongNames(d);
    else if (d->longNameBlock) {
        GlobalUnlock(d->longNameBlock);
        GlobalFree(d->longNameBlock);
        d->longNameBlock = nullptr;
        d->longNames = nullptr;
        d->longNameCount = 0;
    }
    freeIndexBlocks(d);
    d->hCat = d->hCix = d->hCax = -1;
    return 1;
}

char* FormatData(HANDLE file, char* size, char* date, char* time)
{
    // Built here, then copied into the caller's buffers (11, 11 and 9 bytes).
    char sizeText[11] = "0", dateText[11] = "", timeText[9] = "";

    LARGE_INTEGER length{};
    if (GetFileSizeEx(file, &length)) {
        // Ten digits fill the buffer; a larger file shows the largest size it can hold.
        const unsigned long long bytes = std::min<unsigned long long>(length.QuadPart, 9999999999ull);
        snprintf(sizeText, sizeof sizeText, "%llu", bytes);
    }
    LARGE_INTEGER start{};
    SetFilePointerEx(file, start, nullptr, FILE_BEGIN);

    FILETIME written{}, local{};
    SYSTEMTIME t{};
    if (GetFileTime(file, nullptr, nullptr, &written) && FileTimeToLocalFileTime(&written, &local) &&
        FileTimeToSystemTime(&local, &t)) {
        // The resolution of the file system's packed time: two seconds.
        const int second = t.wSecond / 2 * 2;
        const DateSettings s = readSettings();
        int first = t.wMonth, middle = t.wDay, last = t.wYear;
        if (s.dateOrder == 1)
            first = t.wDay, middle = t.wMonth;
        else if (s.dateOrder == 2)
            first = t.wYear, middle = t.wMonth, last = t.wDay;
        snprintf(dateText, sizeof dateText, "%02d%s%02d%s%02d", first, s.dateSep, middle, s.dateSep, last);

        char full[32];
        if (s.clock24 == 1) {
            snprintf(full, sizeof full, "%02d%s%02d%s%02d", t.wHour, s.timeSep, t.wMinute, s.timeSep, second);
        } else {
            const int hour = t.wHour > 11 ? t.wHour - 12 : t.wHour;
            snprintf(full, sizeof full, "%02d%s%02d%s%02d%s", hour ? hour : 12, s.timeSep, t.wMinute, s.timeSep,
                     second, t.wHour > 11 ? s.pm : s.am);
        }
        // The record's time field holds 8 characters: a 12-hour suffix after one-character
        // separators does not fit.
        snprintf(timeText, sizeof timeText, "%s", full);
    }
    copyOut(size, sizeof sizeText, sizeText);
    copyOut(date, sizeof dateText, dateText);
    copyOut(time, sizeof timeText, timeText);
    return time;
}

void MySort(void* base, int count, int width, int (*compare)(const void*, const void*))
{
    if (base && count > 1 && width > 0 && compare)
        std::qsort(base, size_t(count), size_t(width), compare);
}
