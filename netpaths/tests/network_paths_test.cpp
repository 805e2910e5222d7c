// Network forms of paths and back, on the test volumes: a network drive N: connected to
// \\KELSRV\PHOTOS, local drives of each kind, a CD-ROM drive with no disc, a letter with no drive
// and a share no drive is connected to.
#include "net_test_app.h"
#include "shown_messages.h"
#include "test_volumes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Converted {
    int result;
    std::string path;
};

Converted toNet(const std::string& path)
{
    char buffer[260];
    std::strcpy(buffer, path.c_str());
    const int result = ConvertToNet(buffer);
    return {result, buffer};
}

Converted toLocal(const std::string& path)
{
    char buffer[260];
    std::strcpy(buffer, path.c_str());
    const int result = ConvertToLocal(buffer);
    return {result, buffer};
}

std::string withFreeDrive(const char* rest) { return std::string{kt::freeDriveLetter(), ':'} + rest; }

} // namespace

TEST(NetworkPaths, RoundTripForEachKindOfDrive)
{
    KT_REQUIRE_TEST_VOLUMES();
    netTestApp();
    ShownMessages messages;
    struct Case {
        std::string path;
        int toNetResult;
        std::string network; // after ConvertToNet
        std::string local;   // after ConvertToLocal of that
    } const cases[] = {
        // network drive: stored as the share's path, and back on the drive connected to it
        {"N:\\1996\\A.GIF", 1, "\\\\KELSRV\\PHOTOS\\1996\\A.GIF", "N:\\1996\\A.GIF"},
        {"n:\\1996", 1, "\\\\KELSRV\\PHOTOS\\1996", "N:\\1996"},
        {"N:\\", 1, "\\\\KELSRV\\PHOTOS\\", "N:\\"},
        // local drives (this machine shares nothing here): kept as they are
        {"J:\\SCANS\\B.GIF", 0, "J:\\SCANS\\B.GIF", "J:\\SCANS\\B.GIF"},
        {"K:\\IMAGES\\A.GIF", 0, "K:\\IMAGES\\A.GIF", "K:\\IMAGES\\A.GIF"},
        {"L:\\BACKUP\\D.GIF", 0, "L:\\BACKUP\\D.GIF", "L:\\BACKUP\\D.GIF"},
        // a volume that is not mounted, and a drive letter with no drive
        {"M:\\PICS\\A.GIF", 0, "M:\\PICS\\A.GIF", "M:\\PICS\\A.GIF"},
        {withFreeDrive("\\PICS\\A.GIF"), 0, withFreeDrive("\\PICS\\A.GIF"), withFreeDrive("\\PICS\\A.GIF")},
        // not a path on a drive letter
        {"PICS\\A.GIF", 0, "PICS\\A.GIF", "PICS\\A.GIF"},
    };
    for (const Case& c : cases) {
        const Converted net = toNet(c.path);
        EXPECT_EQ(c.toNetResult, net.result) << c.path;
        EXPECT_EQ(c.network, net.path) << c.path;
        const Converted local = toLocal(net.path);
        EXPECT_EQ(1, local.result) << net.path;
        EXPECT_EQ(c.local, local.path) << net.path;
    }
    EXPECT_TRUE(messages.texts.empty());
}

TEST(NetworkPaths, NoConversionWithoutUseNetNames)
{
    KT_REQUIRE_TEST_VOLUMES();
    AppState& app = netTestApp();
    app.useNetNames = 0;
    for (const char* path : {"C:\\PICS", "N:\\1996\\A.GIF"}) {
        const Converted net = toNet(path);
        EXPECT_EQ(0, net.result) << path;
        EXPECT_EQ(path, net.path);
    }
    app.useNetNames = 1;
}

TEST(NetworkPaths, LocalFormFindsTheConnectedDriveAndNotesItsConnection)
{
    KT_REQUIRE_TEST_VOLUMES();
    netTestApp();
    const Converted local = toLocal("\\\\kelsrv\\photos\\1996\\A.GIF");
    EXPECT_EQ(1, local.result);
    EXPECT_EQ("N:\\1996\\A.GIF", local.path) << "server and share names compare without case";
    EXPECT_STREQ("\\\\KELSRV\\PHOTOS", driveEntry('N').remote);
    EXPECT_STREQ("", driveEntry('J').remote);
}

TEST(NetworkPaths, UnreachableShareIsReportedOnceAndLeftAsItIs)
{
    KT_REQUIRE_TEST_VOLUMES();
    netTestApp();
    ShownMessages messages;
    // \\KELSRV\ARCHIVE has no drive letter, and connecting one fails (no network provider here).
    const std::string archive = "\\\\KELSRV\\ARCHIVE\\OLD\\C.GIF";
    const std::string unknown = "\\\\NOSUCHSERVER\\CD\\IMAGES";
    struct Step {
        std::string path;
        size_t messagesAfter;
    } const steps[] = {{archive, 1}, {archive, 1}, {unknown, 2}, {archive, 3}};
    for (const Step& s : steps) {
        const Converted local = toLocal(s.path);
        EXPECT_EQ(0, local.result) << s.path;
        EXPECT_EQ(s.path, local.path);
        EXPECT_EQ(s.messagesAfter, messages.texts.size()) << "after " << s.path;
    }
    ASSERT_EQ(3u, messages.texts.size());
    EXPECT_EQ("The network path '" + archive + "' cannot be located", messages.texts[0]);
    EXPECT_EQ("The network path '" + unknown + "' cannot be located", messages.texts[1]);
    EXPECT_EQ("Error", messages.title(0));
}

TEST(NetworkPaths, ThisMachinesSharesAreNotEnumerableHere)
{
    // This platform answers the share enumeration with "not supported": no share names, quietly.
    AppState& app = netTestApp();
    char buffer[260] = "unchanged";
    EXPECT_EQ(0, GetShareName(app.computerName, "C:\\windows", buffer, sizeof buffer));
    EXPECT_STREQ("unchanged", buffer);
    const std::string own = std::string("\\\\") + app.computerName + "\\C";
    EXPECT_EQ(0, GetSharePath(app.computerName, own.c_str(), buffer, sizeof buffer));
    EXPECT_EQ(0, GetSharePath("ANOTHERHOST", "\\\\ANOTHERHOST\\C", buffer, sizeof buffer));
    EXPECT_EQ(0, toNet("C:\\windows").result);
}
