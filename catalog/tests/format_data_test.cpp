// FormatData: a file's size, date and time by the user's international settings, as catalog
// records hold them; and MySort.
#include "file_time.h"
#include "intl_settings.h"
#include "kelcat.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Texts {
    std::string size, date, time;
};

// Formats an open file into sentinel-filled buffers of exactly the documented sizes (11, 11, 9),
// checking that nothing is written past them.
Texts format(HANDLE f)
{
    char size[11 + 4], date[11 + 4], time[9 + 4];
    for (auto* b : {size, date}) std::memset(b, '#', 15);
    std::memset(time, '#', sizeof time);
    EXPECT_EQ(time, FormatData(f, size, date, time));
    EXPECT_EQ(0, std::memcmp(size + 11, "####", 4)) << "size buffer overrun";
    EXPECT_EQ(0, std::memcmp(date + 11, "####", 4)) << "date buffer overrun";
    EXPECT_EQ(0, std::memcmp(time + 9, "####", 4)) << "time buffer overrun";
    return {size, date, time};
}

Texts formatFile(const std::string& path)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, f) << path;
    const Texts t = format(f);
    CloseHandle(f);
    return t;
}

struct Case {
    const char *iDate, *sDate, *iTime, *sTime, *s1159, *s2359; // null: the setting is absent
    WORD hour, minute, second;
    const char *date, *time;
};

// Every case on 31 December 1996.
const Case kCases[] = {
    // iDate sDate iTime sTime s1159 s2359  h  m  s   date          time
    {"0", "/", "0", ":", "AM", "PM", 14, 5, 8, "12/31/1996", "02:05:08"},
    {"1", "/", "0", ":", "AM", "PM", 14, 5, 8, "31/12/1996", "02:05:08"},
    {"2", "/", "0", ":", "AM", "PM", 14, 5, 8, "1996/12/31", "02:05:08"},
    {"1", ".", "1", ":", "AM", "PM", 14, 5, 8, "31.12.1996", "14:05:08"},
    {"2", "-", "1", ".", "", "", 0, 30, 59, "1996-12-31", "00.30.58"},   // seconds in steps of two
    {"0", "/", "0", ":", "AM", "PM", 0, 30, 2, "12/31/1996", "12:30:02"},  // midnight hour shows as 12
    {"0", "/", "0", "", "AM", "PM", 23, 59, 0, "12/31/1996", "115900PM"},  // no separator: the suffix fits
    {"0", "/", "0", "", "a", "p", 9, 1, 0, "12/31/1996", "090100a"},
    {"7", "/", "0", ":", "AM", "PM", 12, 0, 0, "12/31/1996", "12:00:00"}, // unknown order: month first
    {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 14, 5, 8, "12/31/1996", "02/05/08"}, // defaults
};

} // namespace

TEST(FormatData, DateAndTimeFollowTheInternationalSettings)
{
    kt::TempDir dir;
    IntlSettings intl;
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string("iDate ") + (c.iDate ? c.iDate : "(none)") + ", iTime " + (c.iTime ? c.iTime : "(none)") +
                     ", expected " + c.date + " " + c.time);
        intl.set("iDate", c.iDate);
        intl.set("sDate", c.sDate);
        intl.set("iTime", c.iTime);
        intl.set("sTime", c.sTime);
        intl.set("s1159", c.s1159);
        intl.set("s2359", c.s2359);
        const std::string path = dir.file("DATED.GIF");
        ASSERT_TRUE(makeDatedFile(path, 1234, 1996, 12, 31, c.hour, c.minute, c.second));
        const Texts t = formatFile(path);
        EXPECT_EQ("1234", t.size);
        EXPECT_EQ(c.date, t.date);
        EXPECT_EQ(c.time, t.time);
    }
}

TEST(FormatData, SettingsAreReadWhereThePlatformKeepsThem)
{
    // The "Intl" section lives in the user's registry; a value changed there is what counts.
    kt::TempDir dir;
    IntlSettings intl;
    intl.set("sDate", "/");
    intl.set("iDate", "0");
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\International", "iDate", REG_SZ, "2", 2));
    const std::string path = dir.file("A.BMP");
    ASSERT_TRUE(makeDatedFile(path, 1, 2024, 2, 29, 8, 0, 0));
    EXPECT_EQ("2024/02/29", formatFile(path).date);
}

TEST(FormatData, SizeAndFilePosition)
{
    kt::TempDir dir;
    struct {
        size_t bytes;
        const char* text;
    } sizes[] = {{0, "0"}, {1, "1"}, {65536, "65536"}, {1234567, "1234567"}};
    for (const auto& s : sizes) {
        const std::string path = dir.file("S.BIN");
        ASSERT_TRUE(makeDatedFile(path, s.bytes, 2001, 1, 1, 10, 0, 0));
        HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, f);
        SetFilePointer(f, LONG(s.bytes / 2), nullptr, FILE_BEGIN);
        EXPECT_EQ(s.text, format(f).size) << s.bytes << " bytes";
        EXPECT_EQ(0u, SetFilePointer(f, 0, nullptr, FILE_CURRENT)) << "the file is left at its start";
        CloseHandle(f);
    }
}

TEST(MySort, SortsIndexEntriesByRecordOffset)
{
    // The maintenance passes sort a copy of the index by record offset.
    std::vector<IndexEntry> e(5);
    const int32_t offsets[] = {748, 0, 5000, 374, 1122};
    for (size_t i = 0; i < e.size(); ++i)
        e[i].offset = offsets[i];
    MySort(e.data(), int(e.size()), int(sizeof(IndexEntry)), [](const void* a, const void* b) {
        return static_cast<const IndexEntry*>(a)->offset - static_cast<const IndexEntry*>(b)->offset;
    });
    const int32_t sorted[] = {0, 374, 748, 1122, 5000};
    for (size_t i = 0; i < e.size(); ++i)
        EXPECT_EQ(sorted[i], e[i].offset) << "at " << i;
    int one = 7;
    MySort(&one, 1, sizeof one, nullptr); // one element, nothing to compare
    EXPECT_EQ(7, one);
}
