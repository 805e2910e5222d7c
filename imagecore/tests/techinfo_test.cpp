// The technical information block, the format summary and the file-name routine.
#include "bytes.h"
#include "keldll.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string techText(HGLOBAL block, DWORD* length = nullptr)
{
    kel::GlobalLocked<BYTE> p(block);
    const DWORD n = kel::getU32(p.get() + 4);
    if (length)
        *length = n;
    EXPECT_EQ(GlobalSize(block), kel::getU32(p.get())) << "first field holds the global size";
    EXPECT_EQ(0, p.get()[8 + n]) << "text is zero-terminated";
    return std::string(reinterpret_cast<char*>(p.get() + 8), n);
}

TEST(TechInfo, AddsCrLfOnlyAfterLinesWithoutLineFeed)
{
    HGLOBAL block = nullptr;
    EXPECT_EQ(1, TechInfoU(&block, "abc"));
    EXPECT_EQ(1, TechInfoU(&block, "def\n"));
    DWORD length = 0;
    EXPECT_EQ(std::string("abc\r\ndef\n"), techText(block, &length));
    EXPECT_EQ(9u, length);
    GlobalFree(block);
}

TEST(TechInfo, FormatsAndIgnoresEmptyInput)
{
    HGLOBAL block = nullptr;
    EXPECT_EQ(1, TechInfoU(&block, ""));
    EXPECT_EQ(nullptr, block) << "nothing to add creates no block";
    EXPECT_EQ(1, TechInfoU(nullptr, "x"));
    EXPECT_EQ(0, TechInfo(&block, nullptr));
    EXPECT_EQ(1, TechInfo(&block, "%s", ""));
    EXPECT_EQ(nullptr, block);
    EXPECT_EQ(1, TechInfo(&block, "Width: %d, Name: %s", 640, "pic.gif"));
    std::string longLine(1500, 'x');
    EXPECT_EQ(1, TechInfo(&block, "%s", longLine.c_str()));
    EXPECT_EQ("Width: 640, Name: pic.gif\r\n" + longLine + "\r\n", techText(block));
    GlobalFree(block);
}

TEST(FileNames, ExtractFileNameTakesThePartAfterTheLastSeparator)
{
    struct {
        const char* path;
        const char* name;
    } cases[] = {{"C:\\IMAGES\\TREES\\OAK.GIF", "OAK.GIF"}, {"A:B.GIF", "B.GIF"}, {"PLAIN.BMP", "PLAIN.BMP"},
                 {"", ""}, {"C:\\DIR\\", ""}};
    for (auto c : cases)
        EXPECT_STREQ(c.name, ExtractFileName(c.path)) << c.path;
}

TEST(FormatSpecs, ShowsTheSummaryOnlyWhileAStatusBoxIsOpen)
{
    InitKelDll(&kt::testApp());
    kt::StatusFrame frame;
    BITMAPINFOHEADER bi;
    InitBitmapInfoHeader(&bi, 640, 480, 8);
    kel::GlobalMem info(GlobalAlloc(GHND, 40 + 1024));
    std::memcpy(GlobalLock(info.get()), &bi, 40);
    GlobalUnlock(info.get());

    FormatSpecs(info.get(), "GIF87a");
    EXPECT_EQ("", frame.partText(2)) << "no status box, nothing shown";

    WORD goOn = 0;
    ASSERT_EQ(frame.progress(), DisplayStatusBox(frame.wnd(), &goOn, 0));
    FormatSpecs(info.get(), "GIF87a");
    EXPECT_EQ("Format: 640x480x256 GIF87a", frame.partText(2));
    DestroyStatus();
    EXPECT_EQ("", frame.partText(2)) << "closing the box clears the part";
}

TEST(GetFree, UnknownDriveHasNoFreeSpace)
{
    EXPECT_EQ(0u, GetFree(16)); // Q: is not mapped in the test prefix
    EXPECT_GT(GetFree(2), 0u);  // C:
}

} // namespace
