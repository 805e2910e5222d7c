// kelcli catalog dump / rebuild-index, run as a separate process on catalogs written here.
#include "catalog_builder.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace catfmt;

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

struct SampleCatalog {
    kt::TempDir dir;
    std::string cat = dir.file("HOLIDAY.CAT"), cix = dir.file("HOLIDAY.CIX");
    CatalogBuilder b;

    SampleCatalog()
    {
        b.addHeader("Holiday 96", "pw");
        Record zebra;
        zebra.name = "ZEBRA.GIF";
        zebra.height = 480;
        zebra.width = 640;
        zebra.bits = 8;
        zebra.format = "GIF87a";
        zebra.fileSize = "123456";
        zebra.date = "12/31/1996";
        zebra.time = "11:59:58";
        zebra.title = "Zebra \"Zed\"";
        zebra.keywords = "zoo stripes";
        zebra.description = "Caf\xE9 by the zoo\r\nsecond line";
        zebra.longName = "Zebra at the zoo.gif";
        zebra.primaryPath = "\\\\PC\\PICS\\ZOO\\";
        zebra.primaryVolume = "PHOTOS";
        zebra.backupPath = "\\ZOO\\";
        zebra.backupVolume = "BACKUP1";
        zebra.thumbnail.assign(300, 7);
        zebra.slack = 12;
        b.add(zebra);
        b.add("APE.JPG", "JPEG", 0);
        IndexEntry gone = b.add("GONE.BMP", "BMP", 10);
        std::memset(&b.bytes[size_t(gone.offset)], ' ', 12);
        std::memset(b.entries.back().name, ' ', 12);
        EXPECT_TRUE(kt::writeFile(cat, b.bytes));
        EXPECT_TRUE(kt::writeFile(cix, b.indexFile(0)));
    }
};

// The record keys of ZEBRA.GIF as the dump prints them (texts turned into UTF-8 and escaped).
const char kZebraRecordKeys[] =
    "\"height\": 480, \"width\": 640, \"bits\": 8, \"format\": \"GIF87a\", \"file_size\": \"123456\", "
    "\"date\": \"12/31/1996\", \"time\": \"11:59:58\", \"title\": \"Zebra \\\"Zed\\\"\", \"keywords\": \"zoo stripes\", "
    "\"description\": \"Caf\xC3\xA9 by the zoo\\r\\nsecond line\", \"long_name\": \"Zebra at the zoo.gif\", "
    "\"primary_path\": \"\\\\\\\\PC\\\\PICS\\\\ZOO\\\\\", \"primary_volume\": \"PHOTOS\", \"backup_path\": \"\\\\ZOO\\\\\", "
    "\"backup_volume\": \"BACKUP1\", \"thumbnail_bytes\": 300, \"slack\": 12}";

// An entry's dump line: its index fields, then (for live entries) the record keys.
std::string entryLine(const IndexEntry& e, int sequence, const char* recordKeys)
{
    std::string line = "{\"name\": \"" + entryName(e) + "\", \"flags\": 0, \"offset\": " + std::to_string(e.offset) +
                       ", \"allocated\": " + std::to_string(e.allocated) + ", \"used\": " + std::to_string(e.used) +
                       ", \"sequence\": " + std::to_string(sequence);
    return recordKeys ? line + ", " + recordKeys : line + "}";
}

TEST(CliCatalog, DumpPrintsWhatWasWritten)
{
    SampleCatalog s;
    std::string out, err;
    ASSERT_EQ(0, kt::runProgram("kelcli.exe", "catalog dump \"" + s.cat + "\"", &out, &err)) << err;
    std::vector<std::string> l = lines(out);
    ASSERT_EQ(4u, l.size()) << out;
    EXPECT_EQ("{\"catalog\": \"Holiday 96\", \"password\": true, \"entries\": 3}", l[0]);
    EXPECT_EQ(entryLine(s.b.entries[2], 0, nullptr), l[1]) << "free entries sort first and carry no record keys";
    EXPECT_NE(std::string::npos, l[2].find("\"name\": \"APE.JPG\""));
    EXPECT_NE(std::string::npos, l[2].find("\"thumbnail_bytes\": 0"));
    // Loading numbers the live entries 0, 1, ... in their stored order (the free one had 0).
    EXPECT_EQ(entryLine(s.b.entries[0], 1, kZebraRecordKeys), l[3]);
}

TEST(CliCatalog, RebuiltIndexDumpsTheSameEntries)
{
    SampleCatalog s;
    std::string before, after, err;
    ASSERT_EQ(0, kt::runProgram("kelcli.exe", "catalog dump \"" + s.cat + "\"", &before));
    ASSERT_TRUE(kt::writeFile(s.cix, std::vector<uint8_t>(64, 0))); // destroyed index
    std::string count;
    ASSERT_EQ(0, kt::runProgram("kelcli.exe", "catalog rebuild-index \"" + s.cat + "\"", &count, &err)) << err;
    EXPECT_EQ("3\n", count);
    ASSERT_EQ(0, kt::runProgram("kelcli.exe", "catalog dump \"" + s.cat + "\"", &after, &err)) << err;
    // Same entries, sorted again by the load; the rebuilt sequence numbers were all 0, so the user
    // sequence is the name order.
    std::vector<std::string> a = lines(after);
    ASSERT_EQ(4u, a.size());
    EXPECT_EQ("{\"catalog\": \"Holiday 96\", \"password\": true, \"entries\": 3}", a[0]);
    EXPECT_NE(std::string::npos, a[1].find("\"name\": \"            \""));
    EXPECT_NE(std::string::npos, a[2].find("\"name\": \"APE.JPG\""));
    EXPECT_NE(std::string::npos, a[2].find("\"sequence\": 0"));
    EXPECT_EQ(entryLine(s.b.entries[0], 1, kZebraRecordKeys), a[3]);
    EXPECT_EQ(s.b.bytes, kt::readFile(s.cat)) << "an intact catalog is not changed by the rebuild";
}

TEST(CliCatalog, BadInputFailsWithOneLineAndChangesNothing)
{
    kt::TempDir dir;
    std::string out, err;

    EXPECT_EQ(2, kt::runProgram("kelcli.exe", "catalog dump \"" + dir.file("NONE.CAT") + "\"", &out, &err));
    EXPECT_EQ(1u, lines(err).size()) << err;
    EXPECT_EQ(2, kt::runProgram("kelcli.exe", "catalog rebuild-index \"" + dir.file("NONE.CAT") + "\"", &out, &err));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.file("NONE.CIX").c_str()));

    std::vector<uint8_t> junk(5000);
    for (size_t i = 0; i < junk.size(); ++i)
        junk[i] = uint8_t(i * 7919 % 251 + 1);
    ASSERT_TRUE(kt::writeFile(dir.file("JUNK.CAT"), junk));
    EXPECT_EQ(2, kt::runProgram("kelcli.exe", "catalog rebuild-index \"" + dir.file("JUNK.CAT") + "\"", &out, &err));
    EXPECT_EQ(1u, lines(err).size()) << err;
    EXPECT_EQ(junk, kt::readFile(dir.file("JUNK.CAT")));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.file("JUNK.CIX").c_str()));

    // An index of the wrong size, and one whose records were cut off.
    ASSERT_TRUE(kt::writeFile(dir.file("JUNK.CIX"), std::vector<uint8_t>(50, 1)));
    EXPECT_EQ(2, kt::runProgram("kelcli.exe", "catalog dump \"" + dir.file("JUNK.CAT") + "\"", &out, &err));
    EXPECT_EQ("", out);
    SampleCatalog s;
    std::vector<uint8_t> cut(s.b.bytes.begin(), s.b.bytes.begin() + 600);
    ASSERT_TRUE(kt::writeFile(s.cat, cut));
    EXPECT_EQ(2, kt::runProgram("kelcli.exe", "catalog dump \"" + s.cat + "\"", &out, &err));
    EXPECT_EQ(1u, lines(err).size()) << err;
    EXPECT_EQ(cut, kt::readFile(s.cat));
}

} // namespace
