// kelcli catalog put / get / delete / verify, and several kelcli processes writing one catalog.
#include "catalog_builder.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

int kelcli(const std::string& arguments, std::string* out = nullptr, std::string* err = nullptr)
{
    return kt::runProgram("kelcli.exe", arguments, out, err);
}

TEST(CliCatalogEdit, PutGetDeleteRoundTrip)
{
    kt::TempDir dir;
    const std::string cat = "\"" + dir.file("NEW.CAT") + "\"";
    const std::string bmp = kt::testData("bmp/bmpsuite_rgb24.bmp");
    ASSERT_FALSE(bmp.empty());
    std::string out, err;
    ASSERT_EQ(0, kelcli("catalog put " + cat + " ZEBRA.BMP --long-name \"Zebra at the zoo.bmp\" --title \"A zebra\" "
                        "--keywords \"zoo stripes\" --description \"Two lines\\r\\nhere\" --format BMP --width 127 "
                        "--height 64 --thumbnail \"" + bmp + "\"", &out, &err)) << err;
    ASSERT_EQ(0, kelcli("catalog put " + cat + " APE.BMP --title Ape", &out, &err)) << err;
    // Changing one field keeps the others and the thumbnail.
    ASSERT_EQ(0, kelcli("catalog put " + cat + " ZEBRA.BMP --title \"Still a zebra\"", &out, &err)) << err;

    const std::string saved = dir.file("thumb.bmp");
    ASSERT_EQ(0, kelcli("catalog get " + cat + " \"zebra at the ZOO.bmp\" --thumbnail \"" + saved + "\"", &out, &err))
        << err;
    ASSERT_EQ(1u, lines(out).size()) << out;
    for (const char* part : {"\"name\": \"ZEBRA.BMP\"", "\"title\": \"Still a zebra\"", "\"keywords\": \"zoo stripes\"",
                             "\"long_name\": \"Zebra at the zoo.bmp\"", "\"width\": 127", "\"bits\": 24",
                             "\"format\": \"BMP\""})
        EXPECT_NE(std::string::npos, out.find(part)) << part << " in " << out;
    EXPECT_EQ(kt::readFile(bmp).size(), kt::readFile(saved).size()) << "the thumbnail comes back whole";

    ASSERT_EQ(0, kelcli("catalog delete " + cat + " APE.BMP", &out, &err)) << err;
    EXPECT_EQ(2, kelcli("catalog get " + cat + " APE.BMP", &out, &err));
    EXPECT_EQ(1u, lines(err).size()) << err;
    EXPECT_EQ(2, kelcli("catalog delete " + cat + " APE.BMP", &out, &err));
    ASSERT_EQ(0, kelcli("catalog dump " + cat, &out, &err)) << err;
    std::vector<std::string> l = lines(out);
    // The catalog line, two free entries (APE's, and ZEBRA's place before it was rewritten: a
    // record is never overwritten where it lies), ZEBRA.
    ASSERT_EQ(4u, l.size()) << out;
    EXPECT_NE(std::string::npos, l[3].find("ZEBRA.BMP"));

    ASSERT_EQ(0, kelcli("catalog verify " + cat, &out, &err)) << err;
    EXPECT_EQ("{\"checked\": 1, \"dropped\": 0, \"repaired\": 0, \"rewritten\": 0, \"entries\": 1}\n", out);
}

TEST(CliCatalogEdit, VerifyDropsARecordThatDoesNotMatchItsEntry)
{
    kt::TempDir dir;
    catfmt::CatalogBuilder b;
    b.addHeader("Verify me");
    b.add("GOOD.GIF", "GIF87a", 100, 0, "Good one.gif");
    b.add("BAD.GIF", "GIF87a", 100);
    const std::vector<uint8_t> index = b.indexFile(0); // the header record comes first
    std::memcpy(&b.bytes[size_t(b.entries[1].offset)], "WRONG.GIF", 10); // BAD's record names another image
    ASSERT_TRUE(kt::writeFile(dir.file("V.CAT"), b.bytes));
    ASSERT_TRUE(kt::writeFile(dir.file("V.CIX"), index));
    std::string out, err;
    ASSERT_EQ(0, kelcli("catalog verify \"" + dir.file("V.CAT") + "\"", &out, &err)) << err;
    EXPECT_EQ("{\"checked\": 2, \"dropped\": 1, \"repaired\": 0, \"rewritten\": 0, \"entries\": 1}\n", out);
    ASSERT_EQ(0, kelcli("catalog dump \"" + dir.file("V.CAT") + "\"", &out, &err)) << err;
    EXPECT_EQ(std::string::npos, out.find("BAD.GIF"));
    EXPECT_NE(std::string::npos, out.find("GOOD.GIF"));
}

// Several kelcli processes write the same catalog at once: they take turns on the catalog's
// named mutex, and every record survives.
TEST(CliCatalogEdit, ConcurrentWritersAllSurvive)
{
    kt::TempDir dir;
    const std::string cat = "\"" + dir.file("SHARED.CAT") + "\"";
    std::string err;
    ASSERT_EQ(0, kelcli("catalog put " + cat + " FIRST.GIF --title first", nullptr, &err)) << err;
    constexpr int kWriters = 6;
    int results[kWriters];
    std::string errors[kWriters];
    std::vector<std::thread> writers;
    for (int i = 0; i < kWriters; ++i)
        writers.emplace_back([&, i] {
            results[i] = kelcli("catalog put " + cat + " W" + std::to_string(i) + ".GIF --title \"writer " +
                                    std::to_string(i) + "\" --long-name \"Long name of writer " + std::to_string(i) + ".gif\"",
                                nullptr, &errors[i]);
        });
    for (std::thread& t : writers)
        t.join();
    for (int i = 0; i < kWriters; ++i)
        EXPECT_EQ(0, results[i]) << errors[i];
    std::string out;
    ASSERT_EQ(0, kelcli("catalog dump " + cat, &out, &err)) << err;
    EXPECT_EQ(kWriters + 2u, lines(out).size()) << out;
    for (int i = 0; i < kWriters; ++i) {
        EXPECT_NE(std::string::npos, out.find("\"title\": \"writer " + std::to_string(i) + "\"")) << out;
        std::string one;
        EXPECT_EQ(0, kelcli("catalog get " + cat + " \"Long name of writer " + std::to_string(i) + ".gif\"", &one, &err))
            << err;
    }
}

} // namespace
