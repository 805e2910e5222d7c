// The text rules of network paths, case by case.
#include "net_path_text.h"

#include <gtest/gtest.h>

using namespace kelnet;

TEST(NetPathText, RemoteNamesInNetworkForm)
{
    struct Case {
        const char* remote;
        const char* normalised;
    } const cases[] = {
        {"\\\\SERVER\\PHOTOS", "\\\\SERVER\\PHOTOS"},
        {"//SERVER/PHOTOS", "\\\\SERVER\\PHOTOS"},
        {"SERVER/VOL1:", "\\\\SERVER\\VOL1"},      // server and volume
        {"SERVER/VOL1:DIR", "\\\\SERVER\\VOL1"},
        {"ORG_TREE", "\\\\$NDS\\ORG_TREE"},         // directory-service name
        {"\\\\SERVER\\PHOTOS (scanner)", "\\\\SERVER\\PHOTOS"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.normalised, normaliseRemoteName(c.remote)) << "remote name " << c.remote;
}

TEST(NetPathText, DrivePathsOnAConnectedDrive)
{
    struct Case {
        const char* remote;
        const char* path;
        const char* network;
    } const cases[] = {
        {"\\\\SERVER\\PHOTOS", "G:\\1996\\A.GIF", "\\\\SERVER\\PHOTOS\\1996\\A.GIF"},
        {"SERVER/VOL1:", "H:\\X", "\\\\SERVER\\VOL1\\X"},
        {"ORG_TREE", "H:\\X", "\\\\$NDS\\ORG_TREE\\X"},
        {"\\\\SERVER\\PHOTOS\\", "G:\\\\1996", "\\\\SERVER\\PHOTOS\\1996"},
        {"\\\\SERVER\\PHOTOS", "G:", "\\\\SERVER\\PHOTOS\\"},
        {"\\\\SERVER\\PHOTOS", "G:1996", "\\\\SERVER\\PHOTOS\\1996"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.network, networkFormOf(normaliseRemoteName(c.remote), c.path)) << c.remote << " " << c.path;
}

TEST(NetPathText, SplittingNetworkPaths)
{
    struct Case {
        const char* path;
        bool network;
        const char* share;
        const char* rest;
        const char* server;
    } const cases[] = {
        {"\\\\SERVER\\PHOTOS\\1996\\A.GIF", true, "\\\\SERVER\\PHOTOS", "\\1996\\A.GIF", "SERVER"},
        {"\\\\SERVER\\PHOTOS\\", true, "\\\\SERVER\\PHOTOS", "\\", "SERVER"},
        {"\\\\SERVER\\PHOTOS", true, "\\\\SERVER\\PHOTOS", "", "SERVER"},
        {"\\\\SERVER", true, "\\\\SERVER", "", "SERVER"},
        {"C:\\PICS", false, "", "", ""},
        {"\\PICS", false, "", "", ""},
    };
    for (const Case& c : cases) {
        std::string share, rest;
        EXPECT_EQ(c.network, splitNetworkPath(c.path, &share, &rest)) << c.path;
        EXPECT_EQ(c.share, share) << c.path;
        EXPECT_EQ(c.rest, rest) << c.path;
        if (c.network) {
            EXPECT_EQ(c.server, serverOf(share)) << c.path;
        }
    }
}

TEST(NetPathText, JoiningAndMovingToAnotherDrive)
{
    EXPECT_EQ("C:\\PICS\\A.GIF", joinPath("C:\\PICS", "A.GIF"));
    EXPECT_EQ("C:\\PICS\\A.GIF", joinPath("C:\\PICS\\", "\\A.GIF"));
    EXPECT_EQ("C:\\PICS", joinPath("C:\\PICS", ""));
    EXPECT_EQ("A:\\IMAGES", joinPath("A:", "\\IMAGES"));

    EXPECT_EQ("E:\\IMAGES", onDrive('E', "D:\\IMAGES"));
    EXPECT_EQ("E:\\IMAGES\\", onDrive('E', "\\\\SERVER\\CD\\IMAGES\\"));
    EXPECT_EQ("E:\\", onDrive('E', "\\\\SERVER\\CD"));
    EXPECT_EQ("E:\\ZOO\\", onDrive('E', "\\ZOO\\"));
    EXPECT_EQ("E:\\ZOO", onDrive('E', "ZOO"));
}

TEST(NetPathText, LabelsWithoutDots)
{
    EXPECT_EQ("DISK1", labelWithoutDots("DISK.1"));
    EXPECT_EQ("PHOTO01", labelWithoutDots("PHOTO.01"));
    EXPECT_EQ("", labelWithoutDots("..."));
    EXPECT_EQ("HOLIDAYPHOTOS", labelWithoutDots("HOLIDAY.PHOTOS.2024")) << "the table keeps 13 characters";
}

TEST(NetPathText, PhotoCdImageNames)
{
    struct Case {
        const char* name;
        const char* image; // null: not a Photo CD image number
    } const cases[] = {
        {"ABCDEFGH.012", "IMG0012.PCD"},
        {"ABCDEFGH.0123", "IMG00123.PCD"},
        {"ABCDEFGH.01X", nullptr},
        {"ABCDEFGH.GIF", nullptr},
        {"ABCDE.012", nullptr},
    };
    for (const Case& c : cases) {
        std::string image;
        EXPECT_EQ(c.image != nullptr, photoCdImageName(c.name, &image)) << c.name;
        if (c.image) {
            EXPECT_EQ(c.image, image) << c.name;
        }
    }
}

TEST(NetPathText, ShareNamesOfLocalPaths)
{
    const std::vector<Share> shares = {{"ADMIN$", "C:\\"}, {"PICS", "C:\\Pictures"}, {"ALL", "C:\\"}};
    struct Case {
        const char* path;
        const char* network; // null: on no share
    } const cases[] = {
        {"c:\\pictures\\1996\\a.gif", "\\\\HOST\\PICS\\1996\\a.gif"},
        {"C:\\Pictures", "\\\\HOST\\PICS\\"},
        {"C:\\PicturesOld\\x", "\\\\HOST\\ALL\\PicturesOld\\x"}, // the hidden ADMIN$ is skipped
        {"D:\\x", nullptr},
    };
    for (const Case& c : cases) {
        std::string network;
        EXPECT_EQ(c.network != nullptr, shareNameOf(shares, "HOST", c.path, &network)) << c.path;
        if (c.network) {
            EXPECT_EQ(c.network, network) << c.path;
        }
    }
}

TEST(NetPathText, ShareTableTakesTheLongestLeadingDirectory)
{
    const std::vector<Share> table = {{"ROOT", "C:\\"}, {"PICS", "C:\\PICS"}, {"Y96", "C:\\PICS\\1996\\"}};
    struct Case {
        const char* path;
        const char* network;
    } const cases[] = {
        {"C:\\PICS\\1996\\A.GIF", "\\\\HOST\\Y96\\A.GIF"},
        {"C:\\PICS\\1997\\B.GIF", "\\\\HOST\\PICS\\1997\\B.GIF"},
        {"c:\\x", "\\\\HOST\\ROOT\\x"},
        {"D:\\X", nullptr},
    };
    for (const Case& c : cases) {
        std::string network;
        EXPECT_EQ(c.network != nullptr, shareNameFromTable(table, "HOST", c.path, &network)) << c.path;
        if (c.network) {
            EXPECT_EQ(c.network, network) << c.path;
        }
    }
}

TEST(NetPathText, SharePathsOnThisMachineOnly)
{
    const std::vector<Share> shares = {{"PICS", "C:\\Pictures"}};
    std::string dir;
    EXPECT_TRUE(sharePathOf(shares, "HOST", "\\\\host\\pics", &dir));
    EXPECT_EQ("C:\\Pictures", dir);
    EXPECT_FALSE(sharePathOf(shares, "HOST", "\\\\OTHER\\PICS", &dir));
    EXPECT_FALSE(sharePathOf(shares, "HOST", "\\\\HOST\\MUSIC", &dir));
    EXPECT_FALSE(sharePathOf(shares, "HOST", "\\\\HOST", &dir));
    EXPECT_FALSE(sharePathOf(shares, "", "\\\\\\PICS", &dir));
}
