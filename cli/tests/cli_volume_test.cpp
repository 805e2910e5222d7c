// kelcli volume and path, on the test volumes.
#include "cli_profile.h"
#include "test_volumes.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(CliVolume, DrivesAsTheDriveTableHoldsThem)
{
    KT_REQUIRE_TEST_VOLUMES();
    CliProfile p;
    struct Case {
        const char* drive;
        const char* line;
    } const cases[] = {
        {"J", R"({"drive": "J:", "kind": 3, "label": "DISK1", "remote": ""})"},
        {"k:", R"({"drive": "K:", "kind": 3, "label": "PHOTO01", "remote": ""})"},
        {"L", R"({"drive": "L:", "kind": 2, "label": "", "remote": ""})"},
        {"M", R"({"drive": "M:", "kind": 3, "label": "", "remote": ""})"},
        {"N", R"({"drive": "N:", "kind": 4, "label": "NETVOL", "remote": "\\\\KELSRV\\PHOTOS"})"},
    };
    for (const Case& c : cases) {
        std::string out, err;
        ASSERT_EQ(0, p.run("volume", c.drive, &out, &err)) << err;
        EXPECT_EQ(std::string(c.line) + "\n", out) << "drive " << c.drive;
    }
}

TEST(CliVolume, PrimaryDrivesOfTheProfile)
{
    KT_REQUIRE_TEST_VOLUMES();
    CliProfile p;
    std::string out, err;
    ASSERT_EQ(0, p.run("profile", "set \"Primary Drives\" \"l, j\"", &out, &err)) << err;
    ASSERT_EQ(0, p.run("volume", "L", &out, &err)) << err;
    EXPECT_EQ(R"({"drive": "L:", "kind": 3, "label": "BACKUP1", "remote": ""})"
              "\n",
              out);
    EXPECT_EQ(2, p.run("volume", "7", &out, &err));
}

TEST(CliPath, NetworkFormAndBack)
{
    KT_REQUIRE_TEST_VOLUMES();
    CliProfile p;
    struct Case {
        const char* command;
        const char* path;
        const char* printed;
    } const cases[] = {
        {"to-net", "N:\\1996\\A.GIF", "\\\\KELSRV\\PHOTOS\\1996\\A.GIF"},
        {"to-local", "\\\\KELSRV\\PHOTOS\\1996\\A.GIF", "N:\\1996\\A.GIF"},
        {"to-net", "K:\\IMAGES\\A.GIF", "K:\\IMAGES\\A.GIF"},
        {"to-local", "K:\\IMAGES\\A.GIF", "K:\\IMAGES\\A.GIF"},
        {"to-net", "M:\\PICS", "M:\\PICS"},
    };
    for (const Case& c : cases) {
        std::string out, err;
        ASSERT_EQ(0, p.run("path", std::string(c.command) + " \"" + c.path + "\"", &out, &err)) << err;
        EXPECT_EQ(std::string(c.printed) + "\n", out) << c.command << " " << c.path;
    }
}

TEST(CliPath, UnreachableShareFailsWithTheMessage)
{
    KT_REQUIRE_TEST_VOLUMES();
    CliProfile p;
    std::string out, err;
    EXPECT_EQ(2, p.run("path", "to-local \\\\KELSRV\\ARCHIVE\\OLD", &out, &err));
    EXPECT_EQ("", out);
    err.erase(std::remove(err.begin(), err.end(), '\r'), err.end());
    EXPECT_EQ("kelcli: The network path '\\\\KELSRV\\ARCHIVE\\OLD' cannot be located\n", err);
}
