// Finding catalogued files again on the test volumes from their stored directory and label.
#include "net_test_app.h"
#include "shown_messages.h"
#include "test_volumes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Search {
    int result;
    std::string dir;
    std::string label;
};

Search check(const char* catalogDir, const std::string& dir, const char* file, const char* label)
{
    char d[260], v[14];
    std::strcpy(d, dir.c_str());
    std::strcpy(v, label);
    const int result = CheckFile(catalogDir, d, file, v);
    return {result, d, v};
}

void fillDrives()
{
    netTestApp();
    FillDriveTable(nullptr, nullptr);
}

} // namespace

TEST(CheckFile, FindsFilesWhereTheirLabelIs)
{
    KT_REQUIRE_TEST_VOLUMES();
    fillDrives();
    const std::string gone = {kt::freeDriveLetter(), ':'};
    struct Case {
        std::string dir;
        const char* file;
        const char* label;
        const char* foundDir;
        const char* foundLabel;
    } const cases[] = {
        // where it was stored
        {"K:\\IMAGES", "A.GIF", "PHOTO01", "K:\\IMAGES", "PHOTO01"},
        // the CD was catalogued in another drive: found in the drive that holds its label
        {gone + "\\IMAGES", "A.GIF", "PHOTO01", "K:\\IMAGES", "PHOTO01"},
        {gone + "\\IMAGES", "A.GIF", "photo01", "K:\\IMAGES", "PHOTO01"},
        // a Photo CD image number names the image file IMG0012.PCD
        {"K:\\PHOTO_CD\\IMAGES\\", "ABCDEFGH.012", "PHOTO01", "K:\\PHOTO_CD\\IMAGES\\", "PHOTO01"},
        {gone + "\\PHOTO_CD\\IMAGES", "ABCDEFGH.012", "PHOTO01", "K:\\PHOTO_CD\\IMAGES", "PHOTO01"},
        // no label stored ("???" counts as none): every fixed, remote and CD-ROM drive is tried
        {gone + "\\SCANS", "B.GIF", "", "J:\\SCANS", "DISK1"},
        {gone + "\\SCANS", "B.GIF", "???", "J:\\SCANS", "DISK1"},
        // stored in network form
        {"\\\\KELSRV\\PHOTOS\\1996", "A.GIF", "NETVOL", "N:\\1996", "NETVOL"},
        {"\\\\KELSRV\\PHOTOS\\1996\\", "A.GIF", "???", "N:\\1996\\", "NETVOL"},
    };
    for (const Case& c : cases) {
        const Search s = check(nullptr, c.dir, c.file, c.label);
        EXPECT_EQ(1, s.result) << c.dir << " " << c.file << " " << c.label;
        EXPECT_EQ(c.foundDir, s.dir) << c.dir << " " << c.file;
        EXPECT_EQ(c.foundLabel, s.label) << c.dir << " " << c.file;
    }
}

TEST(CheckFile, StoredOnAnUnreachableShareTriesTheLocalDrives)
{
    KT_REQUIRE_TEST_VOLUMES();
    fillDrives();
    ShownMessages messages;
    const Search s = check(nullptr, "\\\\OLDSERVER\\CDROM\\IMAGES", "A.GIF", "PHOTO01");
    EXPECT_EQ(1, s.result);
    EXPECT_EQ("K:\\IMAGES", s.dir);
    EXPECT_EQ("PHOTO01", s.label);
    EXPECT_EQ(1u, messages.texts.size()) << "the share itself cannot be located";
}

TEST(CheckFile, CatalogDirectoryIsTheLastPlaceTried)
{
    KT_REQUIRE_TEST_VOLUMES();
    fillDrives();
    const std::string gone = {kt::freeDriveLetter(), ':', '\\', 'X'};
    const Search s = check("J:\\SCANS", gone, "B.GIF", "NOSUCHLABEL");
    EXPECT_EQ(1, s.result);
    EXPECT_EQ("J:\\SCANS", s.dir);
    EXPECT_EQ("DISK1", s.label);
}

TEST(CheckFile, NotFoundLeavesDirectoryAndLabel)
{
    KT_REQUIRE_TEST_VOLUMES();
    fillDrives();
    const std::string gone = {kt::freeDriveLetter(), ':', '\\', 'B', 'A', 'C', 'K', 'U', 'P'};
    struct Case {
        std::string dir;
        const char* file;
        const char* label;
    } const cases[] = {
        {gone, "D.GIF", "BACKUP1"},       // only on the floppy: removable drives are not searched
        {gone, "D.GIF", ""},
        {"K:\\IMAGES", "NONE.GIF", "PHOTO01"},
        {"M:\\IMAGES", "A.GIF", "OTHERCD"}, // the disc is not in any drive
    };
    for (const Case& c : cases) {
        const Search s = check(nullptr, c.dir, c.file, c.label);
        EXPECT_EQ(0, s.result) << c.dir << " " << c.file;
        EXPECT_EQ(c.dir, s.dir);
        EXPECT_EQ(c.label, s.label);
    }
}

TEST(CheckFile, RefreshesTheLabelsOfTheDrivesItSearches)
{
    KT_REQUIRE_TEST_VOLUMES();
    fillDrives();
    std::strcpy(driveEntry('K').label, "STALE");
    const std::string gone = {kt::freeDriveLetter(), ':', '\\', 'I', 'M', 'A', 'G', 'E', 'S'};
    EXPECT_EQ(1, check(nullptr, gone, "A.GIF", "PHOTO01").result);
    EXPECT_STREQ("PHOTO01", driveEntry('K').label);
}
