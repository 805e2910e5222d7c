// The status box protocol against a real status bar and progress control.
#include "keldll.h"
#include "progress_spy.h"
#include "test_support.h"
#include "win_raii.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class StatusBoxTest : public ::testing::Test {
protected:
    void SetUp() override { InitKelDll(&kt::testApp()); }
};

TEST_F(StatusBoxTest, ProgressPercentagesReachTheControl)
{
    kt::StatusFrame frame;
    WORD goOn = 0;
    ASSERT_EQ(frame.progress(), DisplayStatusBox(frame.wnd(), &goOn, 0));
    EXPECT_EQ(1, goOn);
    EXPECT_EQ(frame.progress(), GetStatusWnd());
    ProgressSpy spy(frame.progress());

    EXPECT_EQ(1, UpdateStatus(150, 100)); // limited to 100 %
    EXPECT_EQ(100, SendMessageA(frame.progress(), PBM_GETPOS, 0, 0));
    EXPECT_EQ(1u, spy.positions.size());
    UpdateStatus(1000, 1000); // still 100 %: nothing sent
    EXPECT_EQ(1u, spy.positions.size());
    UpdateStatus(5, 0); // total 0 counts as 2147483647: 0 %
    EXPECT_EQ(0, SendMessageA(frame.progress(), PBM_GETPOS, 0, 0));
    UpdateStatus(300, 1000); // both halved until the total is at most 100: 18 of 62
    PBRANGE range{};
    SendMessageA(frame.progress(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(62, range.iHigh);
    EXPECT_EQ(18, SendMessageA(frame.progress(), PBM_GETPOS, 0, 0));

    EXPECT_EQ(0, SetStatus(0));
    EXPECT_EQ(0, goOn);
    EXPECT_EQ(0, UpdateStatus(1, 2)) << "a cancel reaches the worker";
    DestroyStatus();
    EXPECT_EQ(nullptr, GetStatusWnd());
    EXPECT_EQ(0, SendMessageA(frame.progress(), PBM_GETPOS, 0, 0));
    EXPECT_EQ(1, UpdateStatus(1, 2)) << "no flag registered after the box closed";
}

TEST_F(StatusBoxTest, HiddenStatusBarStillRegistersTheFlag)
{
    kt::StatusFrame frame(false);
    WORD goOn = 0;
    EXPECT_EQ(nullptr, DisplayStatusBox(frame.wnd(), &goOn, 0));
    EXPECT_EQ(1, goOn);
    EXPECT_EQ(1, UpdateStatus(3, 10));
    SetStatus(0);
    EXPECT_EQ(0, UpdateStatus(4, 10));
    DestroyStatus();
}

TEST_F(StatusBoxTest, DestroyedProgressControlIsTolerated)
{
    kt::StatusFrame frame;
    WORD goOn = 0;
    ASSERT_TRUE(DisplayStatusBox(frame.wnd(), &goOn, 0));
    DestroyWindow(frame.progress());
    EXPECT_EQ(1, UpdateStatus(50, 100));
    EXPECT_EQ(nullptr, GetStatusWnd());
    DestroyStatus();
}

// The icon a message box shows, and its owner.
struct BoxLook {
    HICON icon = nullptr;
    HWND owner = nullptr;
};

BoxLook lookOf(HWND box)
{
    BoxLook look;
    look.owner = GetWindow(box, GW_OWNER);
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            look.icon = reinterpret_cast<HICON>(SendMessageA(c, STM_GETICON, 0, 0));
    return look;
}

TEST_F(StatusBoxTest, MessageBoxesShowTheirTexts)
{
    kt::StatusFrame frame;
    std::vector<BoxLook> looks;
    kt::DialogAnswerer answer(IDOK, [&](HWND box) { looks.push_back(lookOf(box)); });
    // The focus goes back to the frame before each error box (a closed box may leave it elsewhere
    // while another program is in the foreground).
    std::vector<HWND> focus;
    auto dibError = [&](int number) {
        SetFocus(frame.wnd());
        focus.push_back(GetFocus());
        return DIBError(number);
    };
    EXPECT_EQ(0, ErrMsg("Value %d of %s", 7, "x"));
    EXPECT_EQ(0, ErrMsg("%s", std::string(300, 'w').c_str()));
    EXPECT_EQ(IDOK, dibError(27));
    EXPECT_EQ(IDOK, dibError(-1));
    EXPECT_EQ(IDOK, dibError(25));
    EXPECT_EQ(IDOK, dibError(0));
    EXPECT_EQ(std::vector<HWND>(4, frame.wnd()), focus);
    ASSERT_EQ(6u, answer.shown().size());
    EXPECT_EQ("Value 7 of x", answer.shown()[0].text);
    EXPECT_EQ(std::string(127, 'w'), answer.shown()[1].text) << "at most 127 characters";
    EXPECT_EQ("Undefined Error!", answer.shown()[2].text);
    EXPECT_EQ("Undefined Error!", answer.shown()[3].text);
    EXPECT_EQ("File Not Found!", answer.shown()[4].text);
    EXPECT_EQ("Not a DIB file!", answer.shown()[5].text);
    for (size_t i = 0; i < answer.shown().size(); ++i) {
        SCOPED_TRACE(answer.shown()[i].text);
        const bool warning = i < 2;
        EXPECT_EQ("Error", answer.shown()[i].title) << "the default caption";
        EXPECT_EQ(LoadIconA(nullptr, warning ? IDI_WARNING : IDI_ERROR), looks[i].icon);
        EXPECT_EQ(warning ? nullptr : frame.wnd(), looks[i].owner) << "ErrMsg: no owner; DIBError: the focus";
    }
}

TEST(Hourglass, ShowsTheWaitCursorAndTheArrow)
{
    HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    SetCursor(cross);
    EXPECT_EQ(cross, Hourglass(1));
    EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), GetCursor());
    EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), Hourglass(0));
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), GetCursor());
}

// Receives debug output the way a debug monitor does (the shared buffer and its two events).
class DebugMonitor {
public:
    DebugMonitor()
    {
        mutex_.reset(CreateMutexA(nullptr, FALSE, "DBWinMutex"));
        buffer_.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "DBWIN_BUFFER"));
        ready_.reset(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY"));
        data_.reset(CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY"));
        view_ = static_cast<const char*>(MapViewOfFile(buffer_.get(), FILE_MAP_READ, 0, 0, 4096));
        SetEvent(ready_.get());
    }
    ~DebugMonitor()
    {
        if (view_)
            UnmapViewOfFile(view_);
    }
    // The next text written (after the process id), or "" when none comes.
    std::string next()
    {
        if (WaitForSingleObject(data_.get(), 200) != WAIT_OBJECT_0)
            return "";
        std::string text(view_ + sizeof(DWORD));
        SetEvent(ready_.get());
        return text;
    }

private:
    kel::UniqueHandle mutex_, buffer_, ready_, data_;
    const char* view_ = nullptr;
};

TEST(DebugMsg, WritesOnlyOnADebuggingSystem)
{
    DebugMonitor monitor;
    OutputDebugStringA("probe");
    ASSERT_EQ("probe", monitor.next()) << "debug output cannot be watched here";
    EXPECT_EQ(1, DebugMsg("Rows %d of %s", 3, "OAK.GIF"));
    EXPECT_EQ(GetSystemMetrics(SM_DEBUG) ? "Rows 3 of OAK.GIF" : "", monitor.next());
}

// A cancel never writes through a flag that is not writable memory.
TEST_F(StatusBoxTest, SetStatusLeavesAnUnwritableFlagAlone)
{
    void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_TRUE(page);
    auto* flag = static_cast<WORD*>(page);
    EXPECT_EQ(nullptr, DisplayStatusBox(nullptr, flag, 0));
    EXPECT_EQ(1, *flag);
    DWORD old;
    VirtualProtect(page, 4096, PAGE_READONLY, &old);
    EXPECT_NE(0, SetStatus(0));
    EXPECT_EQ(1, *flag);
    VirtualProtect(page, 4096, PAGE_READWRITE, &old);
    EXPECT_EQ(0, SetStatus(0));
    EXPECT_EQ(0, *flag);
    DestroyStatus();
    VirtualFree(page, 0, MEM_RELEASE);
}

} // namespace
