// The catalog list of the profile: slots in both forms, FindCatIndex, FindCatalog and
// UpdateCatalogEntry.
#include "registry_fixture.h"

using RegistryList = RegistryTest;

TEST_F(RegistryList, InlineSlotFillsTheDescriptorAndIsWrittenBackInTheCurrentForm)
{
    // An older profile: the whole description in the slot; the section supplies the directories.
    profile.writeIni("[" + main() + "]\r\nCatalogs=1\r\nCatalog1=Old,C:\\CATS\\OLD.CAT,*.GIF,PHOTOS,READONLY\r\n"
                     "[Catalog-Old]\r\nBuild Dir=C:\\BUILD\\\r\nLink DBF=C:\\DB\\K.DBF\r\n");
    Descriptor d;
    ASSERT_EQ(1, FindCatalog("old", d.get()));
    EXPECT_STREQ("old", d->catName) << "the name as asked";
    EXPECT_EQ(1, d->catalogNumber);
    EXPECT_STREQ("C:\\CATS\\OLD.CAT", d->catPath);
    EXPECT_STREQ("C:\\CATS\\OLD.CIX", d->cixPath);
    EXPECT_STREQ("*.GIF", d->extensions);
    EXPECT_STREQ("PHOTOS", d->volumeLabel);
    EXPECT_EQ(1, d->readOnly);
    EXPECT_EQ(1, d->alphabetical);
    EXPECT_STREQ("C:\\BUILD\\", d->buildDir);
    EXPECT_STREQ("C:\\DB\\K.DBF", d->linkDbf);
    EXPECT_STREQ("", d->moveDir);
    EXPECT_EQ(-1, d->hCat);

    lstrcpyA(d->catName, "Old");
    ASSERT_EQ(1, UpdateCatalogEntry(d.get()));
    EXPECT_EQ("Old", get(main(), "Catalog1"));
    const std::string section = "Catalog-Old";
    EXPECT_EQ("C:\\CATS\\OLD.CAT", get(section, "Filename"));
    EXPECT_EQ("*.GIF", get(section, "Extensions"));
    EXPECT_EQ("PHOTOS", get(section, "Volume Label"));
    EXPECT_EQ("1", get(section, "Read Only"));
    EXPECT_EQ("1", get(section, "Sequence"));
    EXPECT_EQ("C:\\BUILD\\", get(section, "Build Dir"));

    // Read back in the current form: the same descriptor.
    Descriptor again;
    ASSERT_EQ(1, FindCatalog("Old", again.get()));
    EXPECT_STREQ(d->catPath, again->catPath);
    EXPECT_STREQ(d->volumeLabel, again->volumeLabel);
    EXPECT_EQ(1, again->readOnly);
    EXPECT_EQ(1, again->alphabetical);
    EXPECT_STREQ("C:\\BUILD\\", again->buildDir);
}

TEST_F(RegistryList, InlineFieldsTable)
{
    const struct {
        const char* slot;
        const char* path;
        const char* label;
        int readOnly, alphabetical;
    } cases[] = {
        // slot value                                   path             label   RO  alpha
        {"A,C:\\MY CATS\\X.CAT,*.BMP,VOL", "C:\\MY", "VOL", 0, 1}, // the path ends at a space
        {"A,C:\\X.CAT,*.BMP,VOL,readonly", "C:\\X.CAT", "VOL", 1, 1},
        {"A,C:\\X.CAT,*.BMP,VOL,READONLYX", "C:\\X.CAT", "VOL", 0, 1},
        {"A,C:\\X.CAT,*.BMP,VOL,READONLY,Alpha", "C:\\X.CAT", "VOL", 1, 1},
        {"A,C:\\X.CAT,*.BMP,VOL,,Seq", "C:\\X.CAT", "VOL", 0, 0},
        {"A,C:\\X.CAT,*.BMP,VOL,READONLY,alpha", "C:\\X.CAT", "VOL", 1, 0},
        {"A,C:\\X.CAT,*.BMP, ", "C:\\X.CAT", " ", 0, 1},
    };
    for (const auto& c : cases) {
        set(main(), "Catalogs", "1");
        set(main(), "Catalog1", c.slot);
        Descriptor d;
        ASSERT_EQ(1, FindCatalog("A", d.get())) << c.slot;
        EXPECT_STREQ(c.path, d->catPath) << c.slot;
        EXPECT_STREQ(c.label, d->volumeLabel) << c.slot;
        EXPECT_EQ(c.readOnly, d->readOnly) << c.slot;
        EXPECT_EQ(c.alphabetical, d->alphabetical) << c.slot;
    }
}

TEST_F(RegistryList, NamesMatchWholeAndIgnoringCase)
{
    set(main(), "Catalogs", "4");
    set(main(), "Catalog1", "Photos");
    set(main(), "Catalog2", "");
    set(main(), "Catalog3", "Photo,C:\\P.CAT,*.GIF, ");
    set(main(), "Catalog4", "Scans");
    set("Catalog-Scans", "Filename", "D:\\SCANS\\SCANS.CAT");
    set("Catalog-Scans", "Sequence", "0");
    set("Catalog-Scans", "Read Only", "1");
    set("Catalog-Scans", "Volume Label", "DISK.1");
    EXPECT_EQ(1, FindCatIndex("PHOTOS"));
    EXPECT_EQ(3, FindCatIndex("photo"));
    EXPECT_EQ(4, FindCatIndex("Scans"));
    EXPECT_EQ(-1, FindCatIndex("Phot"));
    EXPECT_EQ(-1, FindCatIndex(""));
    EXPECT_EQ(4, kt::testApp().catalogCount);

    Descriptor d;
    ASSERT_EQ(1, FindCatalog("scans", d.get()));
    EXPECT_EQ(4, d->catalogNumber);
    EXPECT_STREQ("D:\\SCANS\\SCANS.CAT", d->catPath);
    EXPECT_STREQ("D:\\SCANS\\SCANS.CIX", d->cixPath);
    EXPECT_EQ(0, d->alphabetical);
    EXPECT_EQ(1, d->readOnly);
    EXPECT_STREQ("DISK.1", d->volumeLabel);

    EXPECT_EQ(0, FindCatalog("Unknown", d.get()));
    EXPECT_STREQ("Unknown", d->catName) << "the name asked for stays";
    lstrcpyA(d->catName, "Unknown");
    EXPECT_EQ(0, UpdateCatalogEntry(d.get()));
}

TEST_F(RegistryList, FindCatalogLetsGoOfACachedIndex)
{
    kt::TempDir dir;
    makeCatalog(dir.file("ONE.CAT"), "One");
    set(main(), "Catalogs", "2");
    set(main(), "Catalog1", "One");
    set("Catalog-One", "Filename", dir.file("ONE.CAT"));
    set(main(), "Catalog2", "Two");
    set("Catalog-Two", "Filename", dir.file("TWO.CAT"));
    Descriptor d;
    ASSERT_EQ(1, FindCatalog("One", d.get()));
    ASSERT_EQ(1, OpenCatalog(d.get(), CAT_READ, CAT_SHARE_DENY_NONE));
    CloseCatalog(d.get(), nullptr, 0); // the index stays cached
    ASSERT_NE(nullptr, d->indexBlock);
    HGLOBAL cached = d->indexBlock;
    ASSERT_EQ(1, FindCatalog("Two", d.get()));
    EXPECT_EQ(nullptr, d->indexBlock);
    EXPECT_EQ(nullptr, d->mutex);
    EXPECT_EQ(UINT(GMEM_INVALID_HANDLE), GlobalFlags(cached)) << "the cached index was freed";
    EXPECT_STREQ(dir.file("TWO.CAT").c_str(), d->catPath);
}
