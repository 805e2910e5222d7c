// The rebuild scan over catalog files made in the test: intact, damaged, headerless, garbage.
#include "bytes.h"
#include "catalog_builder.h"
#include "catalog_index.h"
#include "catalog_rebuild.h"
#include "catalog_record.h"
#include "file_io.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace catfmt;

namespace {

struct Rebuilt {
    RebuildPlan plan;
    int64_t indexSize = -1;
    std::vector<uint8_t> catalogAfter;
    std::vector<IndexEntry> index;
};

Rebuilt rebuild(const kt::TempDir& dir, const std::vector<uint8_t>& catalog)
{
    Rebuilt out;
    const std::string cat = dir.file("TEST.CAT"), cix = dir.file("TEST.CIX");
    EXPECT_TRUE(kt::writeFile(cat, catalog));
    EXPECT_TRUE(kt::writeFile(cix, std::vector<uint8_t>(100, 0xAB))); // a destroyed index
    {
        kel::File f = kel::File::open(cat.c_str(), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
        EXPECT_TRUE(planRebuild(f, &out.plan));
        out.indexSize = applyRebuild(f, cix.c_str(), out.plan);
    }
    out.catalogAfter = kt::readFile(cat);
    std::vector<uint8_t> idx = kt::readFile(cix);
    out.index = decodeIndexFile(idx.data(), idx.size());
    EXPECT_EQ(int64_t(idx.size()), out.indexSize);
    return out;
}

void expectSameEntry(const IndexEntry& want, const IndexEntry& got)
{
    EXPECT_EQ(entryName(want), entryName(got));
    EXPECT_EQ(want.offset, got.offset) << entryName(want);
    EXPECT_EQ(want.allocated, got.allocated) << entryName(want);
    EXPECT_EQ(want.used, got.used) << entryName(want);
    EXPECT_EQ(0, got.sequence) << "rebuilt entries lose their user sequence";
    EXPECT_EQ(0, got.flags);
}

TEST(RebuildScan, IntactCatalogGivesTheSameEntriesInFileOrder)
{
    kt::TempDir dir;
    CatalogBuilder b;
    b.add("ZEBRA.GIF", "GIF87a", 1200, 0, "Zebra at the zoo.gif", "striped");
    b.addHeader("Animals");
    const size_t headerAt = b.bytes.size() - kFixedSize;
    b.add("APE.JPG", "JPEG", 3000, 100);
    b.add("CAT.PCX", "PCX", 0);
    Rebuilt r = rebuild(dir, b.bytes);
    ASSERT_EQ(4u, r.index.size());
    EXPECT_EQ(kIndexHeaderFlag, r.index[0].flags);
    EXPECT_EQ(int32_t(headerAt), r.index[0].offset);
    EXPECT_EQ(3, r.index[0].sequence);
    for (size_t i = 0; i < 3; ++i)
        expectSameEntry(b.entries[i], r.index[i + 1]);
    EXPECT_EQ(b.bytes, r.catalogAfter) << "an intact catalog with a header record is not touched";
    EXPECT_EQ(4 * 32, r.indexSize);
}

TEST(RebuildScan, WithoutHeaderRecordOneIsWrittenAtTheEnd)
{
    kt::TempDir dir;
    CatalogBuilder b;
    b.add("A.GIF", "GIF89a", 10);
    Rebuilt r = rebuild(dir, b.bytes);
    ASSERT_EQ(2u, r.index.size());
    EXPECT_EQ(int32_t(b.bytes.size()), r.index[0].offset);
    ASSERT_EQ(b.bytes.size() + kFixedSize, r.catalogAfter.size());
    EXPECT_TRUE(isHeaderRecord(&r.catalogAfter[b.bytes.size()]));
    EXPECT_EQ("", decodePassword(&r.catalogAfter[b.bytes.size() + kPassword]));
    EXPECT_EQ(0, r.catalogAfter[b.bytes.size() + kCatalogName]) << "no catalog name";
}

TEST(RebuildScan, DamagedRecordIsBridgedToTheNextRecordStart)
{
    kt::TempDir dir;
    CatalogBuilder b;
    b.add("ONE.GIF", "GIF87a", 50);
    IndexEntry broken = b.add("TWO.TIF", "TIFF", 50, 0, "", "some words");
    b.add("THREE.PNG", "PNG", 70);
    b.addHeader("Cat");
    kel::putU32(&b.bytes[size_t(broken.offset) + kThumbnailCount], 900000); // runs past the file
    Rebuilt r = rebuild(dir, b.bytes);
    ASSERT_EQ(4u, r.index.size());
    expectSameEntry(b.entries[0], r.index[1]);
    EXPECT_EQ("TWO.TIF", entryName(r.index[2]));
    EXPECT_EQ(broken.offset, r.index[2].offset);
    EXPECT_EQ(broken.allocated, r.index[2].allocated) << "bridged exactly to THREE.PNG";
    expectSameEntry(b.entries[2], r.index[3]);
    EXPECT_EQ(1, r.plan.damagedRecords);
    // The damaged fixed part was repaired: no thumbnail, description or long name, the rest slack.
    const uint8_t* fixed = &r.catalogAfter[size_t(broken.offset)];
    EXPECT_EQ(0u, kel::getU32(fixed + kThumbnailCount));
    EXPECT_EQ(0, kel::getU16(fixed + kDescriptionLength));
    EXPECT_EQ(broken.allocated - 374, kel::getU16(fixed + kSlack));
}

TEST(RebuildScan, DamagedLastRecordEndsAtTheFileEnd)
{
    kt::TempDir dir;
    CatalogBuilder b;
    b.addHeader("Cat");
    b.add("ONE.GIF", "GIF87a", 50);
    IndexEntry last = b.add("TWO.BMP", "BMP", 500);
    b.bytes.resize(b.bytes.size() - 200); // truncated inside its thumbnail
    Rebuilt r = rebuild(dir, b.bytes);
    ASSERT_EQ(3u, r.index.size());
    EXPECT_EQ(last.offset, r.index[2].offset);
    EXPECT_EQ(int32_t(b.bytes.size()) - last.offset, r.index[2].allocated)
        << "no entry claims bytes beyond the end of the file";
    EXPECT_EQ(b.bytes.size(), r.catalogAfter.size());
}

TEST(RebuildScan, OverlongNamesAndDeletedRecordsComeBackFree)
{
    kt::TempDir dir;
    CatalogBuilder b;
    b.addHeader("Cat");
    IndexEntry deleted = b.add("GONE.GIF", "GIF87a", 30);
    std::memset(&b.bytes[size_t(deleted.offset)], ' ', 12);
    IndexEntry overlong = b.add("X", "JPEG", 30);
    std::memset(&b.bytes[size_t(overlong.offset)], 'N', 13); // no terminator in the name field
    b.add("KEEP.GIF", "GIF87a", 30);
    Rebuilt r = rebuild(dir, b.bytes);
    ASSERT_EQ(4u, r.index.size());
    EXPECT_EQ(std::string(12, ' '), entryName(r.index[1]));
    EXPECT_EQ(std::string(12, ' '), entryName(r.index[2]));
    EXPECT_EQ("KEEP.GIF", entryName(r.index[3]));
    EXPECT_EQ(1, r.plan.liveEntries);
}

// Puts a short name at `start` and a zero-terminated format text 327 bytes further on.
void plantRecordStart(std::vector<uint8_t>& bytes, size_t start, const char* name, const char* format)
{
    std::memcpy(&bytes[start], name, std::strlen(name) + 1);
    std::memcpy(&bytes[start + kFormat], format, std::strlen(format) + 1);
}

TEST(RebuildScan, NextRecordSearchNeedsAFormatNameAndAShortName)
{
    kt::TempDir dir;
    const std::string path = dir.file("SEARCH.CAT");
    std::vector<uint8_t> bytes(5000, 'x');
    plantRecordStart(bytes, 817, "A.TIF", "tiff");   // case-insensitive
    plantRecordStart(bytes, 1673, "B.TGA", "targa");
    std::memcpy(&bytes[3000], "PNG", 4);             // a format text with no short name before it
    plantRecordStart(bytes, 3500, "C.JPG", "JPEGX"); // not followed by its zero
    ASSERT_TRUE(kt::writeFile(path, bytes));
    kel::File f = kel::File::openRead(path.c_str());
    EXPECT_EQ(817, findNextRecordStart(f, 0, 0));
    EXPECT_EQ(1673, findNextRecordStart(f, 818, 818));
    EXPECT_EQ(-1, findNextRecordStart(f, 1674, 1674));

    // A name in the last bytes of one 748-byte chunk is found at the start of the next.
    std::vector<uint8_t> split(2000, 'y');
    plantRecordStart(split, 745 - 327, "D.JPG", "JPEG");
    ASSERT_TRUE(kt::writeFile(path + "2", split));
    kel::File g = kel::File::openRead((path + "2").c_str());
    EXPECT_EQ(745 - 327, findNextRecordStart(g, 0, 0));
    EXPECT_EQ(-1, findNextRecordStart(g, 746, 0));
}

TEST(RebuildScan, GarbageHasNoIntactRecordAndTheScanEnds)
{
    kt::TempDir dir;
    std::mt19937 rng(1234);
    for (int round = 0; round < 20; ++round) {
        std::vector<uint8_t> junk(3000 + round * 977);
        for (auto& b : junk)
            b = uint8_t(rng());
        const std::string path = dir.file("JUNK.CAT");
        ASSERT_TRUE(kt::writeFile(path, junk));
        kel::File f = kel::File::openRead(path.c_str());
        RebuildPlan plan;
        ASSERT_TRUE(planRebuild(f, &plan));
        EXPECT_EQ(0, plan.intactRecords) << round;
        EXPECT_FALSE(plan.headerFound) << round;
        for (const IndexEntry& e : plan.entries)
            if (e.flags != kIndexHeaderFlag) {
                EXPECT_LE(int64_t(e.offset) + e.allocated, int64_t(junk.size())) << round;
            }
    }
}

} // namespace
