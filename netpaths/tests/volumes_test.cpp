// Drive labels, kinds and connections, read from the test volumes through the kernel's calls.
#include "net_test_app.h"
#include "test_volumes.h"

#include <gtest/gtest.h>

#include <string>

TEST(Volumes, LabelsWithoutDotsFromEachKindOfDrive)
{
    KT_REQUIRE_TEST_VOLUMES();
    netTestApp();
    struct Case {
        int drive;
        const char* label;
    } const cases[] = {
        {'J', "DISK1"},         // fixed, DISK.1
        {'K', "PHOTO01"},       // CD-ROM, PHOTO.01
        {'k', "PHOTO01"},       // letters in either case
        {'L', "BACKUP1"},       // floppy
        {'M', ""},              // CD-ROM with no disc
        {'N', "NETVOL"},        // network drive
        {'P', "HOLIDAYPHOTOS"}, // a label longer than the table holds keeps its start
        {kt::freeDriveLetter(), ""},
        {'1', ""},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.label, get_volid(c.drive)) << "drive " << char(c.drive);
}

TEST(Volumes, ConnectionsOfNetworkDrivesOnly)
{
    KT_REQUIRE_TEST_VOLUMES();
    char remote[64] = "";
    DWORD size = sizeof remote;
    EXPECT_EQ(DWORD(NO_ERROR), MyWNetGetConnection("N:", remote, &size));
    EXPECT_STREQ("\\\\KELSRV\\PHOTOS", remote);
    size = sizeof remote;
    EXPECT_EQ(DWORD(ERROR_NOT_CONNECTED), MyWNetGetConnection("J:", remote, &size));
}

TEST(Volumes, DriveTableHoldsKindLabelAndConnection)
{
    KT_REQUIRE_TEST_VOLUMES();
    netTestApp();
    ASSERT_EQ(1, FillDriveTable(nullptr, nullptr));
    const char free = kt::freeDriveLetter();
    struct Case {
        char letter;
        int kind;
        const char* label;
        const char* remote;
    } const cases[] = {
        {'J', DRIVE_FIXED, "DISK1", ""},
        {'K', DRIVE_FIXED, "PHOTO01", ""}, // CD-ROM drives are primary drives
        {'L', DRIVE_REMOVABLE, "", ""},    // removable drives are not read
        {'M', DRIVE_FIXED, "", ""},
        {'N', DRIVE_REMOTE, "NETVOL", "\\\\KELSRV\\PHOTOS"},
        {'P', DRIVE_FIXED, "HOLIDAYPHOTOS", ""},
        {free, DRIVE_NO_ROOT_DIR, "", ""},
    };
    for (const Case& c : cases) {
        const DriveEntry& e = driveEntry(c.letter);
        EXPECT_EQ(c.kind, e.kind) << "drive " << c.letter;
        EXPECT_STREQ(c.label, e.label) << "drive " << c.letter;
        EXPECT_STREQ(c.remote, e.remote) << "drive " << c.letter;
    }
}

TEST(Volumes, PrimaryAndBackupDrivesFromTheProfile)
{
    KT_REQUIRE_TEST_VOLUMES();
    netTestApp();
    // As "Primary Drives" and "Backup drives" hold them: letters separated by ", ".
    ASSERT_EQ(1, FillDriveTable("l, 1, ,M", "j"));
    EXPECT_EQ(DRIVE_FIXED, driveEntry('L').kind);
    EXPECT_STREQ("BACKUP1", driveEntry('L').label) << "a primary drive gets its label";
    EXPECT_EQ(DRIVE_FIXED, driveEntry('M').kind);
    EXPECT_EQ(DRIVE_REMOVABLE, driveEntry('J').kind);
    EXPECT_STREQ("DISK1", driveEntry('J').label);
    EXPECT_EQ(DRIVE_FIXED, driveEntry('K').kind) << "drives not listed keep their kind";
}

TEST(Volumes, NoDriveTableNoFilling)
{
    AppState& app = netTestApp();
    DriveEntry* table = app.driveTable;
    app.driveTable = nullptr;
    EXPECT_EQ(0, FillDriveTable(nullptr, nullptr));
    app.driveTable = table;
}
