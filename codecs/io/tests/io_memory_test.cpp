// Memory running out in the Targa and IFF readers: each failure is reported once, where it
// belongs (a message box for the Targa record, technical information for the rest).
#include "file_io.h"
#include "import_patch.h"
#include "io_test_files.h"

#include <gtest/gtest.h>

using namespace io_test;

namespace {

struct Fail {
    static HGLOBAL WINAPI alloc(UINT, SIZE_T) { return nullptr; }
    static HGLOBAL WINAPI realloc(HGLOBAL, SIZE_T, UINT) { return nullptr; }
};

std::string endOf(const std::string& text, size_t n) { return text.size() < n ? text : text.substr(text.size() - n); }

} // namespace

TEST(IoMemory, OutOfMemoryIsReportedOnce)
{
    HMODULE io = GetModuleHandleA("KELIO32.dll");
    ASSERT_TRUE(io);
    kt::TempDir dir;
    const std::string tga = dir.file("t.tga"), lbm = dir.file("t.iff");
    ASSERT_TRUE(kt::writeFile(tga, Tga{}.bytes({1, 2, 3})));
    ASSERT_TRUE(kt::writeFile(lbm, form("ILBM", {chunk("BMHD", bmhd(2, 1, 1)), chunk("BODY", planeRows({1, 0}, 1))})));
    const std::string noMemory = "Insufficient memory available\r\n";
    {
        kt::ImportPatch patch(io, "GlobalAlloc", kt::functionPointer(Fail::alloc));
        ASSERT_TRUE(patch.patched());
        kt::DialogAnswerer answerer;
        Decoded t = openTga(tga);
        EXPECT_FALSE(t.dib);
        ASSERT_EQ(answerer.shown().size(), 1u);
        EXPECT_EQ(answerer.shown()[0].text, "Create bit map failed");
        EXPECT_EQ(t.tech, "");

        Decoded l = openLbm(lbm);
        EXPECT_FALSE(l.dib);
        EXPECT_EQ(l.tech, "Unable to allocate space for bitmap\r\n");
        EXPECT_EQ(answerer.shown().size(), 1u) << "the IFF reader shows no message";
    }
    kt::ImportPatch patch(io, "GlobalReAlloc", kt::functionPointer(Fail::realloc));
    ASSERT_TRUE(patch.patched());
    kt::DialogAnswerer answerer;
    for (const std::string& path : {tga, lbm}) {
        SCOPED_TRACE(path);
        Decoded d = path == tga ? openTga(path) : openLbm(path);
        EXPECT_FALSE(d.dib);
        EXPECT_EQ(endOf(d.tech, noMemory.size()), noMemory) << d.tech;
        EXPECT_EQ(d.tech.find(noMemory), d.tech.size() - noMemory.size()) << "reported once";
    }
    EXPECT_TRUE(answerer.shown().empty());
}
