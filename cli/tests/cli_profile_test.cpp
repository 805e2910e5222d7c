// kelcli profile get / set, on a profile of the test's own.
#include "cli_profile.h"

#include <gtest/gtest.h>

TEST(CliProfile, SetThenGetThroughTheRegistry)
{
    CliProfile p;
    std::string out, err;
    ASSERT_EQ(0, p.run("profile", "set \"Default Directory\" \"C:\\My Pictures\"", &out, &err)) << err;
    EXPECT_EQ("", out);
    EXPECT_EQ("C:\\My Pictures", p.registryValue("Default Directory"));
    ASSERT_EQ(0, p.run("profile", "get \"Default Directory\"", &out, &err)) << err;
    EXPECT_EQ("C:\\My Pictures\n", out);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(p.ini().c_str())) << "values are not written to the file";
}

TEST(CliProfile, GetReadsTheFileOnceThenTheRegistry)
{
    CliProfile p;
    const std::string ini = "[" + p.name() + "]\r\nShow Long Names=No\r\n";
    ASSERT_TRUE(kt::writeFile(p.ini(), std::vector<uint8_t>(ini.begin(), ini.end())));
    std::string out, err;
    ASSERT_EQ(0, p.run("profile", "get \"Show Long Names\"", &out, &err)) << err;
    EXPECT_EQ("No\n", out);
    EXPECT_EQ("No", p.registryValue("Show Long Names"));
    ASSERT_EQ(0, p.run("profile", "set \"Show Long Names\" Yes", &out, &err)) << err;
    ASSERT_EQ(0, p.run("profile", "get \"Show Long Names\"", &out, &err)) << err;
    EXPECT_EQ("Yes\n", out);
}

TEST(CliProfile, WrongUseFails)
{
    CliProfile p;
    std::string out, err;
    EXPECT_EQ(2, p.run("profile", "get", &out, &err));
    EXPECT_NE(std::string::npos, err.find("usage")) << err;
    EXPECT_EQ(2, kt::runProgram("kelcli.exe", "profile get KEY --app", &out, &err));
}
