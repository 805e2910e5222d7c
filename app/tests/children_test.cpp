// MDI children on their own threads: creation, the close question, Close All, and the frame's
// shutdown, which waits (bounded) until every child's thread has destroyed it.
#include "app_fixture.h"
#include "kel_messages.h"
#include "shell_state.h"
#include "test_child.h"
#include "window_kind.h"

#include <gtest/gtest.h>

namespace {

using namespace apptest;
using namespace kelapp;

class Children : public FrameTest {
protected:
    Children() { forgetHeard(); }
};

int threadPriority(HWND wnd)
{
    const DWORD id = GetWindowThreadProcessId(wnd, nullptr);
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, id);
    const int priority = thread ? GetThreadPriority(thread) : THREAD_PRIORITY_ERROR_RETURN;
    if (thread)
        CloseHandle(thread);
    return priority;
}

TEST_F(Children, EachOnAThreadOfItsOwnAboveNormal)
{
    ASSERT_TRUE(start());
    HWND a = makeTestChild(KIND_IMAGE, "A");
    HWND b = makeTestChild(KIND_THUMBVIEW, "B");
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(IsChild(client(), a));
    const DWORD threadA = GetWindowThreadProcessId(a, nullptr);
    const DWORD threadB = GetWindowThreadProcessId(b, nullptr);
    EXPECT_NE(GetCurrentThreadId(), threadA);
    EXPECT_NE(threadA, threadB);
    EXPECT_EQ(THREAD_PRIORITY_ABOVE_NORMAL, threadPriority(a));
    EXPECT_EQ(KIND_IMAGE, childKind(a));
    EXPECT_EQ(KIND_THUMBVIEW, childKind(b));
    EXPECT_EQ(b, reinterpret_cast<HWND>(SendMessageA(frame(), WMU_FINDTHUMBVIEW, 0, 0)));
}

TEST_F(Children, WithoutAThreadOnTheCallingThread)
{
    ASSERT_TRUE(start());
    HWND here = makeTestChild(KIND_IMAGE, "Here", false, true);
    ASSERT_NE(nullptr, here);
    EXPECT_EQ(GetCurrentThreadId(), GetWindowThreadProcessId(here, nullptr));
    EXPECT_EQ(nullptr, reinterpret_cast<HWND>(SendMessageA(frame(), WMU_FINDTHUMBVIEW, 0, 0)));
}

TEST_F(Children, ClosingTheFrameEndsEveryChildAndItsThread)
{
    ASSERT_TRUE(start());
    HWND children[] = {makeTestChild(KIND_IMAGE, "A"), makeTestChild(KIND_THUMBVIEW, "B"),
                       makeTestChild(KIND_IMAGE, "C", false, true)};
    HANDLE threads[2];
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(nullptr, children[i]);
        threads[i] = OpenThread(SYNCHRONIZE, FALSE, GetWindowThreadProcessId(children[i], nullptr));
        ASSERT_NE(nullptr, threads[i]);
    }
    ASSERT_TRUE(closeFrame()) << "the frame is destroyed and WM_QUIT arrives";
    for (HWND c : children) {
        EXPECT_FALSE(IsWindow(c));
        EXPECT_EQ(1, timesHeard(c, WMU_QUERYCLOSE)) << "asked once whether it may close";
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, threads, TRUE, 5000)) << "the children's threads end";
    for (HANDLE t : threads)
        CloseHandle(t);
    EXPECT_FALSE(profile("Screen").empty()) << "the placement is saved";
}

TEST_F(Children, ARefusalKeepsTheFrameAndTellsThoseAskedBefore)
{
    ASSERT_TRUE(start());
    HWND first = makeTestChild(KIND_IMAGE, "first");
    HWND refusing = makeTestChild(KIND_IMAGE, "refusing", true);
    HWND last = makeTestChild(KIND_IMAGE, "last");
    ASSERT_TRUE(first && refusing && last);
    SendMessageA(frame(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(frame()));
    for (HWND c : {first, refusing, last})
        EXPECT_TRUE(IsWindow(c));
    EXPECT_EQ(1, timesHeard(refusing, WMU_QUERYCLOSE));
    // Children are asked in window order; whoever agreed before the refusal hears that the
    // session goes on (WM_ENDSESSION FALSE), whoever was not asked hears nothing.
    for (HWND c : {first, last}) {
        const int asked = timesHeard(c, WMU_QUERYCLOSE);
        int endFalse = 0;
        for (const Heard& h : heard())
            endFalse += h.child == c && h.msg == WM_ENDSESSION && h.wParam == FALSE;
        EXPECT_EQ(asked, endFalse);
    }
    EXPECT_FALSE(profile("Screen").empty()) << "the placement is saved even when the close is refused";
    SendMessageA(refusing, WM_CLOSE, 0, 0);
    EXPECT_TRUE(closeFrame());
}

TEST_F(Children, CloseAllStopsAtTheFirstRefusal)
{
    ASSERT_TRUE(start());
    HWND bottom = makeTestChild(KIND_IMAGE, "bottom");
    HWND refusing = makeTestChild(KIND_IMAGE, "refusing", true);
    HWND top = makeTestChild(KIND_THUMBVIEW, "top");
    ASSERT_TRUE(bottom && refusing && top);
    // The first child is the top of the window order, the one made last.
    command(180);
    EXPECT_FALSE(IsWindow(top)) << "closed before the refusal";
    EXPECT_TRUE(IsWindow(refusing));
    EXPECT_TRUE(IsWindow(bottom)) << "not reached";
    EXPECT_EQ(0, timesHeard(bottom, WMU_QUERYCLOSE));
    EXPECT_TRUE(IsWindowVisible(client()));
    SendMessageA(refusing, WM_CLOSE, 0, 0);
    command(180);
    EXPECT_FALSE(IsWindow(bottom));
    EXPECT_EQ(nullptr, GetWindow(client(), GW_CHILD));
}

} // namespace
