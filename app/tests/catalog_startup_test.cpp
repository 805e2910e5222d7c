// Catalogs at start-up: the first run's default catalog entry, the catalog CD list, the title
// lookup of the command line, and the profile's migration out of WIN.INI.
#include "app_fixture.h"
#include "catalog_startup.h"
#include "profile_file.h"
#include "shell_state.h"
#include "test_volumes.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

using namespace kelapp;

TEST(DefaultCatalog, EntryOfTheFirstRun)
{
    EXPECT_EQ("Default,C:\\KG\\Kelgrove.CAT,*.gif;*.pcx, ", defaultCatalogEntry("C:\\KG\\Kelgrove.CAT", "*.gif;*.pcx", ""));
    EXPECT_EQ("Default,D:\\Kelgrove.CAT,*.gif,PHOTOS,READONLY", defaultCatalogEntry("D:\\Kelgrove.CAT", "*.gif", "PHOTOS"));
    const std::string longPatterns(230, 'x');
    EXPECT_EQ("", defaultCatalogEntry("C:\\KG\\Kelgrove.CAT", longPatterns, "")) << "256 characters or more: not written";
    const std::string fits(255 - std::string("Default,C:\\A.CAT,,").size() - 1, 'x');
    EXPECT_EQ(255u, defaultCatalogEntry("C:\\A.CAT", fits, "").size());
}

TEST(DefaultCatalog, FolderProbe)
{
    kt::TempDir dir;
    EXPECT_TRUE(folderTakesCatalog(dir.path()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.file("kelZZZZZ.ZZZ").c_str())) << "probe removed";
    EXPECT_FALSE(folderTakesCatalog(dir.file("missing")));
}

TEST(DefaultCatalog, FolderOnACdIsOfferedElsewhere)
{
    KT_REQUIRE_TEST_VOLUMES();
    resetShellState();
    shell().instance = GetModuleHandleA(nullptr);
    std::strcpy(appState().appName, "Kelgrove");
    EXPECT_FALSE(folderTakesCatalog("K:\\"));
    kt::TempDir dir;
    const std::string wanted = dir.file("Catalogs\\Mine");
    {
        kt::DialogAnswerer answer(IDOK, [&](HWND dlg) { SetDlgItemTextA(dlg, 446, wanted.c_str()); });
        EXPECT_EQ(wanted, chooseDefaultCatalogFolder(nullptr, "K:\\"));
        ASSERT_EQ(1u, answer.shown().size());
        EXPECT_EQ("Default Catalog", answer.shown()[0].title);
        ASSERT_NE(nullptr, answer.shown()[0].control(446));
        EXPECT_EQ("C:\\Kelgrove", answer.shown()[0].control(446)->text);
    }
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(wanted.c_str())) << "the folder is made";
    {
        kt::DialogAnswerer answer(IDCANCEL);
        EXPECT_EQ("", chooseDefaultCatalogFolder(nullptr, "K:\\"));
    }
    resetShellState();
}

TEST(CdCatalogs, ListedCatalogsOnTheDriveWithTheLabel)
{
    kt::TempDir dir;
    // The catalogs lie on the scratch folder's drive; the list names them on drive X.
    const std::string folder = dir.path();
    ASSERT_TRUE(kt::writeFile(dir.file("ONE.CAT"), {1}));
    ASSERT_TRUE(kt::writeFile(dir.file("TWO.CAT"), {1}));
    const std::string onX = "X" + folder.substr(1);
    const std::string ini = dir.file("KelCat.ini");
    WritePrivateProfileStringA("Catalog Info", "CD Name", "photo01", ini.c_str());
    WritePrivateProfileStringA("Catalog Info", "catalog1", (onX + "\\ONE.CAT").c_str(), ini.c_str());
    WritePrivateProfileStringA("Catalog Info", "catalog2", (onX + "\\MISSING.CAT").c_str(), ini.c_str());
    WritePrivateProfileStringA("Catalog Info", "catalog3", (onX + "\\TWO.CAT").c_str(), ini.c_str());
    WritePrivateProfileStringA("Catalog Info", "catalog5", (onX + "\\TWO.CAT").c_str(), ini.c_str());

    DriveEntry drives[kDriveCount] = {};
    const int drive = toupper(folder[0]) - 'A';
    std::strcpy(drives[drive].label, "PHOTO01");
    bool found = false;
    const std::vector<std::string> files = cdCatalogFiles(ini, drives, &found);
    EXPECT_TRUE(found);
    ASSERT_EQ(2u, files.size()) << "missing files are skipped; the list ends at the first gap";
    EXPECT_EQ(folder + "\\ONE.CAT", files[0]);
    EXPECT_EQ(folder + "\\TWO.CAT", files[1]);

    std::strcpy(drives[drive].label, "OTHER");
    EXPECT_TRUE(cdCatalogFiles(ini, drives, &found).empty());
    EXPECT_FALSE(found) << "no drive carries the CD";
}

TEST(ProfileFile, WinIniSectionMovesIntoTheProfile)
{
    char section[16];
    snprintf(section, sizeof section, "Kw%06lX", GetCurrentProcessId() & 0xFFFFFFul);
    WriteProfileStringA(section, "Display Warnings", "No");
    WriteProfileStringA(section, "Dir1", "C:\\PICTURES");
    kt::TempDir dir;
    const std::string ini = dir.file(std::string(section) + ".ini");
    EXPECT_EQ(ini, locateProfile(section, ini));
    char value[64] = "";
    GetPrivateProfileStringA(section, "Display Warnings", "", value, sizeof value, ini.c_str());
    EXPECT_STREQ("No", value);
    GetPrivateProfileStringA(section, "Dir1", "", value, sizeof value, ini.c_str());
    EXPECT_STREQ("C:\\PICTURES", value);
    char keys[256] = "";
    EXPECT_EQ(0u, GetProfileStringA(section, nullptr, "", keys, sizeof keys)) << "the WIN.INI section is gone";
    // An existing profile is taken as it is.
    WriteProfileStringA(section, "Dir1", "D:\\OTHER");
    EXPECT_EQ(ini, locateProfile(section, ini));
    GetPrivateProfileStringA(section, "Dir1", "", value, sizeof value, ini.c_str());
    EXPECT_STREQ("C:\\PICTURES", value);
    WriteProfileStringA(section, nullptr, nullptr);
}

class CatalogTitles : public apptest::FrameTest {};

TEST_F(CatalogTitles, TitleOfTheCommandLineFindsItsNumber)
{
    setProfile("Catalogs", "3");
    setProfile("Catalog1", "Default,C:\\KG\\Kelgrove.CAT,*.gif, ");
    setProfile("Catalog2", "Holidays");
    setProfile("Catalog3", "Work Pictures,D:\\W.CAT,*.gif,WORK,READONLY");
    ASSERT_TRUE(start());
    EXPECT_EQ(2, catalogNumberByTitle("Holidays"));
    EXPECT_EQ(3, catalogNumberByTitle("work pictures"));
    EXPECT_EQ(1, catalogNumberByTitle("Default"));
    EXPECT_EQ(0, catalogNumberByTitle("Nowhere"));
    EXPECT_EQ(0, catalogNumberByTitle(""));
}

} // namespace
