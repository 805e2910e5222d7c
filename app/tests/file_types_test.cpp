// The readable file types of the file dialogs: formats dropped by their switches and missing
// libraries, import filters from the registry, and the double-zero-terminated block.
#include "file_types.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

using namespace kelapp;

bool lists(const std::vector<FileType>& types, const std::string& firstExtension)
{
    return std::any_of(types.begin(), types.end(),
                       [&](const FileType& t) { return t.pattern.compare(0, 2 + firstExtension.size(), "*." + firstExtension) == 0; });
}

TEST(FileTypes, GatesOfTheResourceList)
{
    HINSTANCE self = GetModuleHandleA(nullptr);
    FileTypeGates all;
    all.hasVideo = all.hasSound = all.hasPhotoCd = all.hasMpeg = all.movIsQuickTime = true;
    const std::vector<FileType> full = resourceFileTypes(self, all);
    for (const char* ext : {"BMP", "GIF", "JPG", "PCX", "TIF", "EPS", "WPG", "CGM", "DRW", "AVI", "MOV", "WAV", "MID",
                            "PCD", "MPG", "*"})
        EXPECT_TRUE(lists(full, ext)) << ext << " with everything present";
    EXPECT_EQ("Windows Bitmap (*.BMP;*.DIB;*.RLE)", full.front().description);
    EXPECT_EQ("*.BMP;*.DIB;*.RLE", full.front().pattern);

    // switch or missing library | what goes | what stays
    const struct {
        void (*set)(FileTypeGates&);
        std::vector<const char*> gone, kept;
    } cases[] = {
        {[](FileTypeGates& g) { g.disableTif = true; }, {"TIF", "EPS"}, {"WPG", "PCX"}},
        {[](FileTypeGates& g) { g.disableWpg = true; }, {"WPG"}, {"CGM", "DRW"}},
        {[](FileTypeGates& g) { g.disableCgm = true; g.disableDrw = true; }, {"CGM", "DRW"}, {"WPG"}},
        {[](FileTypeGates& g) { g.hasVideo = false; }, {"AVI"}, {"MOV", "MPG"}},
        {[](FileTypeGates& g) { g.movIsQuickTime = false; }, {"MOV"}, {"AVI"}},
        {[](FileTypeGates& g) { g.hasSound = false; }, {"WAV", "MID"}, {"AVI"}},
        {[](FileTypeGates& g) { g.hasPhotoCd = false; }, {"PCD"}, {"BMP"}},
        {[](FileTypeGates& g) { g.hasMpeg = false; }, {"MPG"}, {"MOV"}},
    };
    for (const auto& c : cases) {
        FileTypeGates g = all;
        c.set(g);
        const std::vector<FileType> types = resourceFileTypes(self, g);
        EXPECT_EQ(full.size() - c.gone.size(), types.size());
        for (const char* ext : c.gone)
            EXPECT_FALSE(lists(types, ext)) << ext;
        for (const char* ext : c.kept)
            EXPECT_TRUE(lists(types, ext)) << ext;
    }
}

TEST(FileTypes, ImportFiltersOfTheRegistry)
{
    char key[96];
    snprintf(key, sizeof key, "Software\\KelgroveTest\\Filters%lu", GetCurrentProcessId());
    const std::string base = key;
    auto filter = [&](const char* name, const char* description, const char* extensions) {
        const std::string path = base + "\\" + name;
        RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), "Name", REG_SZ, description, DWORD(strlen(description) + 1));
        RegSetKeyValueA(HKEY_CURRENT_USER, path.c_str(), "Extensions", REG_SZ, extensions, DWORD(strlen(extensions) + 1));
    };
    filter("CorelDraw", "CorelDRAW", "CDR");
    filter("Enhanced", "Enhanced Metafile", "EMF;WMF");
    const std::string incomplete = base + "\\NoExtensions";
    RegSetKeyValueA(HKEY_CURRENT_USER, incomplete.c_str(), "Name", REG_SZ, "X", 2);
    std::vector<FileType> types = importFilterFileTypes(HKEY_CURRENT_USER, key);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\KelgroveTest");
    std::sort(types.begin(), types.end(), [](const FileType& a, const FileType& b) { return a.pattern < b.pattern; });
    ASSERT_EQ(2u, types.size());
    EXPECT_EQ("*CorelDRAW", types[0].description);
    EXPECT_EQ("*.CDR", types[0].pattern);
    EXPECT_EQ("*Enhanced Metafile", types[1].description);
    EXPECT_EQ("*.EMF;*.WMF", types[1].pattern);
    EXPECT_TRUE(importFilterFileTypes(HKEY_CURRENT_USER, key).empty()) << "no key, no filters";
}

TEST(FileTypes, BlockIsDoubleZeroTerminated)
{
    HGLOBAL block = fileTypeBlock({{"GIF (*.GIF)", "*.GIF"}, {"All", "*.*"}});
    ASSERT_NE(nullptr, block);
    const char expected[] = "GIF (*.GIF)\0*.GIF\0All\0*.*\0";
    ASSERT_GE(GlobalSize(block), sizeof expected);
    const char* p = static_cast<const char*>(GlobalLock(block));
    EXPECT_EQ(0, memcmp(expected, p, sizeof expected)) << "pairs, each text zero-terminated, then an empty text";
    GlobalUnlock(block);
    GlobalFree(block);
    HGLOBAL empty = fileTypeBlock({});
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(0, *static_cast<const char*>(GlobalLock(empty)));
    GlobalUnlock(empty);
    GlobalFree(empty);
}

TEST(FileTypes, QuickTimeMappingOfWinIni)
{
    char saved[64] = "";
    const bool had = GetProfileStringA("mci extensions", "MOV", "", saved, sizeof saved) > 0;
    WriteProfileStringA("mci extensions", "MOV", "QTWVIDEO");
    EXPECT_TRUE(movIsQuickTime());
    WriteProfileStringA("mci extensions", "MOV", "MPEGVideo");
    EXPECT_FALSE(movIsQuickTime());
    WriteProfileStringA("mci extensions", "MOV", had ? saved : nullptr);
}

} // namespace
