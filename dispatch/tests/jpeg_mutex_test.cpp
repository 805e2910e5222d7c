// The "KELJPEG" protocol: which JPEG calls give the named mutex back, waiting for it, the
// 10-second time-out and an owner that went away.
#include "kelint.h"
#include "standin_dir.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <functional>

using namespace dispatch_test;

namespace {

#define FAKE(type, v) reinterpret_cast<type>(uintptr_t(v))

DWORD WINAPI runFunction(void* p)
{
    (*static_cast<std::function<void()>*>(p))();
    return 0;
}

// Runs a function on a thread of its own (the mutex is owned per thread).
class Thread {
public:
    explicit Thread(std::function<void()> fn) : fn_(std::move(fn)), h_(CreateThread(nullptr, 0, runFunction, &fn_, 0, nullptr)) {}
    ~Thread() { join(); }
    bool finishedWithin(DWORD ms) const { return WaitForSingleObject(h_.get(), ms) == WAIT_OBJECT_0; }
    void join() const { WaitForSingleObject(h_.get(), INFINITE); }

private:
    std::function<void()> fn_;
    kel::UniqueHandle h_;
};

// Whether another thread can take the mutex within `ms` (it gives it straight back).
bool freeForOthersWithin(DWORD ms)
{
    bool taken = false;
    Thread t([&] {
        kel::UniqueHandle m(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, "KELJPEG"));
        const DWORD w = WaitForSingleObject(m.get(), ms);
        taken = w == WAIT_OBJECT_0 || w == WAIT_ABANDONED;
        if (taken)
            ReleaseMutex(m.get());
    });
    t.join();
    return taken;
}

HGLOBAL info(JpegOptions* o = nullptr) { return ReadJPEGBitmapInfo(o, FAKE(HANDLE, 0x20), 1, 0, 2, nullptr); }

} // namespace

TEST(JpegMutex, SuccessfulInformationKeepsTheMutexUntilTheImageIsOpened)
{
    StandinDir dir({"Keljpg32.dll"});
    ASSERT_EQ(info(), FAKE(HGLOBAL, 1));
    EXPECT_FALSE(freeForOthersWithin(0));
    EXPECT_EQ(OpenJPEG(nullptr, "a.jpg"), FAKE(HGLOBAL, 1));
    EXPECT_TRUE(freeForOthersWithin(5000));
}

TEST(JpegMutex, FailedInformationGivesTheMutexBack)
{
    StandinDir dir({"Keljpg32.dll"});
    SetEnvironmentVariableA("KEL_STANDIN_RESULT", "0");
    EXPECT_EQ(info(), nullptr);
    EXPECT_TRUE(freeForOthersWithin(5000));
}

TEST(JpegMutex, WritingAndMemoryCallsGiveTheMutexBackOnce)
{
    StandinDir dir({"Keljpg32.dll"});
    const std::function<void()> calls[] = {
        [] { EXPECT_EQ(WriteJPEG("a.jpg", FAKE(HGLOBAL, 2), nullptr), 1); },
        [] { EXPECT_EQ(ReadJPEGMem(FAKE(const void*, 3), 4), FAKE(HGLOBAL, 1)); },
        [] { EXPECT_EQ(WriteJPEGMem(FAKE(HGLOBAL, 2), nullptr, FAKE(void*, 5), 6), 1u); },
        [] { EXPECT_EQ(InitJPEGDll(), 1); },
    };
    for (const auto& call : calls) {
        call();
        EXPECT_TRUE(freeForOthersWithin(5000));
    }
    // Taken once and given back once each: a caller's own hold is untouched.
    HANDLE m = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, "KELJPEG");
    ASSERT_EQ(WaitForSingleObject(m, 5000), WAIT_OBJECT_0);
    WriteJPEG("a.jpg", nullptr, nullptr);
    EXPECT_FALSE(freeForOthersWithin(0));
    ReleaseMutex(m);
    CloseHandle(m);
}

TEST(JpegMutex, ClearMutexGivesUpTheHoldOfAnInformationCallThatWasNotFollowedByOpen)
{
    StandinDir dir({"Keljpg32.dll"});
    ASSERT_EQ(info(), FAKE(HGLOBAL, 1));
    ClearMutex();
    EXPECT_TRUE(freeForOthersWithin(5000));
}

TEST(JpegMutex, AnotherThreadWaitsUntilTheImageIsOpened)
{
    StandinDir dir({"Keljpg32.dll"});
    ASSERT_EQ(info(), FAKE(HGLOBAL, 1));
    clearRecords();
    HGLOBAL second = nullptr;
    Thread other([&] {
        second = info();
        ClearMutex();
    });
    EXPECT_FALSE(other.finishedWithin(300));
    EXPECT_EQ(calls(), "") << "the waiting call went through";
    EXPECT_EQ(OpenJPEG(nullptr, nullptr), FAKE(HGLOBAL, 1));
    other.join();
    EXPECT_EQ(second, FAKE(HGLOBAL, 1));
    EXPECT_TRUE(freeForOthersWithin(5000));
}

TEST(JpegMutex, AWaitOfTenSecondsEndsWithZeroAndNoCall)
{
    StandinDir dir({"Keljpg32.dll"});
    ASSERT_EQ(info(), FAKE(HGLOBAL, 1));
    clearRecords();
    HGLOBAL second = FAKE(HGLOBAL, 99);
    DWORD waited = 0;
    Thread other([&] {
        const DWORD start = GetTickCount();
        second = info();
        waited = GetTickCount() - start;
    });
    other.join();
    EXPECT_EQ(second, nullptr);
    EXPECT_GE(waited, 9900u);
    EXPECT_EQ(calls(), "");
    ClearMutex();
}

// A thread that ended while holding the mutex leaves it abandoned; the next caller goes on.
TEST(JpegMutex, AnAbandonedMutexIsTakenOver)
{
    StandinDir dir({"Keljpg32.dll"});
    Thread gone([] { info(); });
    gone.join();
    clearRecords();
    EXPECT_EQ(WriteJPEG(nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(calls(), "Keljpg32.dll:WriteJPEG(0,0,0)\n");
}
