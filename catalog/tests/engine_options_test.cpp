// Passwords, "Verify Catalog", "JPEG Thumbnails", read-only catalogs on CD-ROM drives, records
// that do not match their entries, and counts that older readers would misread.
#include "bytes.h"
#include "catalog_index.h"
#include "dib_builder.h"
#include "catalog_builder.h"
#include "engine_fixture.h"
#include "kelint.h"
#include "ids_winhelpers.h"
#include "reference_image.h"
#include "test_volumes.h"

#include <gtest/gtest.h>

using namespace ct;

namespace {

struct Init {
    Init()
    {
        InitCatDll(&kt::testApp());
        InitKelInt(&kt::testApp()); // the JPEG library's mutex
    }
} g_init;

// A catalog written without the engine, protected by `password`: no password of it is known to
// this process yet.
void makeForeignProtected(TestCatalog& c, const char* name, const char* password)
{
    catfmt::CatalogBuilder b;
    b.addHeader(name, password);
    b.add("SECRET.GIF", "GIF87a", 40);
    ASSERT_TRUE(kt::writeFile(c.path, b.bytes));
    ASSERT_TRUE(kt::writeFile(c.file(".CIX"), b.indexFile(0)));
}

// A catalog with one record, protected by `password` (set through the "Add Password?" prompt).
void makeProtected(TestCatalog& c, const char* name, const char* password)
{
    lstrcpynA(c.d.catName, name, sizeof c.d.catName);
    std::strcpy(c.d.password, password);
    kt::DialogAnswerer add(IDOK, [&](HWND dlg) { kt::typeText(GetDlgItem(dlg, IDC_EMH_PASSWORD), password); });
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    ASSERT_EQ(1u, add.shown().size());
    EXPECT_EQ("Add Password?", add.shown()[0].title);
    EXPECT_EQ(std::string("Catalog '") + name + "' currently has no password. Do you want to add one?",
              dialogText(add.shown()[0]));
    EXPECT_STREQ(password, c.d.password);
    EXPECT_EQ(1, c.d.hasPassword);
    ASSERT_EQ(1, c.write(sampleRecord("SECRET.GIF")));
    ASSERT_EQ(1, CloseCatalog(&c.d, nullptr, 1));
    std::vector<uint8_t> cat = kt::readFile(c.path);
    ASSERT_GE(cat.size(), 374u);
    EXPECT_EQ(password, catfmt::decodePassword(cat.data() + catfmt::kPassword)) << "stored in the header record";
}

// Opens with `supplied` and the prompt answered by `answer` (typing `typed`); the open's result.
int openWith(TestCatalog& c, const char* supplied, int answer, const char* typed, std::vector<kt::Shown>* shown)
{
    std::strcpy(c.d.password, supplied);
    kt::DialogAnswerer prompt(answer, [&](HWND dlg) { kt::typeText(GetDlgItem(dlg, IDC_EMH_PASSWORD), typed); });
    const int result = OpenCatalog(&c.d, CAT_READWRITE, 0);
    *shown = prompt.shown();
    if (result)
        CloseCatalog(&c.d, nullptr, 1);
    return result;
}

TEST(CatalogPasswords, AddedPasswordIsStored)
{
    TestCatalog c;
    makeProtected(c, "Protected zero", "pw");
    std::vector<kt::Shown> shown;
    EXPECT_EQ(1, openWith(c, "pw", IDCANCEL, "", &shown));
    EXPECT_TRUE(shown.empty());
}

TEST(CatalogPasswords, PromptCancelTypedAndRemembered)
{
    TestCatalog c;
    makeForeignProtected(c, "Protected one", "s3cret");
    std::vector<kt::Shown> shown;
    EXPECT_EQ(0, openWith(c, "", IDCANCEL, "", &shown));
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ("Need Password", shown[0].title);
    EXPECT_EQ("Please enter the current password for catalog 'Protected one'", dialogText(shown[0]));
    EXPECT_EQ(1, c.d.openCancelled);

    EXPECT_EQ(0, openWith(c, "wrong", IDCANCEL, "", &shown));
    EXPECT_EQ(1u, shown.size()) << "a wrong password asks";

    // Typed right: it opens, and the password is remembered for the rest of the run.
    EXPECT_EQ(1, openWith(c, "", IDOK, "s3cret", &shown));
    EXPECT_EQ(1u, shown.size());
    EXPECT_EQ(1, openWith(c, "", IDCANCEL, "", &shown));
    EXPECT_TRUE(shown.empty()) << "the password cache answers";
}

TEST(CatalogPasswords, BypassTokenOpensWithoutAPrompt)
{
    TestCatalog c;
    makeForeignProtected(c, "Protected by token", "tok3n");
    std::strcpy(c.d.password, CAT_BYPASS_PASSWORD);
    kt::DialogAnswerer none(IDCANCEL);
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READ, 0));
    EXPECT_TRUE(none.shown().empty());
    EXPECT_STREQ("tok3n", c.d.password) << "the descriptor then holds the real password";
    EXPECT_EQ(1, c.d.hasPassword);
}

TEST(CatalogPasswords, OverridePasswordsAsksNothing)
{
    TestCatalog c;
    makeForeignProtected(c, "Protected two", "abc");
    kt::testApp().overridePasswords = 1;
    std::vector<kt::Shown> shown;
    const int opened = openWith(c, "", IDCANCEL, "", &shown);
    kt::testApp().overridePasswords = 0;
    EXPECT_EQ(1, opened);
    EXPECT_TRUE(shown.empty());
    std::vector<uint8_t> cat = kt::readFile(c.path);
    EXPECT_EQ("abc", catfmt::decodePassword(cat.data() + catfmt::kPassword)) << "the stored password stays";
}

TEST(CatalogVerify, MismatchDroppedSizesRepairedAndFlagsCopied)
{
    TestCatalog c;
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    for (const char* name : {"A.GIF", "B.GIF", "C.GIF"})
        ASSERT_EQ(1, c.write(sampleRecord(name, 1)));
    c.lookup("A.GIF");
    const IndexEntry a = c.d.current;
    c.lookup("C.GIF");
    const IndexEntry cc = c.d.current;
    ASSERT_EQ(1, CloseCatalog(&c.d, nullptr, 1));
    std::vector<uint8_t> cat = kt::readFile(c.path);
    std::memcpy(&cat[size_t(a.offset)], "Z.GIF", 6);                      // names another image
    kel::putU16(&cat[size_t(cc.offset) + catfmt::kDescriptionLength], 40); // sizes do not add up
    ASSERT_TRUE(kt::writeFile(c.path, cat));

    kt::testApp().verifyCatalog = 1;
    kt::DialogAnswerer dialogs(IDOK);
    const int opened = OpenCatalog(&c.d, CAT_READWRITE, 0);
    kt::testApp().verifyCatalog = 0;
    ASSERT_EQ(1, opened);
    ASSERT_EQ(1u, dialogs.shown().size());
    EXPECT_EQ("Error", dialogs.shown()[0].title);
    EXPECT_EQ("The catalog record for index entry 'A.GIF' does not match the index. The record will be deleted.",
              dialogText(dialogs.shown()[0]));
    CatalogVerifyReport report{};
    ASSERT_EQ(1, GetCatalogVerifyReport(&report));
    EXPECT_EQ(3, report.checked);
    EXPECT_EQ(1, report.dropped);
    EXPECT_EQ(1, report.repaired);
    EXPECT_EQ((std::vector<std::string>{"B.GIF", "C.GIF"}), c.names());
    bool found = false;
    EXPECT_EQ("Title of C.GIF", c.lookup("C.GIF", &found).title) << "the repaired record reads";
    c.lookup("B.GIF");
    const int32_t bOffset = c.d.current.offset;
    ASSERT_EQ(1, CloseCatalog(&c.d, nullptr, 1));
    cat = kt::readFile(c.path);
    EXPECT_EQ(0, kel::getU16(&cat[size_t(cc.offset) + catfmt::kDescriptionLength]));
    EXPECT_EQ(kEntryNew, cat[size_t(bOffset) + 13]) << "the entry's flags are copied into the record";
}

TEST(CatalogLookup, RecordThatDoesNotMatchIsDeleted)
{
    TestCatalog c;
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    ASSERT_EQ(1, c.write(sampleRecord("REAL.GIF")));
    c.lookup("REAL.GIF");
    const IndexEntry e = c.d.current;
    ASSERT_EQ(1, CloseCatalog(&c.d, nullptr, 1));
    std::vector<uint8_t> cat = kt::readFile(c.path);
    std::memcpy(&cat[size_t(e.offset)], "OTHER.GIF", 10);
    ASSERT_TRUE(kt::writeFile(c.path, cat));
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    kt::DialogAnswerer dialogs(IDOK);
    EXPECT_EQ(nullptr, LookupCatalog(&c.d, "REAL.GIF", 0));
    ASSERT_EQ(1u, dialogs.shown().size());
    EXPECT_EQ("The catalog record for index entry 'REAL.GIF' does not match the index. The record will be deleted.",
              dialogText(dialogs.shown()[0]));
    EXPECT_TRUE(c.names().empty());
}

TEST(CatalogThumbnails, JpegKeptOnlyWhenSmallerAndFromEightBits)
{
    struct Case {
        int bits;
        int side;
        bool jpeg; // expected form
    } cases[] = {{24, 64, true}, {8, 64, true}, {4, 64, false}, {24, 2, false}};
    kt::testApp().jpegThumbnails = 1;
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.bits) + " bits, " + std::to_string(k.side) + " pixels");
        TestCatalog c;
        ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
        // Smooth pictures (what JPEG is for): a colour ramp, or a grey ramp through the palette.
        std::vector<uint32_t> greys;
        for (int i = 0; k.bits < 24 && i < (1 << k.bits); ++i) {
            const uint32_t g = uint32_t(i * 255 / ((1 << k.bits) - 1));
            greys.push_back(g << 16 | g << 8 | g);
        }
        HGLOBAL dib = kt::makeDib(k.side, k.side, k.bits, greys, [&](int x, int y) {
            return k.bits == 24 ? uint32_t(x * 3) << 16 | uint32_t(y * 3) << 8 | 90u
                                : uint32_t((x + y) * ((1 << k.bits) - 1) / (2 * k.side - 2));
        });
        catfmt::Record r = sampleRecord("PIC.GIF");
        r.bits = int16_t(k.bits);
        ASSERT_EQ(1, c.write(r, dib));
        HGLOBAL rec = LookupCatalog(&c.d, "PIC.GIF", 0);
        ASSERT_NE(nullptr, rec);
        const uint32_t stored = decodeHandle(rec).thumbnailBytes;
        HGLOBAL back = ReadCatDib(GlobalLock(rec), reinterpret_cast<HANDLE>(c.d.hCat));
        GlobalUnlock(rec);
        GlobalFree(rec);
        ASSERT_NE(nullptr, back);
        std::vector<uint8_t> cat = kt::readFile(c.path); // shared read while open
        kt::RgbImage want, got;
        ASSERT_TRUE(kt::dibToRgb(dib, &want));
        ASSERT_TRUE(kt::dibToRgb(back, &got));
        ASSERT_EQ(want.pixels.size(), got.pixels.size());
        if (k.jpeg) {
            EXPECT_LT(stored, GlobalSize(dib)) << "the JPEG form is smaller";
            uint64_t error = 0;
            for (size_t i = 0; i < want.pixels.size(); ++i)
                for (int s : {0, 8, 16})
                    error += uint64_t(std::abs(int(want.pixels[i] >> s & 255) - int(got.pixels[i] >> s & 255)));
            EXPECT_LT(double(error) / double(want.pixels.size() * 3), 6.0);
        } else {
            EXPECT_EQ(GlobalSize(dib), stored);
            EXPECT_EQ(want.pixels, got.pixels);
        }
        GlobalFree(back);
        GlobalFree(dib);
    }
    kt::testApp().jpegThumbnails = 0;
}

// Counts older readers would misread: a thumbnail of 260 bytes (the old layout's marker in the
// low half) and a long-name count equal to the thumbnail count. Both still read back exactly.
TEST(CatalogThumbnails, CountsOfTheOldLayoutAreAvoided)
{
    TestCatalog c;
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READWRITE, 0));
    // 1-bit pictures: 40 header bytes, 8 of colours, 4 per row.
    HGLOBAL t260 = kt::makeDib(32, 53, 1, {0, 0xFFFFFF}, kt::pattern(1, 2)); // 40 + 8 + 4 × 53 = 260
    HGLOBAL t72 = kt::makeDib(16, 6, 1, {0, 0xFFFFFF}, kt::pattern(1, 2));   // 40 + 8 + 4 × 6 = 72
    ASSERT_EQ(260u, GlobalSize(t260));
    ASSERT_EQ(72u, GlobalSize(t72));
    const size_t size260 = GlobalSize(t260), size72 = GlobalSize(t72);
    std::string long71(70, 'n'); // with the point 71 characters: a count of 72 with the zero
    ASSERT_EQ(1, c.write(sampleRecord("A.GIF"), t72, long71 + ".")); // a long-name count of 72
    ASSERT_EQ(1, c.write(sampleRecord("B.GIF"), t260, "B long.gif"));
    ASSERT_EQ(1, CloseCatalog(&c.d, nullptr, 1));
    ASSERT_EQ(1, OpenCatalog(&c.d, CAT_READ, 0));
    for (const auto& [name, dib, size] : {std::tuple{"A.GIF", t72, size72}, std::tuple{"B.GIF", t260, size260}}) {
        SCOPED_TRACE(name);
        HGLOBAL rec = LookupCatalog(&c.d, name, 0);
        ASSERT_NE(nullptr, rec);
        HGLOBAL back = ReadCatDib(GlobalLock(rec), reinterpret_cast<HANDLE>(c.d.hCat));
        GlobalUnlock(rec);
        EXPECT_EQ(std::string(name) == "A.GIF" ? long71 + "." : "B long.gif", decodeHandle(rec).longName);
        GlobalFree(rec);
        ASSERT_NE(nullptr, back);
        std::vector<uint8_t> got = blockBytes(back), want = blockBytes(dib);
        got.resize(size); // a padding byte may follow
        EXPECT_EQ(want, got);
        GlobalFree(back);
    }
    GlobalFree(t260);
    GlobalFree(t72);
}

TEST(CatalogDrives, CatalogOnACdRomDriveIsReadOnly)
{
    KT_REQUIRE_TEST_VOLUMES();
    EXPECT_EQ(1, CDDriveCheck('K' - 'A'));
    EXPECT_EQ(0, CDDriveCheck('J' - 'A'));
    EXPECT_EQ(0, CDDriveCheck(25 + 1)) << "no drive past Z";
    // A catalog made elsewhere, then found on the CD.
    TestCatalog made;
    ASSERT_EQ(1, OpenCatalog(&made.d, CAT_READWRITE, 0));
    ASSERT_EQ(1, made.write(sampleRecord("ON.GIF")));
    ASSERT_EQ(1, CloseCatalog(&made.d, nullptr, 1));
    CreateDirectoryA("K:\\CATTEST", nullptr);
    for (const char* ext : {".CAT", ".CIX", ".CAX"})
        ASSERT_TRUE(kt::writeFile(std::string("K:\\CATTEST\\CD") + ext, kt::readFile(made.file(ext))));
    const std::vector<uint8_t> before = kt::readFile("K:\\CATTEST\\CD.CAT");
    CatalogDescriptor d;
    fillDescriptor(&d, "K:\\CATTEST\\CD.CAT");
    ASSERT_EQ(1, OpenCatalog(&d, CAT_READWRITE, 0));
    EXPECT_EQ(1, d.readOnly);
    EXPECT_GE(FindCix(&d, "ON.GIF"), 0);
    HGLOBAL h = recordHandle(sampleRecord("NEW.GIF"));
    EXPECT_EQ(0, WriteCatalog(&d, nullptr, nullptr, h, 0, "NEW.GIF", ""));
    GlobalFree(h);
    CloseCatalog(&d, nullptr, 1);
    CloseHandle(d.mutex);
    EXPECT_EQ(before, kt::readFile("K:\\CATTEST\\CD.CAT"));
    for (const char* ext : {".CAT", ".CIX", ".CAX"})
        DeleteFileA((std::string("K:\\CATTEST\\CD") + ext).c_str());
    RemoveDirectoryA("K:\\CATTEST");
}

} // namespace
