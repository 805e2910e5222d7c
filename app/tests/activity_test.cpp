// The activity flags: one test-and-set under one lock.
#include "activity.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <vector>

namespace {

using namespace kelapp;

class Activity : public ::testing::Test {
protected:
    Activity() { InitActivityFlags(); }
    ~Activity() override
    {
        SetActivity(0xFFFFFFFF, false);
        DeleteActivityFlags();
    }
};

TEST_F(Activity, BeginSetsOnlyWhenNoTestBitIsSet)
{
    EXPECT_EQ(0u, BeginActivity(ACT_CATALOG_ENTRY | ACT_BUILD, ACT_BUILD));
    EXPECT_EQ(uint32_t(ACT_BUILD), ActivityFlags());
    // A second build, and a catalog entry, while the build runs: refused with the busy bits.
    EXPECT_EQ(uint32_t(ACT_BUILD), BeginActivity(ACT_CATALOG_ENTRY | ACT_BUILD, ACT_BUILD));
    EXPECT_EQ(uint32_t(ACT_BUILD), BeginActivity(ACT_CATALOG_ENTRY | ACT_BUILD, ACT_CATALOG_ENTRY));
    EXPECT_EQ(uint32_t(ACT_BUILD), ActivityFlags()) << "a refused begin changes nothing";
    // Printing tests other bits.
    EXPECT_EQ(0u, BeginActivity(ACT_PRINT | ACT_PRINT_CATALOG, ACT_PRINT));
    EXPECT_EQ(uint32_t(ACT_BUILD | ACT_PRINT), ActivityFlags());
    SetActivity(ACT_BUILD, false);
    EXPECT_EQ(uint32_t(ACT_PRINT), ActivityFlags());
    EXPECT_EQ(0u, BeginActivity(ACT_CATALOG_ENTRY | ACT_BUILD, ACT_BUILD));
    SetActivity(ACT_SAVE | ACT_BROWSE, true);
    EXPECT_EQ(uint32_t(ACT_BUILD | ACT_PRINT | ACT_SAVE | ACT_BROWSE), ActivityFlags());
}

struct Race {
    std::atomic<int> winners{0};
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

DWORD WINAPI racer(void* p)
{
    auto* race = static_cast<Race*>(p);
    WaitForSingleObject(race->go, INFINITE);
    for (int i = 0; i < 1000; ++i)
        if (BeginActivity(ACT_BUILD, ACT_BUILD) == 0) {
            ++race->winners;
            return 0;
        }
    return 0;
}

TEST_F(Activity, OneOfManyThreadsWins)
{
    Race race;
    std::vector<HANDLE> threads;
    for (int i = 0; i < 8; ++i)
        threads.push_back(CreateThread(nullptr, 0, racer, &race, 0, nullptr));
    SetEvent(race.go);
    WaitForMultipleObjects(DWORD(threads.size()), threads.data(), TRUE, 10000);
    for (HANDLE t : threads)
        CloseHandle(t);
    CloseHandle(race.go);
    EXPECT_EQ(1, race.winners.load());
}

} // namespace
