// The status box across threads, on a real status bar owned by the test's UI thread: a worker
// reports rows while the UI thread pumps messages and cancels it; two workers opening boxes at
// once are serialised by the status lock. Every wait is bounded.
#include "file_io.h"
#include "keldll.h"
#include "progress_spy.h"
#include "test_support.h"
#include "win_raii.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

constexpr DWORD kWaitMs = 10000;

bool signalled(HANDLE h) { return WaitForSingleObject(h, 0) == WAIT_OBJECT_0; }

// Pumps the UI thread's messages until `h` is signalled (the workers send to its windows).
bool pumpUntilSignalled(HANDLE h) { return kt::pumpUntil([h] { return signalled(h); }, kWaitMs); }

kel::UniqueHandle event() { return kel::UniqueHandle(CreateEventA(nullptr, TRUE, FALSE, nullptr)); }

// A long operation as a loader runs it on a worker thread: opens the status box, makes a DIB
// and an output file row by row, reports each row, and when cancelled frees the DIB and deletes
// the half-written file. After `pauseAfter` rows it waits until the test lets it go on.
struct RowWorker {
    HWND frame = nullptr;
    std::string file;
    DWORD rows = 1000;
    DWORD pauseAfter = 0; // 0: never pauses
    kel::UniqueHandle paused = event(), resume = event();

    HWND statusWnd = nullptr;
    DWORD rowsDone = 0;
    bool cancelled = false;
    HGLOBAL result = nullptr; // the finished DIB, null when cancelled

    static DWORD WINAPI run(void* p)
    {
        static_cast<RowWorker*>(p)->work();
        return 0;
    }

    void work()
    {
        constexpr DWORD kRowBytes = 16;
        WORD goOn = 0;
        statusWnd = DisplayStatusBox(frame, &goOn, 0);
        kel::GlobalMem dib = kel::GlobalMem::alloc(rows * kRowBytes);
        kel::File out = kel::File::open(file.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS);
        for (DWORD row = 0; row < rows; ++row) {
            BYTE line[kRowBytes];
            std::fill(line, line + kRowBytes, BYTE(row));
            {
                kel::GlobalLocked<BYTE> bits(dib.get());
                std::copy(line, line + kRowBytes, bits.get() + row * kRowBytes);
            }
            out.writeAt(int64_t(row) * kRowBytes, line, kRowBytes);
            if (!UpdateStatus(row + 1, rows)) {
                cancelled = true;
                out.close();
                DeleteFileA(file.c_str());
                dib.reset();
                break;
            }
            rowsDone = row + 1;
            if (rowsDone == pauseAfter) {
                SetEvent(paused.get());
                WaitForSingleObject(resume.get(), kWaitMs);
            }
        }
        result = dib.release();
        DestroyStatus();
    }
};

// Positions 0, 1, ... last: rows of 1000 are reported as row / 16 of 62 (both halved four times).
std::vector<WPARAM> positionsUpTo(WPARAM last)
{
    std::vector<WPARAM> p;
    for (WPARAM i = 0; i <= last; ++i)
        p.push_back(i);
    return p;
}

class StatusBoxThreads : public ::testing::Test {
protected:
    void SetUp() override { InitKelDll(&kt::testApp()); }
};

TEST_F(StatusBoxThreads, WorkerReportsRowsAndStopsWhenTheUiThreadCancels)
{
    kt::TempDir dir;
    kt::StatusFrame frame;
    SendMessageA(frame.statusBar(), SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("Reading OAK.GIF"));
    ProgressSpy spy(frame.progress());
    RowWorker worker;
    worker.frame = frame.wnd();
    worker.file = dir.file("OUT.BMP");
    worker.pauseAfter = 400;
    kel::UniqueHandle thread(CreateThread(nullptr, 0, RowWorker::run, &worker, 0, nullptr));

    ASSERT_TRUE(pumpUntilSignalled(worker.paused.get())) << "the worker never reached row 400";
    EXPECT_EQ(frame.progress(), worker.statusWnd);
    EXPECT_EQ(25, SendMessageA(frame.progress(), PBM_GETPOS, 0, 0)) << "row 400 of 1000 shows as 25 of 62";
    EXPECT_EQ(positionsUpTo(25), spy.positions);
    EXPECT_EQ(0, SetStatus(0)) << "the UI thread cancels through the registered flag";
    SetEvent(worker.resume.get());
    ASSERT_TRUE(pumpUntilSignalled(thread.get())) << "the worker did not stop after the cancel";

    EXPECT_TRUE(worker.cancelled);
    EXPECT_EQ(400u, worker.rowsDone) << "the first UpdateStatus after the cancel returned 0";
    EXPECT_EQ(nullptr, worker.result);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(worker.file.c_str())) << "half-written file left";
    std::vector<WPARAM> expected = positionsUpTo(25);
    expected.push_back(0); // DestroyStatus resets the bar
    EXPECT_EQ(expected, spy.positions);
    EXPECT_EQ(std::vector<LPARAM>(26, LPARAM(62) << 16), spy.ranges);
    EXPECT_EQ("", frame.partText(1));
    EXPECT_EQ(nullptr, GetStatusWnd());
    EXPECT_EQ(1, SetStatus(0)) << "no flag is registered once the worker closed its box";
}

TEST_F(StatusBoxThreads, WorkerThatIsNotCancelledReportsEveryPercentage)
{
    kt::TempDir dir;
    kt::StatusFrame frame;
    ProgressSpy spy(frame.progress());
    RowWorker worker;
    worker.frame = frame.wnd();
    worker.file = dir.file("OUT.BMP");
    worker.pauseAfter = 400;
    kel::UniqueHandle thread(CreateThread(nullptr, 0, RowWorker::run, &worker, 0, nullptr));
    ASSERT_TRUE(pumpUntilSignalled(worker.paused.get()));
    SetEvent(worker.resume.get());
    ASSERT_TRUE(pumpUntilSignalled(thread.get()));

    EXPECT_FALSE(worker.cancelled);
    EXPECT_EQ(1000u, worker.rowsDone);
    ASSERT_NE(nullptr, worker.result);
    EXPECT_EQ(16000u, GlobalSize(worker.result));
    GlobalFree(worker.result);
    EXPECT_EQ(16000u, kt::readFile(worker.file).size());
    std::vector<WPARAM> expected = positionsUpTo(62);
    expected.push_back(0);
    EXPECT_EQ(expected, spy.positions);
}

// A worker that opens the status box, shows 50 %, and holds the box until released.
struct BoxHolder {
    HWND frame = nullptr;
    std::atomic<int>* clock = nullptr; // shared step counter: who entered and left when
    kel::UniqueHandle calling = event(), entered = event(), release = event();
    WORD flag = 7;
    HWND statusWnd = nullptr;
    int enteredAt = 0, leftAt = 0;
    WORD flagAfterRelease = 7;

    static DWORD WINAPI run(void* p)
    {
        auto* self = static_cast<BoxHolder*>(p);
        SetEvent(self->calling.get());
        self->statusWnd = DisplayStatusBox(self->frame, &self->flag, 0);
        self->enteredAt = ++*self->clock;
        UpdateStatus(1, 2);
        SetEvent(self->entered.get());
        WaitForSingleObject(self->release.get(), kWaitMs);
        self->flagAfterRelease = UpdateStatus(2, 2);
        self->leftAt = ++*self->clock;
        DestroyStatus();
        return 0;
    }
};

TEST_F(StatusBoxThreads, SecondBoxWaitsForTheFirstToClose)
{
    kt::StatusFrame frame;
    std::atomic<int> clock{0};
    BoxHolder first, second;
    first.frame = second.frame = frame.wnd();
    first.clock = second.clock = &clock;
    kel::UniqueHandle firstThread(CreateThread(nullptr, 0, BoxHolder::run, &first, 0, nullptr));
    ASSERT_TRUE(pumpUntilSignalled(first.entered.get()));
    kel::UniqueHandle secondThread(CreateThread(nullptr, 0, BoxHolder::run, &second, 0, nullptr));
    ASSERT_TRUE(pumpUntilSignalled(second.calling.get()));

    // While the first box is open the second stays inside DisplayStatusBox.
    EXPECT_FALSE(kt::pumpUntil([&] { return signalled(second.entered.get()); }, 300))
        << "a second status box opened while the first was on show";
    EXPECT_EQ(1, first.flag);
    EXPECT_EQ(7, second.flag) << "the waiting box registered its flag before it had the lock";
    EXPECT_EQ(0, SetStatus(0)) << "the cancel goes to the box on show";
    SetEvent(first.release.get());
    EXPECT_TRUE(pumpUntilSignalled(second.entered.get())) << "the second box never opened";
    SetEvent(second.release.get());
    EXPECT_TRUE(pumpUntilSignalled(firstThread.get()));
    EXPECT_TRUE(pumpUntilSignalled(secondThread.get()));

    EXPECT_EQ(frame.progress(), first.statusWnd);
    EXPECT_EQ(frame.progress(), second.statusWnd);
    EXPECT_EQ(0, first.flagAfterRelease);
    EXPECT_EQ(1, second.flagAfterRelease) << "the first box's cancel reached the second";
    EXPECT_EQ(1, first.enteredAt);
    EXPECT_EQ(2, first.leftAt);
    EXPECT_EQ(3, second.enteredAt) << "the second box opened before the first closed";
    EXPECT_EQ(nullptr, GetStatusWnd());
}

// A flag registered for a moment by another thread (no status bar for it) neither closes the
// box on show nor leaves that box impossible to cancel.
TEST_F(StatusBoxThreads, PassingRegistrationOfAnotherThreadLeavesTheOpenBoxAlone)
{
    kt::StatusFrame frame;
    WORD boxFlag = 0;
    ASSERT_EQ(frame.progress(), DisplayStatusBox(frame.wnd(), &boxFlag, 0));
    struct Passing {
        WORD flag = 0;
        WORD seen = 0;
        static DWORD WINAPI run(void* p)
        {
            auto* self = static_cast<Passing*>(p);
            EXPECT_EQ(nullptr, DisplayStatusBox(nullptr, &self->flag, 0));
            self->seen = UpdateStatus(1, 4);
            DestroyStatus();
            return 0;
        }
    } passing;
    kel::UniqueHandle thread(CreateThread(nullptr, 0, Passing::run, &passing, 0, nullptr));
    ASSERT_TRUE(pumpUntilSignalled(thread.get()));
    EXPECT_EQ(1, passing.seen);
    EXPECT_EQ(frame.progress(), GetStatusWnd());
    EXPECT_EQ(0, SetStatus(0));
    EXPECT_EQ(0, boxFlag) << "the box's own flag is registered again";
    EXPECT_EQ(0, UpdateStatus(3, 4));
    EXPECT_EQ(3, SendMessageA(frame.progress(), PBM_GETPOS, 0, 0)) << "3 of 4";
    DestroyStatus();
    EXPECT_EQ(nullptr, GetStatusWnd());
}

} // namespace
