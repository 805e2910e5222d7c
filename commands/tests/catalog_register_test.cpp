// Adding catalog files to the list (by path, and from a CD's "KelCat.ini") and taking them off.
#include "registry_fixture.h"

#include "catalog_paths.h"
#include "test_volumes.h"

using Registration = RegistryTest;

TEST_F(Registration, AFileIsRegisteredUnderItsStoredNameOnce)
{
    kt::TempDir dir;
    const std::string path = dir.file("HOLIDAY.CAT");
    makeCatalog(path, "Holiday");
    Descriptor d;
    ASSERT_EQ(1, RegisterCatalogFile(dir.file("holiday.cix").c_str(), nullptr, d.get()));
    EXPECT_STREQ("Holiday", d->catName);
    // No "Catalogs" yet counts as one slot: the new one is the second.
    EXPECT_EQ(2, d->catalogNumber);
    EXPECT_EQ("2", get(main(), "Catalogs"));
    EXPECT_EQ("Holiday", get(main(), "Catalog2"));
    EXPECT_EQ(0, _stricmp(path.c_str(), get("Catalog-Holiday", "Filename").c_str()))
        << get("Catalog-Holiday", "Filename");
    EXPECT_EQ("0", get("Catalog-Holiday", "Read Only"));
    EXPECT_EQ("1", get("Catalog-Holiday", "Sequence"));
    EXPECT_EQ(nullptr, d->mutex);
    EXPECT_STREQ("", d->password);

    Descriptor again;
    EXPECT_EQ(2, RegisterCatalogFile(path.c_str(), nullptr, again.get())) << "registered already";
    EXPECT_STREQ("Holiday", again->catName);
    EXPECT_EQ("2", get(main(), "Catalogs"));

    // Another catalog whose header holds a registered name: it gets the slot's name.
    kt::TempDir other;
    makeCatalog(other.file("COPY.CAT"), "Holiday");
    Descriptor copy;
    ASSERT_EQ(1, RegisterCatalogFile(other.file("COPY.CAT").c_str(), nullptr, copy.get()));
    EXPECT_STREQ("Catalog3", copy->catName);
    EXPECT_EQ("Catalog3", get(main(), "Catalog3"));
    EXPECT_EQ("Catalog3", storedName(other.file("COPY.CAT"))) << "the header record takes the registered name";
}

TEST_F(Registration, AGivenNameIsStoredInTheCatalog)
{
    kt::TempDir dir;
    const std::string path = dir.file("SCANS.CAT");
    makeCatalog(path, "Old name");
    set(main(), "Catalogs", "1");
    set(main(), "Catalog1", "Taken");
    Descriptor d;
    EXPECT_EQ(0, RegisterCatalogFile(path.c_str(), "taken", d.get())) << "the name is in use";
    EXPECT_EQ(0, RegisterCatalogFile(path.c_str(), "With, comma", d.get()));
    EXPECT_EQ(0, RegisterCatalogFile(path.c_str(), "A name of thirty-two characters!", d.get()));
    EXPECT_EQ("1", get(main(), "Catalogs"));
    ASSERT_EQ(1, RegisterCatalogFile(path.c_str(), "Scans 2024", d.get()));
    EXPECT_EQ("Scans 2024", get(main(), "Catalog2"));
    EXPECT_EQ("Scans 2024", storedName(path));
    Descriptor found;
    ASSERT_EQ(1, FindCatalog("scans 2024", found.get()));
    ASSERT_EQ(1, OpenCatalog(found.get(), CAT_READ, CAT_SHARE_DENY_NONE));
    EXPECT_GE(FindCix(found.get(), "A.GIF"), 0);
    CloseCatalog(found.get(), nullptr, 1);
}

TEST_F(Registration, ForgettingMovesTheLaterSlotsDown)
{
    set(main(), "Catalogs", "4");
    const char* names[] = {"One", "Two", "Three", "Four"};
    for (int i = 0; i < 4; ++i) {
        set(main(), ("Catalog" + std::to_string(i + 1)).c_str(), names[i]);
        set(std::string("Catalog-") + names[i], "Filename", std::string("C:\\") + names[i] + ".CAT");
    }
    set(main(), "Default Catalog", "Catalog3");
    EXPECT_EQ(0, ForgetCatalog("Five"));
    ASSERT_EQ(1, ForgetCatalog("two"));
    EXPECT_EQ("3", get(main(), "Catalogs"));
    EXPECT_EQ("One", get(main(), "Catalog1"));
    EXPECT_EQ("Three", get(main(), "Catalog2"));
    EXPECT_EQ("Four", get(main(), "Catalog3"));
    bool found = true;
    profile.registryValue(main(), "Catalog4", &found);
    EXPECT_FALSE(found) << "the last slot is cleared";
    EXPECT_FALSE(profile.sectionExists("Catalog-Two"));
    EXPECT_EQ("Catalog2", get(main(), "Default Catalog")) << "the default follows its catalog";
    Descriptor d;
    ASSERT_EQ(1, FindCatalog("Four", d.get()));
    EXPECT_STREQ("C:\\Four.CAT", d->catPath);

    ASSERT_EQ(1, ForgetCatalog("Three"));
    EXPECT_EQ("Catalog1", get(main(), "Default Catalog")) << "the default itself went";
}

namespace {

// A catalog made elsewhere and copied onto the CD drive K: (label PHOTO.01).
struct CdFolder {
    std::string dir = "K:\\REG" + std::to_string(GetCurrentProcessId());
    CdFolder() { CreateDirectoryA(dir.c_str(), nullptr); }
    ~CdFolder()
    {
        for (const char* name : {"\\ONE", "\\TWO"})
            for (const char* ext : {".CAT", ".CIX", ".CAX"})
                DeleteFileA((dir + name + ext).c_str());
        RemoveDirectoryA(dir.c_str());
    }
    void put(const char* name, const std::string& made) const
    {
        for (const char* ext : {".CAT", ".CIX", ".CAX"})
            ASSERT_TRUE(kt::writeFile(dir + name + ext, kt::readFile(catfmt::withCatalogExtension(made, ext))));
    }
};

} // namespace

TEST_F(Registration, CatalogsOfACdListAreRegisteredReadOnlyOnce)
{
    KT_REQUIRE_TEST_VOLUMES();
    kt::TempDir made;
    makeCatalog(made.file("ONE.CAT"), "Cd one");
    makeCatalog(made.file("TWO.CAT"), "", "B.GIF");
    CdFolder cd;
    cd.put("\\ONE", made.file("ONE.CAT"));
    cd.put("\\TWO", made.file("TWO.CAT"));
    const std::vector<uint8_t> before = kt::readFile(cd.dir + "\\ONE.CAT");

    // The list names the catalogs on the drive the disc was made on (X:); the disc is in K:.
    kt::TempDir programDir;
    const std::string list = programDir.file("KelCat.ini");
    const std::string onDisc = "X" + cd.dir.substr(1);
    const std::string text = "[Catalog Info]\r\nCD Name=photo.01\r\ncatalog1=" + onDisc + "\\ONE.CAT\r\ncatalog2=" +
                             onDisc + "\\MISSING.CAT\r\ncatalog3=" + onDisc + "\\TWO.CAT\r\ncatalog5=" + onDisc +
                             "\\AFTERGAP.CAT\r\n";
    ASSERT_TRUE(kt::writeFile(list, std::vector<uint8_t>(text.begin(), text.end())));
    ASSERT_EQ(2, RegisterCDCatalogs(list.c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(list.c_str())) << "the list is taken over once";

    EXPECT_EQ("3", get(main(), "Catalogs"));
    EXPECT_EQ("Cd one", get(main(), "Catalog2"));
    EXPECT_EQ("Catalog3", get(main(), "Catalog3")) << "no stored name: the slot's name";
    EXPECT_EQ(cd.dir + "\\ONE.CAT", get("Catalog-Cd one", "Filename"));
    EXPECT_EQ("PHOTO01", get("Catalog-Cd one", "Volume Label"));
    EXPECT_EQ("1", get("Catalog-Cd one", "Read Only"));

    Descriptor d;
    ASSERT_EQ(1, FindCatalog("Cd one", d.get()));
    ASSERT_EQ(1, OpenCatalog(d.get(), CAT_READWRITE, CAT_SHARE_DENY_NONE)) << "its volume is the one in the drive";
    EXPECT_EQ(1, d->readOnly);
    EXPECT_GE(FindCix(d.get(), "A.GIF"), 0);
    CloseCatalog(d.get(), nullptr, 1);
    EXPECT_EQ(before, kt::readFile(cd.dir + "\\ONE.CAT")) << "nothing is written to the disc";
}

TEST_F(Registration, ACdListWaitsForItsDisc)
{
    KT_REQUIRE_TEST_VOLUMES();
    kt::TempDir programDir;
    const std::string list = programDir.file("KelCat.ini");
    const std::string text = "[Catalog Info]\r\nCD Name=NOT.IN.ANY.DRIVE\r\ncatalog1=X:\\ONE.CAT\r\n";
    ASSERT_TRUE(kt::writeFile(list, std::vector<uint8_t>(text.begin(), text.end())));
    EXPECT_EQ(0, RegisterCDCatalogs(list.c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(list.c_str())) << "kept for a later start";
    EXPECT_EQ(0, RegisterCDCatalogs(programDir.file("NONE.INI").c_str()));
}

TEST_F(Registration, TheEngineFindsRegisteredCatalogsByName)
{
    // IsItemCataloged asks the registry for the catalog of that name.
    kt::TempDir dir;
    makeCatalog(dir.file("KNOWN.CAT"), "Known", "HERE.GIF");
    Descriptor d;
    ASSERT_EQ(1, RegisterCatalogFile(dir.file("KNOWN.CAT").c_str(), nullptr, d.get()));
    EXPECT_EQ(1, IsItemCataloged("HERE.GIF", "known  "));
    EXPECT_EQ(0, IsItemCataloged("ELSEWHERE.GIF", "Known"));
    EXPECT_EQ(0, IsItemCataloged("HERE.GIF", "Unknown"));
}
