// The command line: catalog files, the thumbnail switch, a file with a catalog title, embedding.
#include "command_line.h"

#include <gtest/gtest.h>

namespace {

using kelapp::CommandLine;
using kelapp::parseCommandLine;

struct Case {
    const char* line;
    bool embedding, thumbnailView;
    const char* catalogFile;
    const char* file;
    const char* title;
};

// line | embedding | thumbnail view | catalog file | file | catalog title
const Case kCases[] = {
    {"", false, false, "", "", ""},
    {"-v", false, true, "", "", ""},
    {"/v", false, true, "", "", ""},
    {"-V", false, false, "", "", ""},
    {"C:\\PICS\\my-vacation.gif", false, false, "", "C:\\PICS\\my-vacation.gif", ""},
    {"C:\\CATS\\LOCATION.GIF", false, false, "", "C:\\CATS\\LOCATION.GIF", ""},
    {"D:\\CATALOGS\\HOLIDAY.CAT", false, true, "D:\\CATALOGS\\HOLIDAY.CAT", "", ""},
    {"d:\\catalogs\\holiday.cix", false, true, "d:\\catalogs\\holiday.cix", "", ""},
    {"\"C:\\My Catalogs\\Trips.cat\"", false, true, "C:\\My Catalogs\\Trips.cat", "", ""},
    {"C:\\PICS\\A.GIF,Holidays 1996", false, false, "", "C:\\PICS\\A.GIF", "Holidays 1996"},
    {"C:\\PICS\\A.GIF , Holidays   ", false, false, "", "C:\\PICS\\A.GIF", "Holidays"},
    {",Holidays", false, false, "", "", "Holidays"},
    {"C:\\PICS\\A.GIF,Summer-Winter", false, false, "", "C:\\PICS\\A.GIF", "Summer"},
    {"C:\\PICS\\A.GIF,A title that is far longer than thirty-one", false, false, "", "C:\\PICS\\A.GIF",
     "A title that is far longer than"},
    {"\"C:\\My Pictures\\a b.gif\",Trips", false, false, "", "C:\\My Pictures\\a b.gif", "Trips"},
    {"C:\\PICS\\A.GIF -x", false, false, "", "C:\\PICS\\A.GIF", ""},
    {"/Embedding", true, false, "", "", ""},
    {"-Embedding C:\\PICS\\A.GIF", true, false, "", "C:\\PICS\\A.GIF", ""},
    {"/embedding", false, false, "", "", ""},
    {"-x", false, false, "", "", ""},
};

TEST(CommandLine, CasesOfTheTable)
{
    for (const Case& c : kCases) {
        const CommandLine cl = parseCommandLine(c.line);
        EXPECT_EQ(c.embedding, cl.embedding) << "line: " << c.line;
        EXPECT_EQ(c.thumbnailView, cl.thumbnailView) << "line: " << c.line;
        EXPECT_EQ(c.catalogFile, cl.catalogFile) << "line: " << c.line;
        EXPECT_EQ(c.file, cl.file) << "line: " << c.line;
        EXPECT_EQ(c.title, cl.catalogTitle) << "line: " << c.line;
    }
}

} // namespace
