// The questions an open and a lookup ask: the wrong volume, a catalog file that cannot be opened,
// and record locks on a network drive; and the marked entries counted while loading.
#include "engine_fixture.h"
#include "ids_winhelpers.h"
#include "test_volumes.h"

#include <gtest/gtest.h>

using namespace ct;

namespace {

struct Init {
    Init() { InitCatDll(&kt::testApp()); }
} g_init;

// A catalog folder on a test volume, removed with its files afterwards.
struct VolumeCatalog {
    std::string folder, path;
    CatalogDescriptor d{};

    VolumeCatalog(const char* drive, const char* name) : folder(std::string(drive) + "\\" + name)
    {
        CreateDirectoryA(folder.c_str(), nullptr);
        path = folder + "\\VOL.CAT";
        fillDescriptor(&d, path, name);
    }
    ~VolumeCatalog()
    {
        if (d.openCount)
            CloseCatalog(&d, nullptr, 1);
        if (d.mutex)
            CloseHandle(d.mutex);
        for (const char* ext : {".CAT", ".CIX", ".CAX"})
            DeleteFileA((folder + "\\VOL" + ext).c_str());
        RemoveDirectoryA(folder.c_str());
    }
};

TEST(CatalogOpenPrompts, WrongVolumeCancelOkAndRetry)
{
    KT_REQUIRE_TEST_VOLUMES();
    // answer to "Incorrect Volume Label", label put in the descriptor when it shows, open's result
    struct Case {
        int answer;
        const char* labelThen;
        int result;
    } const cases[] = {
        {IDCANCEL, nullptr, 0},
        {IDOK, nullptr, 1},          // goes on with the volume found
        {IDC_EMH_THIRD, "disk1", 1}, // Retry checks again: the label now matches (case aside)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        VolumeCatalog v("J:", "CATVOL");
        lstrcpynA(v.d.volumeLabel, "OTHER.VOL", sizeof v.d.volumeLabel);
        kt::DialogAnswerer* self = nullptr;
        int asked = 0;
        kt::DialogAnswerer answer(c.answer, [&](HWND) {
            if (++asked > 1)
                self->setAnswer(IDCANCEL); // a second question would be a fault: end it
            else if (c.labelThen)
                lstrcpynA(v.d.volumeLabel, c.labelThen, sizeof v.d.volumeLabel);
        });
        self = &answer;
        EXPECT_EQ(c.result, OpenCatalog(&v.d, CAT_READWRITE, 0));
        ASSERT_EQ(1u, answer.shown().size());
        EXPECT_EQ("Incorrect Volume Label", answer.shown()[0].title);
        EXPECT_EQ("Need volume:OTHER.VOL\nDISK1 is in drive J:", dialogText(answer.shown()[0]));
        EXPECT_EQ(c.result == 0 ? 1 : 0, v.d.openCancelled);
        EXPECT_EQ(c.result, v.d.openCount);
    }
    // The right label, in any case, or a label led by a space asks nothing.
    for (const char* label : {"DISK1", "disk1", " ANY"}) {
        VolumeCatalog v("J:", "CATVOL");
        lstrcpynA(v.d.volumeLabel, label, sizeof v.d.volumeLabel);
        kt::DialogAnswerer none(IDCANCEL);
        EXPECT_EQ(1, OpenCatalog(&v.d, CAT_READWRITE, 0)) << label;
        EXPECT_TRUE(none.shown().empty()) << label;
    }
}

TEST(CatalogOpenPrompts, CatalogThatCannotBeOpenedAsksAndCancelEndsTheOpen)
{
    kt::TempDir dir;
    const std::string path = dir.file("MISSING\\TEST.CAT"); // its folder does not exist
    CatalogDescriptor d;
    fillDescriptor(&d, path);
    {
        kt::DialogAnswerer answer(IDCANCEL);
        EXPECT_EQ(0, OpenCatalog(&d, CAT_READWRITE, 0));
        ASSERT_EQ(1u, answer.shown().size());
        EXPECT_EQ("Open Error", answer.shown()[0].title);
        const std::string text = dialogText(answer.shown()[0]);
        EXPECT_EQ("Cannot open catalog file " + path + "\n", text.substr(0, path.size() + 26)) << text;
        EXPECT_EQ((std::vector<std::string>{"OK", "&Retry", "Cancel", "&HELP"}), answer.shown()[0].buttons);
    }
    EXPECT_EQ(1, d.openCancelled);
    EXPECT_EQ(0, d.openCount);
    EXPECT_EQ(-1, d.hCat);
    // The mutex was given back: another thread can take it at once.
    HANDLE other = OpenMutexA(SYNCHRONIZE, FALSE, "Test catalog");
    ASSERT_NE(nullptr, other);
    struct Taker {
        static DWORD WINAPI run(void* m)
        {
            const DWORD w = WaitForSingleObject(m, 0);
            if (w == WAIT_OBJECT_0)
                ReleaseMutex(m);
            return w;
        }
    };
    HANDLE t = CreateThread(nullptr, 0, Taker::run, other, 0, nullptr);
    WaitForSingleObject(t, INFINITE);
    DWORD got = 1;
    GetExitCodeThread(t, &got);
    EXPECT_EQ(WAIT_OBJECT_0, got);
    CloseHandle(t);
    CloseHandle(other);
    CloseHandle(d.mutex);
}

// Whether another handle of the catalog file can lock this byte range (and unlocks it again).
bool othersCanLock(const std::string& path, DWORD offset, DWORD length)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    const bool locked = LockFile(f, offset, 0, length, 0);
    if (locked)
        UnlockFile(f, offset, 0, length, 0);
    CloseHandle(f);
    return locked;
}

TEST(CatalogRecordLocks, LookupOnANetworkDriveLocksTheRecordUntilTheNextLookupOrClearLocks)
{
    KT_REQUIRE_TEST_VOLUMES();
    VolumeCatalog v("N:", "CATLOCK");
    ASSERT_EQ(1, OpenCatalog(&v.d, CAT_READWRITE, CAT_SHARE_DENY_NONE));
    for (const char* name : {"A.GIF", "B.GIF"}) {
        HGLOBAL r = recordHandle(sampleRecord(name));
        ASSERT_EQ(1, WriteCatalog(&v.d, nullptr, nullptr, r, 32767, name, ""));
        GlobalFree(r);
    }
    const IndexEntry a = *GetIndex(&v.d, FindCix(&v.d, "A.GIF"));
    const IndexEntry b = *GetIndex(&v.d, FindCix(&v.d, "B.GIF"));

    GlobalFree(LookupCatalog(&v.d, "A.GIF", 1));
    EXPECT_EQ(a.offset, v.d.lockOffset);
    EXPECT_EQ(a.allocated, v.d.lockLength);
    EXPECT_FALSE(othersCanLock(v.path, DWORD(a.offset), DWORD(a.allocated)));
    GlobalFree(LookupCatalog(&v.d, "B.GIF", 1)); // the next lookup moves the lock
    EXPECT_TRUE(othersCanLock(v.path, DWORD(a.offset), DWORD(a.allocated)));
    EXPECT_FALSE(othersCanLock(v.path, DWORD(b.offset), DWORD(b.allocated)));
    EXPECT_EQ(1, ClearLocks(&v.d));
    EXPECT_EQ(0, v.d.lockLength);
    EXPECT_TRUE(othersCanLock(v.path, DWORD(b.offset), DWORD(b.allocated)));
    GlobalFree(LookupCatalog(&v.d, "A.GIF", 0));
    EXPECT_EQ(0, v.d.lockLength) << "no lock asked for";

    // Someone else holds the record: "Lock Error"; Cancel fails the lookup, OK reads unlocked.
    HANDLE holder = CreateFileA(v.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    ASSERT_TRUE(LockFile(holder, DWORD(a.offset), 0, DWORD(a.allocated), 0));
    for (int answer : {IDCANCEL, IDOK}) {
        kt::DialogAnswerer dialog(answer);
        HGLOBAL r = LookupCatalog(&v.d, "A.GIF", 1);
        ASSERT_EQ(1u, dialog.shown().size()) << answer;
        EXPECT_EQ("Lock Error", dialog.shown()[0].title);
        EXPECT_EQ(0u, dialogText(dialog.shown()[0]).find("The file is in use or you do not have sufficient access rights!\n" +
                                                         v.path + "\n"));
        if (answer == IDCANCEL) {
            EXPECT_EQ(nullptr, r);
        } else {
            ASSERT_NE(nullptr, r);
            EXPECT_EQ("A.GIF", decodeHandle(r).name);
            EXPECT_EQ(0, v.d.lockLength);
        }
        GlobalFree(r);
    }
    UnlockFile(holder, DWORD(a.offset), 0, DWORD(a.allocated), 0);
    CloseHandle(holder);
}

TEST(CatalogEngine, MarkedEntriesAreCountedWhenLoadedAndWhenDeleted)
{
    TestCatalog c;
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    for (const char* name : {"A.GIF", "B.GIF", "C.GIF"})
        ASSERT_EQ(1, c.write(sampleRecord(name)));
    for (const char* name : {"A.GIF", "C.GIF"})
        GetIndex(&c.d, FindCix(&c.d, name))->flags |= kEntryMarked;
    ASSERT_EQ(1, FlushCatIndex(&c.d));
    ASSERT_EQ(1, CloseCatalog(&c.d, nullptr, 1));

    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    EXPECT_EQ(2, c.d.index->markedEntries);
    EXPECT_EQ(3, c.d.index->activeEntries);
    GlobalFree(LookupCatalog(&c.d, "C.GIF", 0));
    ASSERT_GE(DeleteCix(&c.d), 0);
    EXPECT_EQ(1, c.d.index->markedEntries);
    EXPECT_EQ(2, c.d.index->activeEntries);
}

} // namespace
