// Byte layouts of catalog records, index entries, long-name items and passwords.
#include "bytes.h"
#include "catalog_index.h"
#include "catalog_record.h"
#include "long_names.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace catfmt;

namespace {

Record sampleRecord()
{
    Record r;
    r.name = "OAK.GIF";
    r.height = 480;
    r.width = 640;
    r.bits = 8;
    r.primaryPath = "\\\\SERVER\\PICS\\TREES\\";
    r.primaryVolume = "PHOTOS1";
    r.backupPath = "\\TREES\\";
    r.backupVolume = "BACKUP";
    r.title = "An oak in autumn";
    r.keywords = "tree oak autumn";
    r.format = "GIF87a";
    r.fileSize = "123456";
    r.date = "12/31/1996";
    r.time = "23:59:58";
    return r;
}

TEST(CatalogRecord, EmptyDescriptionPutsTheLongNameRightAfterTheFixedPart)
{
    Record r = sampleRecord();
    r.longName = "An oak.gif";
    r.thumbnail = {40, 0, 0, 0};
    std::vector<uint8_t> bytes = encodeRecord(r);
    ASSERT_EQ(374u + 11u + 4u, bytes.size());
    EXPECT_EQ(0, kel::getU16(&bytes[369]));
    EXPECT_EQ(0, bytes[373]);
    EXPECT_EQ(11, kel::getU16(&bytes[367]));
    EXPECT_EQ(0, std::memcmp(&bytes[374], "An oak.gif", 11));
    EXPECT_EQ(0, std::memcmp(&bytes[327], "GIF87a", 7));
    EXPECT_EQ(480, kel::getI16(&bytes[14]));
    EXPECT_EQ(640, kel::getI16(&bytes[16]));
}

TEST(CatalogRecord, DescriptionBeginsInsideTheFixedPart)
{
    Record r = sampleRecord();
    r.description = "ab";
    r.longName = "L";
    r.thumbnail = {40};
    std::vector<uint8_t> bytes = encodeRecord(r);
    EXPECT_EQ(2, kel::getU16(&bytes[369]));
    EXPECT_EQ('a', bytes[373]);
    EXPECT_EQ('b', bytes[374]);
    EXPECT_EQ(0, bytes[375]);
    EXPECT_EQ('L', bytes[376]) << "the long name starts at 376";
    EXPECT_EQ(374u + 2 + 2 + 1, bytes.size());
}

TEST(CatalogRecord, RoundTripsEveryFieldAndBothThumbnailForms)
{
    std::vector<uint8_t> dibThumb(40 + 8, 0);
    dibThumb[0] = 40; // a packed DIB starts with its header size
    std::vector<uint8_t> jpegThumb = {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3, 0xFF, 0xD9};
    for (const auto& thumb : {dibThumb, jpegThumb, std::vector<uint8_t>{}}) {
        Record r = sampleRecord();
        r.description = "Line one\r\nLine two";
        r.longName = "An oak in autumn.gif";
        r.thumbnail = thumb;
        r.slack = 20;
        std::vector<uint8_t> bytes = encodeRecord(r);
        // Without a thumbnail the long name is left out: a thumbnail count of 0 would make
        // readers take the long-name count for a legacy thumbnail size.
        const std::string keptLongName = thumb.empty() ? "" : r.longName;
        EXPECT_EQ(374u + r.description.size() + (keptLongName.empty() ? 0 : keptLongName.size() + 1) + thumb.size() + 20,
                  bytes.size());
        EXPECT_EQ(usedSize(bytes.data()) + 20, bytes.size());
        Record back;
        ASSERT_TRUE(decodeRecord(bytes.data(), bytes.size(), &back));
        EXPECT_EQ(r.name, back.name);
        EXPECT_EQ(r.primaryPath, back.primaryPath);
        EXPECT_EQ(r.primaryVolume, back.primaryVolume);
        EXPECT_EQ(r.backupPath, back.backupPath);
        EXPECT_EQ(r.backupVolume, back.backupVolume);
        EXPECT_EQ(r.title, back.title);
        EXPECT_EQ(r.keywords, back.keywords);
        EXPECT_EQ(r.fileSize, back.fileSize);
        EXPECT_EQ(r.date, back.date);
        EXPECT_EQ(r.time, back.time);
        EXPECT_EQ(r.description, back.description);
        EXPECT_EQ(keptLongName, back.longName);
        EXPECT_EQ(thumb, back.thumbnail);
        EXPECT_EQ(20, back.slack);
        // Missing tails are a failure, not a read past the buffer.
        EXPECT_FALSE(decodeRecord(bytes.data(), 374 + 3, &back));
    }
}

TEST(CatalogRecord, TextsAreCutToTheirFields)
{
    Record r = sampleRecord();
    r.title = std::string(100, 'T');
    r.format = "TOOLONGFORMAT";
    std::vector<uint8_t> bytes = encodeRecord(r);
    Record back;
    ASSERT_TRUE(decodeRecord(bytes.data(), bytes.size(), &back));
    EXPECT_EQ(std::string(59, 'T'), back.title);
    EXPECT_EQ("TOOLONG", back.format);
    EXPECT_EQ(0, bytes[179 + 59]);
}

TEST(CatalogRecord, LegacyCountsAreNormalised)
{
    struct {
        uint32_t at363;
        uint16_t at367;
        uint32_t thumbnail;
        uint16_t longName;
    } cases[] = {
        // value at 363, value at 367 -> thumbnail count, long-name count
        {0, 1200, 1200, 0},                 // oldest: the 16-bit size lived at 367
        {(5000u << 16) | 260, 0, 5000, 0},  // marker 260 in the low half
        {(3u << 16) | 260, 2, 2 * 65536 + 3, 0},
        {900, 900, 900, 0},                 // both halves hold the same size
        {900, 12, 900, 12},                 // current layout
        {70000, 4, 70000, 4},
    };
    for (auto c : cases) {
        uint8_t fixed[kFixedSize] = {};
        kel::putU32(fixed + 363, c.at363);
        kel::putU16(fixed + 367, c.at367);
        Counts n = normalisedCounts(fixed);
        EXPECT_EQ(c.thumbnail, n.thumbnail) << c.at363 << "/" << c.at367;
        EXPECT_EQ(c.longName, n.longName) << c.at363 << "/" << c.at367;
        normaliseFixedPart(fixed);
        EXPECT_EQ(c.thumbnail, kel::getU32(fixed + 363));
        EXPECT_EQ(c.longName, kel::getU16(fixed + 367));
    }
}

TEST(CatalogPassword, EnciphersAndDecodes)
{
    for (const char* pw : {"", "a", "Secret12", "KELGROVE"}) {
        uint8_t field[8];
        encodePassword(pw, field);
        EXPECT_EQ(pw, decodePassword(field)) << pw;
    }
    uint8_t field[8];
    encodePassword("TooLongPassword", field);
    EXPECT_EQ("TooLongP", decodePassword(field));
    const uint8_t zeros[8] = {};
    EXPECT_EQ("", decodePassword(zeros)) << "eight zero bytes: no password, whatever the key";
}

TEST(CatalogHeader, HeaderRecordLayout)
{
    std::vector<uint8_t> h = encodeHeaderRecord("My Pictures", "pw");
    ASSERT_EQ(374u, h.size());
    EXPECT_TRUE(isHeaderRecord(h.data()));
    EXPECT_EQ("pw", decodePassword(&h[90]));
    EXPECT_STREQ("My Pictures", reinterpret_cast<char*>(&h[179]));
    EXPECT_EQ(0u, kel::getU32(&h[363]));
    EXPECT_EQ(0, kel::getU16(&h[371]));
}

TEST(IndexEntries, EncodeFieldByFieldAndDropTheLongNameReference)
{
    IndexEntry e = makeEntry("OAK.GIF", kEntryMarked, 1000, 900, 800, 7);
    e.longName = 0x12345678; // an in-memory reference never reaches the disk
    uint8_t raw[32];
    encodeEntry(e, raw);
    const uint8_t expected[32] = {'O', 'A', 'K', '.', 'G', 'I', 'F', 0, 0, 0, 0, 0, 0, 0x02, 0xE8, 0x03, 0, 0,
                                  0x84, 0x03, 0, 0, 0x20, 0x03, 0, 0, 7, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(expected, raw, 32));
    IndexEntry back = decodeEntry(raw);
    EXPECT_EQ("OAK.GIF", entryName(back));
    EXPECT_EQ(1000, back.offset);
    EXPECT_EQ(7, back.sequence);
    EXPECT_EQ(0u, back.longName);

    uint8_t head[32];
    encodeEntry(headerEntry(5000, 3), head);
    EXPECT_EQ(0xFE, head[13]);
    EXPECT_EQ(0xFFFF0001u, kel::getU32(head + 28));
    EXPECT_EQ(3, kel::getI16(head + 26));
    EXPECT_EQ(374, kel::getI32(head + 18));
}

TEST(IndexEntries, LegacyPasswordEntry)
{
    uint8_t raw[32] = {' '};
    raw[13] = 0xFF;
    encodePassword("old", raw + 14);
    IndexEntry e = decodeEntry(raw);
    ASSERT_TRUE(isLegacyPasswordEntry(e));
    uint8_t field[8];
    legacyPasswordBytes(e, field);
    EXPECT_EQ("old", decodePassword(field));
    raw[0] = 'A';
    EXPECT_FALSE(isLegacyPasswordEntry(decodeEntry(raw))) << "a named entry is not a password entry";
}

TEST(IndexEntries, OnlyHeaderMeansEmptyCatalog)
{
    std::vector<uint8_t> file = encodeIndexFile({headerEntry(0, 0)});
    std::vector<IndexEntry> entries = decodeIndexFile(file.data(), file.size());
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(kIndexHeaderFlag, entries[0].flags);
    file.resize(file.size() + 20); // a partial trailing entry is not an entry
    EXPECT_EQ(1u, decodeIndexFile(file.data(), file.size()).size());
}

TEST(LongNames, ItemsArePaddedToEvenByteCounts)
{
    std::vector<uint8_t> file;
    encodeLongNameItem({"ABCDE.GIF", "abcde"}, &file);
    encodeLongNameItem({"ABCDEF~1.GIF", "abcdef"}, &file);
    ASSERT_EQ(16u + 6 + 16 + 8, file.size());
    EXPECT_EQ(6, kel::getU16(&file[0]));
    EXPECT_EQ(8, kel::getU16(&file[22]));
    EXPECT_EQ(0, file[22 + 16 + 6]) << "zero pad byte";
    std::vector<LongNameItem> items = decodeLongNameFile(file.data(), file.size());
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ("ABCDE.GIF", items[0].shortName);
    EXPECT_EQ("abcde", items[0].longName);
    EXPECT_EQ("abcdef", items[1].longName);
}

TEST(LongNames, ZeroItemsAreSkippedAndOversizedOnesEndTheFile)
{
    std::vector<uint8_t> file(16, 0); // B = 0: skipped
    encodeLongNameItem({"A.GIF", "first"}, &file);
    const size_t bad = file.size();
    encodeLongNameItem({"B.GIF", "second"}, &file);
    kel::putU16(&file[bad], 300); // above 256: reading stops here
    encodeLongNameItem({"C.GIF", "third"}, &file);
    std::vector<LongNameItem> items = decodeLongNameFile(file.data(), file.size());
    ASSERT_EQ(1u, items.size());
    EXPECT_EQ("first", items[0].longName);
    // Truncated inside an item: what is complete survives.
    std::vector<uint8_t> cut(file.begin(), file.begin() + long(bad) + 10);
    EXPECT_EQ(1u, decodeLongNameFile(cut.data(), cut.size()).size());
}

} // namespace
