// Opening, writing, looking up, reading and deleting records through the engine.
#include "catalog_index.h"
#include "dib_builder.h"
#include "engine_fixture.h"
#include "file_io.h"

#include <gtest/gtest.h>

using namespace ct;

namespace {

struct Init {
    Init() { InitCatDll(&kt::testApp()); }
} g_init;

std::vector<uint8_t> dibBytes(HGLOBAL dib) { return blockBytes(dib); }

void expectSameFields(const catfmt::Record& want, const catfmt::Record& got)
{
    EXPECT_EQ(want.name, got.name);
    EXPECT_EQ(want.title, got.title);
    EXPECT_EQ(want.keywords, got.keywords);
    EXPECT_EQ(want.description, got.description);
    EXPECT_EQ(want.format, got.format);
    EXPECT_EQ(want.width, got.width);
    EXPECT_EQ(want.height, got.height);
    EXPECT_EQ(want.primaryPath, got.primaryPath);
    EXPECT_EQ(want.fileSize, got.fileSize);
}

TEST(CatalogEngine, NewCatalogWritesAndReadsBackAcrossAClose)
{
    TestCatalog c;
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, CAT_SHARE_DENY_NONE));
    EXPECT_EQ(0, c.d.index->entries);
    HGLOBAL thumb = kt::makeDib(40, 30, 8, kt::spreadColours(256), kt::pattern(8, 256));
    const std::vector<uint8_t> thumbBytes = dibBytes(thumb);
    ASSERT_EQ(1, c.write(sampleRecord("ZEBRA.GIF", 0), thumb, "Zebra at the zoo.gif"));
    ASSERT_EQ(1, c.write(sampleRecord("APE.GIF", 1)));
    ASSERT_EQ(1, c.write(sampleRecord("MOLE.GIF", 2), nullptr, "A mole without a thumbnail.gif"));
    GlobalFree(thumb);
    EXPECT_EQ((std::vector<std::string>{"APE.GIF", "MOLE.GIF", "ZEBRA.GIF"}), c.names());
    ASSERT_EQ(1, CloseCatalog(&c.d, nullptr, 1));

    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READ, CAT_SHARE_DENY_NONE));
    EXPECT_EQ(3, c.d.index->activeEntries);
    for (int n : {0, 1, 2}) {
        const catfmt::Record want = sampleRecord(n == 0 ? "ZEBRA.GIF" : n == 1 ? "APE.GIF" : "MOLE.GIF", n);
        SCOPED_TRACE(want.name);
        expectSameFields(want, c.lookup(want.name));
    }
    // By long name, and the thumbnail exactly as written.
    HGLOBAL rec = LookupCatalog(&c.d, "Zebra at the zoo.gif", 0);
    ASSERT_NE(nullptr, rec);
    EXPECT_EQ("Zebra at the zoo.gif", decodeHandle(rec).longName);
    HGLOBAL back = ReadCatDib(GlobalLock(rec), reinterpret_cast<HANDLE>(c.d.hCat));
    GlobalUnlock(rec);
    GlobalFree(rec);
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(thumbBytes, dibBytes(back));
    GlobalFree(back);
    // A record without a thumbnail: found, no picture, its long name kept by the long-name file.
    rec = LookupCatalog(&c.d, "A mole without a thumbnail.gif", 0);
    ASSERT_NE(nullptr, rec);
    EXPECT_EQ("MOLE.GIF", decodeHandle(rec).name);
    EXPECT_EQ(nullptr, ReadCatDib(GlobalLock(rec), reinterpret_cast<HANDLE>(c.d.hCat)));
    GlobalUnlock(rec);
    GlobalFree(rec);
    EXPECT_EQ("MOLE.GIF", std::string(GetLongShortName(&c.d, FindLongCix(&c.d, "A MOLE without a thumbnail.GIF"))));
}

TEST(CatalogEngine, UnknownAndOverlongNamesAreNotFound)
{
    TestCatalog c;
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    ASSERT_EQ(1, c.write(sampleRecord("ABCDEFGH.GIF")));
    EXPECT_EQ(0, FindCix(&c.d, "abcdefgh.gif")) << "names compare without case";
    EXPECT_EQ(-2, FindCix(&c.d, "ZZZ.GIF")) << "-(insertion position) - 1";
    EXPECT_EQ(-1, FindCix(&c.d, "ABCDEFGH.GIF.LONGER")) << "longer than 13 characters";
    HGLOBAL rec = LookupCatalog(&c.d, "NOPE.GIF", 0);
    ASSERT_NE(nullptr, rec);
    EXPECT_EQ(1574u, GlobalSize(rec));
    EXPECT_EQ(std::vector<uint8_t>(1574, 0), blockBytes(rec));
    EXPECT_EQ(0, c.d.current.name[0]);
    GlobalFree(rec);
}

// The free-slot rules: a record goes into the smallest free record that holds it; spare space
// larger than the record is split off as a free record, smaller spare space stays as slack.
TEST(CatalogEngine, FreeSlotsAreReusedAndSplit)
{
    struct Case {
        size_t freedDescription; // description length of the deleted record that leaves the slot
        bool split;
    } cases[] = {{1600, true}, {300, false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.freedDescription);
        TestCatalog c;
        ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
        catfmt::Record big = sampleRecord("BIG.GIF");
        big.description = std::string(k.freedDescription, 'd');
        ASSERT_EQ(1, c.write(big));
        ASSERT_EQ(1, c.write(sampleRecord("KEEP.GIF", 1)));
        c.lookup("BIG.GIF");
        const IndexEntry slot = c.d.current;
        ASSERT_EQ(0, DeleteCix(&c.d) < 0);
        catfmt::Record small = sampleRecord("NEW.GIF", 3); // odd: no description, 374 bytes
        ASSERT_EQ(1, c.write(small));
        c.lookup("NEW.GIF");
        EXPECT_EQ(slot.offset, c.d.current.offset) << "the free slot is reused";
        EXPECT_EQ(374, c.d.current.used);
        if (k.split) {
            EXPECT_EQ(374, c.d.current.allocated);
            const IndexEntry* rest = GetIndex(&c.d, 0);
            EXPECT_EQ(' ', rest->name[0]);
            EXPECT_EQ(slot.offset + 374, rest->offset);
            EXPECT_EQ(slot.allocated - 374, rest->allocated);
        } else {
            EXPECT_EQ(slot.allocated, c.d.current.allocated);
            EXPECT_EQ(slot.allocated - 374, c.lookup("NEW.GIF").slack);
        }
        ASSERT_EQ(1, CloseCatalog(&c.d, nullptr, 1));
        ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READ, 0));
        EXPECT_EQ((std::vector<std::string>{"KEEP.GIF", "NEW.GIF"}), c.names());
        expectSameFields(small, c.lookup("NEW.GIF"));
    }
}

TEST(CatalogEngine, RewrittenRecordMovesAndItsOldPlaceBecomesFree)
{
    TestCatalog c;
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    ASSERT_EQ(1, c.write(sampleRecord("A.GIF", 0)));
    ASSERT_EQ(1, c.write(sampleRecord("B.GIF", 1)));
    c.lookup("A.GIF");
    const IndexEntry before = c.d.current;
    catfmt::Record grown = sampleRecord("A.GIF", 0);
    grown.description = std::string(3000, 'x');
    ASSERT_EQ(1, c.write(grown, nullptr, "", 0));
    c.lookup("A.GIF");
    EXPECT_NE(before.offset, c.d.current.offset);
    EXPECT_EQ(int32_t(374 + 3000), c.d.current.used);
    const IndexEntry* freed = GetIndex(&c.d, 0);
    EXPECT_EQ(' ', freed->name[0]);
    EXPECT_EQ(before.offset, freed->offset);
    EXPECT_EQ(before.allocated, freed->allocated);
    // The old place's name is blanked in the catalog file; the record itself stays.
    ASSERT_EQ(1, CloseCatalog(&c.d, nullptr, 1));
    std::vector<uint8_t> cat = kt::readFile(c.path);
    EXPECT_EQ(std::string(12, ' '), std::string(cat.begin() + before.offset, cat.begin() + before.offset + 12));
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READ, 0));
    expectSameFields(grown, c.lookup("A.GIF"));
    EXPECT_EQ((std::vector<std::string>{"A.GIF", "B.GIF"}), c.names());
}

TEST(CatalogEngine, DeletingTheOnlyEntryLeavesOneFreeEntryAndNoSequence)
{
    TestCatalog c;
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    ASSERT_EQ(1, c.write(sampleRecord("ONLY.GIF")));
    c.lookup("ONLY.GIF");
    const IndexEntry was = c.d.current;
    EXPECT_EQ(0, DeleteCix(&c.d));
    ASSERT_EQ(1, c.d.index->entries);
    EXPECT_EQ(std::string(12, ' '), std::string(GetIndex(&c.d, 0)->name));
    EXPECT_EQ(0, static_cast<SequenceArray*>(c.d.sequence)->count);
    EXPECT_EQ(0, c.d.index->activeEntries);
    ASSERT_EQ(1, CloseCatalog(&c.d, nullptr, 1));
    std::vector<uint8_t> cat = kt::readFile(c.path);
    EXPECT_EQ(std::string(12, ' '), std::string(cat.begin() + was.offset, cat.begin() + was.offset + 12));
    EXPECT_EQ(100, cat[size_t(was.offset) + 14]) << "only the first 12 bytes change (the height stays)";
    // Deleting a name the index does not know.
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    std::strcpy(c.d.current.name, "GONE.GIF");
    kt::DialogAnswerer answer(IDOK);
    EXPECT_LT(DeleteCix(&c.d), 0);
}

// The user sequence: inserting at a position shifts the later ones; every live entry's number
// is its place in the sequence, and it survives a close.
TEST(CatalogEngine, UserSequenceFollowsWantedPositions)
{
    TestCatalog c;
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    const char* names[] = {"D.GIF", "B.GIF", "C.GIF", "A.GIF"};
    const int wanted[] = {0, 0, 1, 99}; // B before D, C between them, A last
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(1, c.write(sampleRecord(names[i], i), nullptr, "", wanted[i]));
    auto order = [&] {
        std::string s;
        const SequenceArray* seq = static_cast<SequenceArray*>(c.d.sequence);
        for (int k = 0; k < seq->count; ++k) {
            const IndexEntry* e = GetIndex(&c.d, seq->pairs[k].position);
            EXPECT_EQ(k, e->sequence) << e->name;
            s += e->name[0];
        }
        return s;
    };
    EXPECT_EQ("BCDA", order());
    ASSERT_EQ(1, CloseCatalog(&c.d, nullptr, 1));
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    EXPECT_EQ("BCDA", order());
    c.lookup("C.GIF");
    EXPECT_GT(DeleteCix(&c.d), 0);
    EXPECT_EQ("BDA", order());
}

TEST(CatalogEngine, IndexRebuiltWhenMissing)
{
    TestCatalog c;
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(1, c.write(sampleRecord("R" + std::to_string(4 - i) + ".GIF", i), nullptr, "", 0));
    ASSERT_EQ(1, CloseCatalog(&c.d, nullptr, 1));
    ASSERT_TRUE(DeleteFileA(c.file(".CIX").c_str()));
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    EXPECT_EQ((std::vector<std::string>{"R0.GIF", "R1.GIF", "R2.GIF", "R3.GIF", "R4.GIF"}), c.names());
    EXPECT_EQ("Test catalog", std::string(c.d.catName)) << "the header record keeps the name";
    for (int i = 0; i < 5; ++i)
        expectSameFields(sampleRecord("R" + std::to_string(4 - i) + ".GIF", i), c.lookup("R" + std::to_string(4 - i) + ".GIF"));
}

TEST(CatalogEngine, ShortIndexBringsUpIndexErrorOkRebuildsCancelLeavesClosed)
{
    for (int answer : {IDCANCEL, IDOK}) {
        TestCatalog c;
        ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(1, c.write(sampleRecord("P" + std::to_string(i) + ".GIF", i)));
        ASSERT_EQ(1, CloseCatalog(&c.d, nullptr, 1));
        std::vector<uint8_t> cix = kt::readFile(c.file(".CIX"));
        cix.resize(cix.size() - 32); // the header entry counts one entry more than the file holds
        ASSERT_TRUE(kt::writeFile(c.file(".CIX"), cix));
        kt::DialogAnswerer dialogs(answer);
        const int opened = OpenCatalog(&c.d, CAT_READWRITE, 0);
        ASSERT_EQ(1u, dialogs.shown().size());
        EXPECT_EQ("Index Error", dialogs.shown()[0].title);
        EXPECT_EQ("The Catalog index is corrupt and must be rebuilt. Alternate sequence info will be lost.",
                  dialogText(dialogs.shown()[0]));
        if (answer == IDCANCEL) {
            EXPECT_EQ(0, opened);
            EXPECT_EQ(1, c.d.openCancelled);
            EXPECT_EQ(0, c.d.openCount);
        } else {
            EXPECT_EQ(1, opened);
            EXPECT_EQ(3, c.d.index->activeEntries) << "the rebuild finds all three records";
        }
    }
}

TEST(CatalogEngine, ReopenWithCachedIndexComparesTheIndexTime)
{
    TestCatalog a;
    ASSERT_EQ(1, OpenCatalog(&a.d, CAT_READWRITE, 0));
    ASSERT_EQ(1, a.write(sampleRecord("FIRST.GIF")));
    ASSERT_EQ(1, CloseCatalog(&a.d, nullptr, 0)); // the index stays cached
    ASSERT_EQ(1, OpenCatalog(&a.d, CAT_READWRITE, 0)) << "nothing changed: no reload";
    ASSERT_EQ(1, CloseCatalog(&a.d, nullptr, 0));

    CatalogDescriptor b{};
    fillDescriptor(&b, a.path);
    ASSERT_EQ(1, OpenCatalog(&b, CAT_READWRITE, 0));
    HGLOBAL h = recordHandle(sampleRecord("SECOND.GIF", 1));
    ASSERT_EQ(1, WriteCatalog(&b, nullptr, nullptr, h, 99, "SECOND.GIF", ""));
    GlobalFree(h);
    ASSERT_EQ(1, CloseCatalog(&b, nullptr, 1));
    CloseHandle(b.mutex);

    EXPECT_EQ(2, OpenCatalog(&a.d, CAT_READWRITE, 0)) << "the index file changed within the same seconds";
    EXPECT_EQ((std::vector<std::string>{"FIRST.GIF", "SECOND.GIF"}), a.names());
    ASSERT_EQ(1, a.write(sampleRecord("THIRD.GIF", 2)));
    ASSERT_EQ(1, CloseCatalog(&a.d, nullptr, 1));
    ASSERT_EQ(1, OpenCatalog(&a.d, CAT_READ, 0));
    EXPECT_EQ((std::vector<std::string>{"FIRST.GIF", "SECOND.GIF", "THIRD.GIF"}), a.names());
}

} // namespace
