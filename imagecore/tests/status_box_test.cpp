// The status box protocol against a real status bar and progress control.
#include "keldll.h"
#include "test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

class StatusBoxTest : public ::testing::Test {
protected:
    void SetUp() override { InitKelDll(&kt::testApp()); }
};

// Counts the progress messages a control receives, by subclassing it.
struct ProgressSpy {
    static inline int posMessages = 0;
    static inline WNDPROC original = nullptr;
    static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        if (m == PBM_SETPOS)
            ++posMessages;
        return CallWindowProcA(original, w, m, wp, lp);
    }
    explicit ProgressSpy(HWND progress)
    {
        posMessages = 0;
        original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(progress, GWLP_WNDPROC, LONG_PTR(proc)));
    }
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
    EXPECT_EQ(1, spy.posMessages);
    UpdateStatus(1000, 1000); // still 100 %: nothing sent
    EXPECT_EQ(1, spy.posMessages);
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

TEST_F(StatusBoxTest, MessageBoxesShowTheirTexts)
{
    kt::DialogAnswerer answer(IDOK);
    EXPECT_EQ(0, ErrMsg("Value %d of %s", 7, "x"));
    EXPECT_EQ(IDOK, DIBError(27));
    EXPECT_EQ(IDOK, DIBError(25));
    ASSERT_EQ(3u, answer.shown().size());
    EXPECT_EQ("Value 7 of x", answer.shown()[0].text);
    EXPECT_EQ("Undefined Error!", answer.shown()[1].text);
    EXPECT_EQ("File Not Found!", answer.shown()[2].text);
}

} // namespace
