// The profile store on the registry, with the profile file read for values not there yet.
#include "test_profile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace {

std::string get(const TestProfile& p, const char* section, const char* key, const char* fallback, DWORD size = 256)
{
    char buffer[256];
    std::memset(buffer, '#', sizeof buffer);
    const DWORD length = MyGetPrivateProfileString(section, key, fallback, buffer, size, p.ini().c_str());
    EXPECT_EQ(std::strlen(buffer), length) << section << "/" << key;
    return buffer;
}

void setRegistry(const TestProfile& p, const char* section, const char* key, DWORD type, const void* data,
                 DWORD size)
{
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, (p.root() + "\\" + section).c_str(), key, type,
                                             data, size));
}

void setRegistryText(const TestProfile& p, const char* section, const char* key, const char* text)
{
    setRegistry(p, section, key, REG_SZ, text, DWORD(std::strlen(text) + 1));
}

std::string fileValue(const std::string& file, const char* section, const char* key)
{
    char buffer[256] = "";
    GetPrivateProfileStringA(section, key, "(none)", buffer, sizeof buffer, file.c_str());
    return buffer;
}

} // namespace

TEST(ProfileStore, FirstReadMovesTheFileValueIntoTheRegistry)
{
    TestProfile p;
    p.writeIni("[Kelgrove]\r\nDisplay Warnings=No\r\n");
    EXPECT_EQ("No", get(p, "Kelgrove", "Display Warnings", "Yes"));
    DWORD type = 0;
    EXPECT_EQ("No", p.registryValue("Kelgrove", "Display Warnings", nullptr, &type));
    EXPECT_EQ(DWORD(REG_SZ), type);

    p.writeIni("[Kelgrove]\r\nDisplay Warnings=Yes\r\n");
    ASSERT_EQ("Yes", fileValue(p.ini(), "Kelgrove", "Display Warnings")) << "the file did change";
    EXPECT_EQ("No", get(p, "Kelgrove", "Display Warnings", "Yes")) << "later changes to the file are not seen";
}

TEST(ProfileStore, ValueInNeitherPlaceGivesTheDefaultAndStoresIt)
{
    TestProfile p;
    p.writeIni("[Kelgrove]\r\nOther=1\r\n");
    EXPECT_EQ("N", get(p, "Kelgrove", "Thumbnail Options", "N"));
    EXPECT_EQ("N", p.registryValue("Kelgrove", "Thumbnail Options"));
    EXPECT_EQ("", get(p, "Kelgrove", "Cover File", nullptr)) << "a null default reads as empty";
    bool found = false;
    EXPECT_EQ("", p.registryValue("Kelgrove", "Cover File", &found));
    EXPECT_TRUE(found);

    // Integers are read from the file but never written to the registry.
    EXPECT_EQ(100, MyGetPrivateProfileInt("Kelgrove", "Play Delay", 100, p.ini().c_str()));
    p.registryValue("Kelgrove", "Play Delay", &found);
    EXPECT_FALSE(found);
    EXPECT_EQ(100, MyGetPrivateProfileInt("Kelgrove", "Play Delay", 100, p.ini().c_str()));
    EXPECT_EQ(-5, MyGetPrivateProfileInt("Fresh Section", "Count", -5, p.ini().c_str()));
}

TEST(ProfileStore, IntegersReadAsDecimalText)
{
    TestProfile p;
    struct Case {
        const char* text;
        int value;
    } const cases[] = {
        {"  -12abc", -12}, {"42", 42}, {"+7", 7}, {"abc", 0}, {"", 0}, {"\t 3 4", 3}, {"99999999999", 2147483647},
    };
    for (const Case& c : cases) {
        setRegistryText(p, "Kelgrove", "Value", c.text);
        EXPECT_EQ(c.value, MyGetPrivateProfileInt("Kelgrove", "Value", 77, p.ini().c_str())) << "'" << c.text << "'";
    }
    // The same text read from the file.
    p.writeIni("[Numbers]\r\nPlay Delay=  -12abc\r\n");
    EXPECT_EQ(-12, MyGetPrivateProfileInt("Numbers", "Play Delay", 100, p.ini().c_str()));
    // A value of another type than text gives the default.
    const DWORD number = 5;
    setRegistry(p, "Kelgrove", "Binary", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(77, MyGetPrivateProfileInt("Kelgrove", "Binary", 77, p.ini().c_str()));
    EXPECT_EQ("dflt", get(p, "Kelgrove", "Binary", "dflt"));
}

TEST(ProfileStore, DeletingASectionMakesItsValuesMigrateAgain)
{
    TestProfile p;
    p.writeIni("[Catalog-Holiday]\r\nBuild Dir=C:\\PICS\r\n");
    EXPECT_EQ("C:\\PICS", get(p, "Catalog-Holiday", "Build Dir", ""));
    ASSERT_EQ(1, MyWritePrivateProfileString("Catalog-Holiday", "Build Dir", "D:\\NEW", p.ini().c_str()));
    ASSERT_EQ(1, MyWritePrivateProfileString("Catalog-Holiday", "Move Dir", "E:\\MOVED", p.ini().c_str()));
    EXPECT_EQ("D:\\NEW", get(p, "Catalog-Holiday", "Build Dir", ""));

    EXPECT_EQ(1, MyWritePrivateProfileString("Catalog-Holiday", nullptr, nullptr, p.ini().c_str()));
    EXPECT_FALSE(p.sectionExists("Catalog-Holiday"));
    EXPECT_EQ("C:\\PICS", get(p, "Catalog-Holiday", "Build Dir", "")) << "read from the file again";
    EXPECT_EQ("none", get(p, "Catalog-Holiday", "Move Dir", "none"));
    EXPECT_EQ(0, MyWritePrivateProfileString("No Such Section", nullptr, nullptr, p.ini().c_str()));
    EXPECT_EQ(0, MyWritePrivateProfileString("", nullptr, nullptr, p.ini().c_str()))
        << "the application's own key is not a section";
}

TEST(ProfileStore, WritingANullTextDeletesTheValue)
{
    TestProfile p;
    ASSERT_EQ(1, MyWritePrivateProfileString("Kelgrove", "Dir1", "C:\\PICS", p.ini().c_str()));
    EXPECT_EQ("C:\\PICS", p.registryValue("Kelgrove", "Dir1"));
    EXPECT_EQ(1, MyWritePrivateProfileString("Kelgrove", "Dir1", nullptr, p.ini().c_str()));
    bool found = true;
    p.registryValue("Kelgrove", "Dir1", &found);
    EXPECT_FALSE(found);
    EXPECT_EQ(0, MyWritePrivateProfileString("Kelgrove", "Dir1", nullptr, p.ini().c_str())) << "nothing to delete";
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(p.ini().c_str())) << "the profile file is never written";
}

TEST(ProfileStore, ProfileFileIsRecognisedWithoutCaseOtherFilesPassThrough)
{
    TestProfile p;
    std::string upper = p.ini();
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    ASSERT_NE(upper, p.ini());
    ASSERT_EQ(1, MyWritePrivateProfileString("Kelgrove", "Auto Close", "Yes", upper.c_str()));
    EXPECT_EQ("Yes", p.registryValue("Kelgrove", "Auto Close"));
    char buffer[32] = "";
    EXPECT_EQ(3u, MyGetPrivateProfileString("Kelgrove", "Auto Close", "No", buffer, sizeof buffer, upper.c_str()));
    EXPECT_STREQ("Yes", buffer);

    const std::string other = p.otherFile("KelCat.ini");
    ASSERT_EQ(1, MyWritePrivateProfileString("Catalog Info", "CD Name", "PHOTOS", other.c_str()));
    EXPECT_EQ("PHOTOS", fileValue(other, "Catalog Info", "CD Name"));
    EXPECT_FALSE(p.sectionExists("Catalog Info"));
    EXPECT_EQ(6u, MyGetPrivateProfileString("Catalog Info", "CD Name", "", buffer, sizeof buffer, other.c_str()));
    EXPECT_STREQ("PHOTOS", buffer);
    ASSERT_EQ(1, MyWritePrivateProfileString("Catalog Info", "count", "  -12abc", other.c_str()));
    EXPECT_EQ(-12, MyGetPrivateProfileInt("Catalog Info", "count", 3, other.c_str()));
}

TEST(ProfileStore, BuffersGetWhatFitsAndTheStoredValueStaysWhole)
{
    TestProfile p;
    setRegistryText(p, "Kelgrove", "Extensions", "*.BMP;*.GIF;*.PCX");
    EXPECT_EQ("*.BMP", get(p, "Kelgrove", "Extensions", "", 6));
    EXPECT_EQ("*.BMP;*.GIF;*.PCX", p.registryValue("Kelgrove", "Extensions")) << "a short buffer changes nothing";
    EXPECT_EQ("*.BMP;*.GIF;*.PCX", get(p, "Kelgrove", "Extensions", ""));
    EXPECT_EQ("abc", get(p, "Kelgrove", "", "abcdef", 4)) << "an empty key name gives the default";
}

TEST(ProfileStore, ListingNamesIsNotOfferedForTheProfile)
{
    TestProfile p;
    p.writeIni("[Kelgrove]\r\nA=1\r\nB=2\r\n");
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(0u, MyGetPrivateProfileString("Kelgrove", nullptr, "", buffer, sizeof buffer, p.ini().c_str()));
    EXPECT_EQ(0, buffer[0]);
    EXPECT_EQ(0, buffer[1]);
}

TEST(ProfileStore, SetKeyTellsWhetherTheSectionIsNew)
{
    TestProfile p;
    DWORD disposition = 0;
    HKEY key = SetKey("Browse", &disposition);
    ASSERT_NE(nullptr, key);
    EXPECT_EQ(DWORD(REG_CREATED_NEW_KEY), disposition);
    RegCloseKey(key);
    key = SetKey("Browse", &disposition);
    ASSERT_NE(nullptr, key);
    EXPECT_EQ(DWORD(REG_OPENED_EXISTING_KEY), disposition);
    RegCloseKey(key);
    EXPECT_TRUE(p.sectionExists("Browse"));
}
