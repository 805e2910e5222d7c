// Library initialisation: the size check of the application state.
#include "test_profile.h"

#include <gtest/gtest.h>

TEST(InitKelCmd, BlockOfAnotherSizeIsReportedOnceAndTheLibraryCarriesOn)
{
    static AppState other{};
    other = kt::testApp();
    other.size = kAppStateSize + 8;
    kt::DialogAnswerer answerer(IDOK);
    EXPECT_EQ(1, InitKelCmd(&other));
    EXPECT_EQ(1, InitKelCmd(&other));
    ASSERT_EQ(1u, answerer.shown().size());
    EXPECT_EQ("KelCmd32:Size of global array is wrong!", answerer.shown()[0].text);

    TestProfile p(other); // initialises with the same block again: still no second message
    EXPECT_EQ(1u, answerer.shown().size());
    ASSERT_EQ(1, MyWritePrivateProfileString("Kelgrove", "Verify Catalog", "Yes", p.ini().c_str()));
    char buffer[16] = "";
    MyGetPrivateProfileString("Kelgrove", "Verify Catalog", "No", buffer, sizeof buffer, p.ini().c_str());
    EXPECT_STREQ("Yes", buffer);
    EXPECT_EQ("Yes", p.registryValue("Kelgrove", "Verify Catalog"));
}

TEST(InitKelCmd, BlockOfTheRightSizeIsQuiet)
{
    kt::DialogAnswerer answerer(IDOK);
    EXPECT_EQ(kAppStateSize, kt::testApp().size);
    EXPECT_EQ(1, InitKelCmd(&kt::testApp()));
    EXPECT_TRUE(answerer.shown().empty());
    EXPECT_EQ(0, InitKelCmd(nullptr));
}
