// kelcli catalog register / list / forget, catalogs named by their registered name, and
// format-date. Every kelcli run is a fresh process reading the profile.
#include "cli_profile.h"
#include "file_time.h"
#include "intl_settings.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::string jsonPath(std::string path)
{
    std::string out;
    for (char c : path)
        out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

} // namespace

TEST(CliRegistry, RegisteredCatalogsOutliveTheProcessAndAnswerToTheirNames)
{
    CliProfile p;
    kt::TempDir dir;
    const std::string file = dir.file("TRIP.CAT");
    std::string out, err;
    ASSERT_EQ(0, p.run("catalog", "put \"" + file + "\" ROME.JPG --title Rome", &out, &err)) << err;

    ASSERT_EQ(0, p.run("catalog", "register \"Trip 1996\" \"" + file + "\"", &out, &err)) << err;
    EXPECT_NE(std::string::npos, out.find("\"name\": \"Trip 1996\"")) << out;
    EXPECT_EQ("2", p.registryValue("Catalogs"));

    ASSERT_EQ(0, p.run("catalog", "list", &out, &err)) << err;
    ASSERT_EQ(1u, lines(out).size()) << out;
    EXPECT_NE(std::string::npos, out.find("\"slot\": 2, \"name\": \"Trip 1996\", \"file\": \"" + jsonPath(file) + "\""))
        << out;

    // The name stands for the file in every catalog command.
    ASSERT_EQ(0, p.run("catalog", "put \"trip 1996\" PISA.JPG --title Pisa", &out, &err)) << err;
    ASSERT_EQ(0, p.run("catalog", "get \"Trip 1996\" PISA.JPG", &out, &err)) << err;
    EXPECT_NE(std::string::npos, out.find("\"title\": \"Pisa\"")) << out;
    ASSERT_EQ(0, p.run("catalog", "dump \"Trip 1996\"", &out, &err)) << err;
    EXPECT_NE(std::string::npos, out.find("\"catalog\": \"Trip 1996\"")) << "the header record keeps the name: " << out;
    EXPECT_EQ(3u, lines(out).size()) << out;
    ASSERT_EQ(0, p.run("catalog", "verify \"Trip 1996\"", &out, &err)) << err;
    ASSERT_EQ(0, p.run("catalog", "delete \"Trip 1996\" ROME.JPG", &out, &err)) << err;
    ASSERT_EQ(0, p.run("catalog", "rebuild-index \"Trip 1996\"", &out, &err)) << err;

    // Registering the same file again changes nothing; under another name, or a taken name, fails.
    EXPECT_EQ(0, p.run("catalog", "register \"Trip 1996\" \"" + file + "\"", &out, &err)) << err;
    EXPECT_EQ(2, p.run("catalog", "register Other \"" + file + "\"", &out, &err));
    EXPECT_NE(std::string::npos, err.find("registered already, as Trip 1996")) << err;
    EXPECT_EQ(2, p.run("catalog", "register \"TRIP 1996\" \"" + dir.file("ELSE.CAT") + "\"", &out, &err));
    EXPECT_NE(std::string::npos, err.find("a catalog named TRIP 1996 is registered already")) << err;

    ASSERT_EQ(0, p.run("catalog", "forget \"Trip 1996\"", &out, &err)) << err;
    ASSERT_EQ(0, p.run("catalog", "list", &out, &err)) << err;
    EXPECT_EQ("", out);
    EXPECT_EQ(2, p.run("catalog", "dump \"Trip 1996\"", &out, &err)) << "no longer a name";
    EXPECT_EQ(2, p.run("catalog", "forget \"Trip 1996\"", &out, &err));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(file.c_str())) << "forgetting keeps the files";
}

TEST(CliRegistry, FormatDateAsARecordHoldsIt)
{
    kt::TempDir dir;
    const std::string file = dir.file("PHOTO.GIF");
    ASSERT_TRUE(makeDatedFile(file, 4321, 1996, 12, 31, 14, 5, 8));
    IntlSettings intl;
    intl.set("sDate", ".");
    intl.set("sTime", ":");
    intl.set("s1159", "AM");
    intl.set("s2359", "PM");
    const struct {
        const char *iDate, *iTime, *json;
    } cases[] = {
        {"1", "1", "{\"size\": \"4321\", \"date\": \"31.12.1996\", \"time\": \"14:05:08\"}"},
        {"0", "0", "{\"size\": \"4321\", \"date\": \"12.31.1996\", \"time\": \"02:05:08\"}"},
        {"2", "0", "{\"size\": \"4321\", \"date\": \"1996.12.31\", \"time\": \"02:05:08\"}"},
    };
    for (const auto& c : cases) {
        intl.set("iDate", c.iDate);
        intl.set("iTime", c.iTime);
        std::string out, err;
        ASSERT_EQ(0, kt::runProgram("kelcli.exe", "format-date \"" + file + "\"", &out, &err)) << err;
        EXPECT_EQ(std::string(c.json) + "\n", out);
    }
    std::string out, err;
    EXPECT_EQ(2, kt::runProgram("kelcli.exe", "format-date \"" + dir.file("NONE.GIF") + "\"", &out, &err));
    EXPECT_EQ(2, kt::runProgram("kelcli.exe", "format-date", &out, &err));
}
