// Nothing lost: a writer killed at any file call of a run of writes, deletes and index flushes
// leaves a catalog that reopens with every record it had completely written, and with each
// record it was changing either as it was or as it became, whole. The writer is this test
// program run again as a child process; its calls to WriteFile and MoveFileExA inside the
// engine are counted, and at call k it writes half of what it was asked and ends itself.
#include "dib_builder.h"
#include "engine_fixture.h"
#include "import_patch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

using namespace ct;

namespace {

struct Init {
    Init() { InitCatDll(&kt::testApp()); }
} g_init;

// ---- The writer's script ------------------------------------------------------------------

struct Version {
    catfmt::Record fields;
    int thumbSide = 0; // 0: no thumbnail; else a square 8-bit thumbnail of that size
    std::string longName;
};

Version version(const std::string& name, int n, int thumbSide, const std::string& longName = "")
{
    Version v{sampleRecord(name, n), thumbSide, longName};
    v.fields.description = n % 3 == 2 ? std::string(900 + 100 * n, char('a' + n % 26)) : v.fields.description;
    return v;
}

HGLOBAL thumbnailOf(const Version& v)
{
    return v.thumbSide ? kt::makeDib(v.thumbSide, v.thumbSide, 8, kt::spreadColours(256), kt::pattern(8, 256)) : nullptr;
}

const Version kOld[] = {version("OLD0.GIF", 0, 20), version("OLD1.GIF", 1, 24, "Old one.gif"),
                        version("OLD2.GIF", 2, 16), version("OLD3.GIF", 3, 0, "Old three without thumbnail.gif")};
const Version kOld1New = version("OLD1.GIF", 5, 30, "Old one.gif");
const Version kNew1 = version("NEW1.GIF", 6, 22, "New one.gif");
const Version kNew1Again = version("NEW1.GIF", 8, 22, "New one.gif");
const Version kNew2 = version("NEW2.GIF", 7, 0, "New two, no thumbnail.gif");
const Version kNew3 = version("NEW3.GIF", 9, 12);

int write(CatalogDescriptor* d, const Version& v)
{
    HGLOBAL rec = recordHandle(v.fields);
    HGLOBAL thumb = thumbnailOf(v);
    const int ok = WriteCatalog(d, nullptr, thumb, rec, 32767, v.fields.name.c_str(), v.longName.c_str());
    GlobalFree(rec);
    if (thumb)
        GlobalFree(thumb);
    return ok;
}

// The writer's steps; each returns true when done. The parent knows them by number.
bool step(CatalogDescriptor* d, int n)
{
    switch (n) {
    case 1: return OpenCatalog(d, CAT_READWRITE, 0) != 0;
    case 2: return write(d, kNew1) == 1;
    case 3: return write(d, kOld1New) == 1;
    case 4: {
        HGLOBAL h = LookupCatalog(d, "OLD2.GIF", 0);
        GlobalFree(h);
        return DeleteCix(d) >= 0;
    }
    case 5: return write(d, kNew2) == 1;
    case 6: return FlushCatIndex(d) == 1;
    case 7: return write(d, kNew3) == 1;
    case 8: return write(d, kNew1Again) == 1;
    case 9: return CloseCatalog(d, nullptr, 1) == 1;
    }
    return false;
}
constexpr int kSteps = 9;

// ---- Counting and cutting the engine's file calls -----------------------------------------

LONG g_calls;
LONG g_cutAt;
decltype(&WriteFile) g_writeFile;
decltype(&MoveFileExA) g_moveFile;

void cutIfDue()
{
    if (InterlockedIncrement(&g_calls) == g_cutAt)
        TerminateProcess(GetCurrentProcess(), 9);
}

BOOL WINAPI countedWriteFile(HANDLE f, LPCVOID data, DWORD n, LPDWORD written, LPOVERLAPPED o)
{
    if (g_calls + 1 == g_cutAt && n > 1) {
        DWORD half = 0;
        g_writeFile(f, data, n / 2, &half, o); // a torn write
    }
    cutIfDue();
    return g_writeFile(f, data, n, written, o);
}

BOOL WINAPI countedMoveFile(LPCSTR from, LPCSTR to, DWORD flags)
{
    cutIfDue();
    return g_moveFile(from, to, flags);
}

std::string env(const char* name)
{
    char value[MAX_PATH] = "";
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

// The child: runs the steps on the catalog the parent names, logging each step done.
TEST(KilledWriterChild, DISABLED_Run)
{
    const std::string dir = env("KEL_KILL_DIR");
    ASSERT_FALSE(dir.empty());
    g_cutAt = std::atoi(env("KEL_KILL_AT").c_str());
    HMODULE engine = GetModuleHandleA("KELCAT32.dll");
    kt::ImportPatch w(engine, "WriteFile", kt::functionPointer(countedWriteFile), reinterpret_cast<void**>(&g_writeFile));
    kt::ImportPatch m(engine, "MoveFileExA", kt::functionPointer(countedMoveFile), reinterpret_cast<void**>(&g_moveFile));
    ASSERT_TRUE(w.patched() && m.patched());
    FILE* log = std::fopen((dir + "\\steps.log").c_str(), "w");
    CatalogDescriptor d;
    fillDescriptor(&d, dir + "\\CRASH.CAT");
    for (int n = 1; n <= kSteps; ++n) {
        ASSERT_TRUE(step(&d, n)) << "step " << n;
        std::fprintf(log, "%d\n", n);
        std::fflush(log);
    }
    std::fprintf(log, "calls %ld\n", g_calls);
    std::fclose(log);
}

// ---- The parent ---------------------------------------------------------------------------

// The record of `name` as the reopened catalog gives it, compared with the versions allowed.
// Empty when it matches one of them (or is absent and absence is allowed).
std::string check(TestCatalog& c, const std::string& name, std::vector<const Version*> allowed, bool mayBeAbsent)
{
    const int at = FindCix(&c.d, name.c_str());
    if (at < 0)
        return mayBeAbsent ? "" : name + " is missing";
    HGLOBAL h = LookupCatalog(&c.d, name.c_str(), 0);
    if (!h)
        return name + " does not read";
    const catfmt::Record got = decodeHandle(h);
    HGLOBAL dib = ReadCatDib(GlobalLock(h), reinterpret_cast<HANDLE>(c.d.hCat));
    GlobalUnlock(h);
    GlobalFree(h);
    std::vector<uint8_t> thumb = dib ? blockBytes(dib) : std::vector<uint8_t>{};
    if (dib)
        GlobalFree(dib);
    for (const Version* v : allowed) {
        HGLOBAL want = thumbnailOf(*v);
        const std::vector<uint8_t> wantThumb = want ? blockBytes(want) : std::vector<uint8_t>{};
        if (want)
            GlobalFree(want);
        if (got.title == v->fields.title && got.description == v->fields.description &&
            got.keywords == v->fields.keywords && thumb == wantThumb &&
            (v->longName.empty() || FindLongCix(&c.d, v->longName.c_str()) >= 0))
            return "";
    }
    return name + " is not any version it may be (title \"" + got.title + "\")";
}

// Stretches of the index lie inside the file and do not overlap.
std::string checkStretches(TestCatalog& c)
{
    std::vector<std::pair<int64_t, int64_t>> s;
    for (int i = 0; i < c.d.index->entries; ++i)
        s.emplace_back(GetIndex(&c.d, i)->offset, GetIndex(&c.d, i)->allocated);
    if (c.d.headerOffset >= 0)
        s.emplace_back(c.d.headerOffset, 374);
    std::sort(s.begin(), s.end());
    LARGE_INTEGER fileSize{};
    GetFileSizeEx(reinterpret_cast<HANDLE>(c.d.hCat), &fileSize);
    const int64_t size = fileSize.QuadPart;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i].first < 0 || s[i].first + s[i].second > size)
            return "a stretch lies outside the file: " + std::to_string(s[i].first) + "+" + std::to_string(s[i].second) +
                   " of " + std::to_string(size);
        if (i && s[i - 1].first + s[i - 1].second > s[i].first)
            return "stretches overlap at " + std::to_string(s[i].first);
    }
    return "";
}

TEST(KilledWriter, EveryCompletedRecordSurvivesAKillAtAnyFileCall)
{
    TestCatalog base;
    ASSERT_EQ(1, OpenCatalog(&base.d, CAT_READWRITE, 0));
    for (const Version& v : kOld)
        ASSERT_EQ(1, write(&base.d, v));
    ASSERT_EQ(1, CloseCatalog(&base.d, nullptr, 1));
    const std::map<std::string, std::vector<uint8_t>> baseline = {
        {".CAT", kt::readFile(base.file(".CAT"))}, {".CIX", kt::readFile(base.file(".CIX"))},
        {".CAX", kt::readFile(base.file(".CAX"))}};

    kt::TempDir dir;
    const std::string args = "--gtest_filter=KilledWriterChild.DISABLED_Run --gtest_also_run_disabled_tests";
    auto runChild = [&](int cutAt, std::vector<int>* done, long* calls) {
        for (const auto& [ext, bytes] : baseline)
            EXPECT_TRUE(kt::writeFile(dir.file("CRASH" + ext), bytes));
        DeleteFileA(dir.file("steps.log").c_str());
        SetEnvironmentVariableA("KEL_KILL_DIR", dir.path().c_str());
        SetEnvironmentVariableA("KEL_KILL_AT", std::to_string(cutAt).c_str());
        std::string out;
        const int code = kt::runProgram("catalog_engine_tests.exe", args, &out);
        std::ifstream log(dir.file("steps.log"));
        for (std::string line; std::getline(log, line);) {
            if (line.rfind("calls ", 0) == 0)
                *calls = std::atol(line.c_str() + 6);
            else
                done->push_back(std::atoi(line.c_str()));
        }
        return code;
    };

    std::vector<int> done;
    long calls = 0;
    ASSERT_EQ(0, runChild(0, &done, &calls));
    ASSERT_EQ(size_t(kSteps), done.size());
    ASSERT_GT(calls, 10);
    for (long k = 1; k <= calls; ++k) {
        SCOPED_TRACE("killed at file call " + std::to_string(k) + " of " + std::to_string(calls));
        done.clear();
        long ignored = 0;
        ASSERT_EQ(9, runChild(int(k), &done, &ignored));
        const int m = done.empty() ? 0 : done.back(); // the last step completed

        kt::DialogAnswerer dialogs(IDOK);
        TestCatalog c;
        fillDescriptor(&c.d, dir.file("CRASH.CAT"));
        ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
        EXPECT_TRUE(dialogs.shown().empty()) << dialogs.shown()[0].title;
        EXPECT_EQ("", checkStretches(c));
        EXPECT_EQ("", check(c, "OLD0.GIF", {&kOld[0]}, false));
        EXPECT_EQ("", check(c, "OLD3.GIF", {&kOld[3]}, false));
        EXPECT_EQ("", check(c, "OLD1.GIF", m >= 3 ? std::vector<const Version*>{&kOld1New}
                                                    : std::vector<const Version*>{&kOld[1], &kOld1New}, false));
        EXPECT_EQ("", check(c, "OLD2.GIF", {&kOld[2]}, m >= 3));
        if (m >= 4) {
            EXPECT_LT(FindCix(&c.d, "OLD2.GIF"), 0);
        }
        EXPECT_EQ("", check(c, "NEW1.GIF", m >= 8 ? std::vector<const Version*>{&kNew1Again}
                                                    : std::vector<const Version*>{&kNew1, &kNew1Again}, m < 2));
        EXPECT_EQ("", check(c, "NEW2.GIF", {&kNew2}, m < 5));
        EXPECT_EQ("", check(c, "NEW3.GIF", {&kNew3}, m < 7));
        // And the catalog goes on working.
        ASSERT_EQ(1, write(&c.d, version("AFTER.GIF", 4, 18)));
        ASSERT_EQ(1, CloseCatalog(&c.d, nullptr, 1));
        ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READ, 0));
        EXPECT_GE(FindCix(&c.d, "AFTER.GIF"), 0);
        EXPECT_EQ("", check(c, "OLD0.GIF", {&kOld[0]}, false));
        if (HasFailure())
            return;
    }
}

} // namespace
