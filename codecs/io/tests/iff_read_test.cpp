// Reading IFF pictures: every variant against ilbmtoppm, chunk walking, colour tables,
// hold-and-modify and extra half-brite, masks, PBM rows, refused files and cancelling.
#include "dib_builder.h"
#include "file_io.h"
#include "io_test_files.h"
#include "keldll.h"
#include "reference_image.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace io_test;

namespace {

std::string written(const kt::TempDir& dir, const std::vector<uint8_t>& bytes, const char* name = "t.iff")
{
    const std::string path = dir.file(name);
    EXPECT_TRUE(kt::writeFile(path, bytes));
    return path;
}

void expectLikeReference(HGLOBAL dib, const std::string& referencePath)
{
    kt::RgbImage want, got;
    ASSERT_TRUE(kt::readNetpbm(referencePath, &want)) << referencePath;
    ASSERT_TRUE(kt::dibToRgb(dib, &got));
    EXPECT_EQ(kt::firstDifference(want, got), "");
}

std::vector<uint8_t> join(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

} // namespace

// Each variant ppmtoilbm writes, against ilbmtoppm.
TEST(IffRead, EveryVariantDecodesLikeTheReferenceDecoder)
{
    struct Case {
        const char* name;
        int bits;
    } cases[] = {
        {"nb_bilevel", 1}, {"nb_c5", 8},      {"nb_c16", 8},     {"nb_c16_raw", 8}, {"nb_c200", 8},
        {"nb_deep24", 24}, {"nb_deep24_raw", 24}, {"nb_ham6", 24}, {"nb_ham8", 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = kt::fixture(std::string("io\\") + c.name + ".iff");
        ASSERT_FALSE(path.empty()) << "fixture missing";
        Decoded d = openLbm(path);
        ASSERT_TRUE(d.dib);
        EXPECT_EQ(d.format, "IFF");
        EXPECT_EQ(headerOf(d.dib.get()).biBitCount, c.bits);
        EXPECT_EQ(d.palette.get() != nullptr, c.bits == 24) << "24-bit images get a display palette";
        expectLikeReference(d.dib.get(), kt::fixture(std::string("io\\") + c.name + ".ref.ppm"));
    }
}

// The sample set: a 4-plane Atari picture coded down its columns, a PBM with many chunks before BODY, and an
// extra half-brite picture whose map gives all 64 colours (the stored ones are shown).
TEST(IffRead, SampleFilesDecodeLikeTheirReferences)
{
    for (const char* name : {"zig_4bit_atari.iff", "zig_pbm_chunky.lbm", "zig_ehb.iff"}) {
        SCOPED_TRACE(name);
        const std::string path = kt::testData(std::string("iff/") + name);
        if (path.empty())
            GTEST_SKIP() << "shared sample set not present";
        Decoded d = openLbm(path);
        ASSERT_TRUE(d.dib);
        expectLikeReference(d.dib.get(), kt::testData(std::string("iff/ref/") + name + ".ref.pam"));
    }
}

TEST(IffRead, TechnicalInformationDescribesTheHeader)
{
    std::vector<uint8_t> head = bmhd(8, 1, 4, 1, 2);
    kel::putU16BE(&head[4], 5);
    kel::putU16BE(&head[6], uint16_t(-2));
    head[14] = 10;
    head[15] = 11;
    kt::TempDir dir;
    const std::vector<uint8_t> file =
        form("ILBM", {chunk("BMHD", head), chunk("CMAP", cmap(kt::spreadColours(16))), chunk("BODY", {0xF9, 0})});
    Decoded d = openLbm(written(dir, file));
    ASSERT_TRUE(d.dib);
    EXPECT_EQ(d.tech, "Number of planes = 4\r\nNumber of colors = 16\r\nImage origin: 5, -2\r\nCompressed\r\n"
                      "Masking byte = 2\r\nX aspect: 10, Y aspect: 11\r\n");
    EXPECT_EQ(d.format, "IFF");
}

// Chunk walking, colour tables and pixel forms of small built pictures.
TEST(IffRead, ChunksColourTablesAndPixels)
{
    const std::vector<uint32_t> redBlue = {0xFF0000, 0x0000FF};
    std::vector<uint32_t> base32;
    for (uint32_t i = 0; i < 32; ++i)
        base32.push_back(i * 0x080402);
    std::vector<uint32_t> many(300);
    for (size_t i = 0; i < many.size(); ++i)
        many[i] = uint32_t(i * 0x010101);
    std::vector<uint8_t> camgHalfBrite(4), camgHam(4);
    kel::putU32BE(&camgHalfBrite[0], 0x80);
    kel::putU32BE(&camgHam[0], 0x800);
    const std::vector<uint8_t> anno = chunk("ANNO", {'o', 'd', 'd'});
    std::vector<uint32_t> ham16(16);
    ham16[1] = 0x1A2B3C;

    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        std::vector<std::vector<int>> pixels; // top row first: indices, or 0xRRGGBB at 24 bits
        std::vector<uint32_t> table;          // the first entries of the colour table (may be empty)
    } cases[] = {
        {"odd chunks before BMHD and before BODY",
         form("ILBM", {anno, chunk("BMHD", bmhd(3, 1, 2)), anno, chunk("CMAP", cmap({1, 2, 3, 4})), anno,
                       chunk("BODY", planeRows({3, 2, 1}, 2))}),
         {{3, 2, 1}},
         {1, 2, 3, 4}},
        {"one plane keeps the map's colours",
         form("ILBM", {chunk("BMHD", bmhd(2, 1, 1)), chunk("CMAP", cmap(redBlue)), chunk("BODY", planeRows({1, 0}, 1))}),
         {{1, 0}},
         redBlue},
        {"one plane without a map: black and white",
         form("ILBM", {chunk("BMHD", bmhd(2, 1, 1)), chunk("BODY", planeRows({1, 0}, 1))}), {{1, 0}},
         {0x000000, 0xFFFFFF}},
        {"the mask plane after each row is skipped",
         form("ILBM", {chunk("BMHD", bmhd(3, 2, 1, 0, 1)), chunk("CMAP", cmap(redBlue)),
                       chunk("BODY", join({planeRows({1, 0, 1}, 1), planeRows({1, 1, 1}, 1), planeRows({0, 1, 1}, 1),
                                           planeRows({1, 1, 1}, 1)}))}),
         {{1, 0, 1}, {0, 1, 1}},
         redBlue},
        {"a map of 300 colours for 8 planes fills 256 entries",
         form("ILBM", {chunk("BMHD", bmhd(2, 1, 8)), chunk("CMAP", cmap(many)), chunk("BODY", planeRows({255, 7}, 8))}),
         {{255, 7}},
         {0, 0x010101, 0x020202}},
        {"5 colours in 3 planes: values are plain indices",
         form("ILBM", {chunk("BMHD", bmhd(2, 1, 3)), chunk("CMAP", cmap({9, 8, 7, 6, 5})),
                       chunk("BODY", planeRows({4, 6}, 3))}),
         {{4, 6}},
         {9, 8, 7, 6, 5, 0, 0, 0}},
        {"extra half-brite from the display mode",
         form("ILBM", {chunk("BMHD", bmhd(2, 1, 6)), chunk("CAMG", camgHalfBrite), chunk("CMAP", cmap(base32)),
                       chunk("BODY", planeRows({33, 1}, 6))}),
         {{33, 1}},
         {}},
        {"an odd map without its pad byte before BODY",
         [] {
             std::vector<uint8_t> f = form("ILBM", {chunk("BMHD", bmhd(1, 1, 1)), chunk("CMAP", cmap({0x112233}))});
             f.pop_back(); // the pad byte
             const std::vector<uint8_t> body = chunk("BODY", planeRows({1}, 1));
             f.insert(f.end(), body.begin(), body.end());
             return f;
         }(),
         {{1}},
         {0x112233, 0}},
        {"an odd map with its pad byte before another chunk",
         form("ILBM", {chunk("BMHD", bmhd(1, 1, 1)), chunk("CMAP", cmap({0x112233})), anno,
                       chunk("BODY", planeRows({0}, 1))}),
         {{0}},
         {0x112233, 0}},
        {"a PBM of odd width: rows of even length",
         form("PBM ", {chunk("BMHD", bmhd(3, 2, 8)), chunk("CMAP", cmap(base32)), chunk("BODY", {1, 2, 3, 0, 4, 5, 6, 0})}),
         {{1, 2, 3}, {4, 5, 6}},
         {}},
        {"a PBM of one plane",
         form("PBM ", {chunk("BMHD", bmhd(3, 1, 1)), chunk("CMAP", cmap(redBlue)), chunk("BODY", {1, 0, 1, 0})}),
         {{1, 0, 1}},
         redBlue},
        {"a compressed PBM row",
         form("PBM ", {chunk("BMHD", bmhd(5, 1, 8, 1)), chunk("BODY", {0xFC, 7, 0x00, 9})}), {{7, 7, 7, 7, 7}}, {}},
        {"hold-and-modify: a base colour, then red, green and blue changed in turn",
         form("ILBM", {chunk("BMHD", bmhd(4, 1, 6)), chunk("CAMG", camgHam), chunk("CMAP", cmap(ham16)),
                       chunk("BODY", planeRows({0x01, 0x25, 0x3F, 0x10}, 6))}),
         {{0x1A2B3C, 0x5A2B3C, 0x5AFB3C, 0x5AFB0C}},
         {}},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Decoded d = openLbm(written(dir, c.file));
        ASSERT_TRUE(d.dib);
        EXPECT_EQ(kt::indexRows(d.dib.get()), c.pixels);
        std::vector<uint32_t> table = colourTable(d.dib.get());
        if (table.size() > c.table.size())
            table.resize(c.table.size());
        EXPECT_EQ(table, c.table);
    }
}

// Extra half-brite: the upper 32 colours are the lower 32 halved; colours important counts 64.
TEST(IffRead, HalfBriteColoursWithoutADisplayMode)
{
    std::vector<uint32_t> base(32);
    base[5] = 0xFE8042;
    kt::TempDir dir;
    Decoded d = openLbm(written(dir, form("ILBM", {chunk("BMHD", bmhd(1, 1, 6)), chunk("CMAP", cmap(base)),
                                                     chunk("BODY", planeRows({37}, 6))})));
    ASSERT_TRUE(d.dib);
    EXPECT_EQ(colourTable(d.dib.get())[37], 0x7F4021u);
    EXPECT_EQ(headerOf(d.dib.get()).biClrUsed, 256u);
    EXPECT_EQ(headerOf(d.dib.get()).biClrImportant, 64u);
}

// Files that are no picture of a kind this codec reads give null; where the chunks break off or
// the rows run short, the technical information says so.
TEST(IffRead, RefusedFiles)
{
    const std::vector<uint8_t> body = chunk("BODY", std::vector<uint8_t>(8, 0));
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        const char* tech; // a line the technical information ends with, or null
    } cases[] = {
        {"not FORM", [&] { auto f = form("ILBM", {chunk("BMHD", bmhd(2, 2, 1)), body}); f[0] = 'X'; return f; }(),
         nullptr},
        {"an animation form", form("ANIM", {chunk("BMHD", bmhd(2, 2, 1)), body}), nullptr},
        {"no BMHD", form("ILBM", {body}), nullptr},
        {"a BMHD of 10 bytes", form("ILBM", {chunk("BMHD", std::vector<uint8_t>(10, 1)), body}), nullptr},
        {"12 planes", form("ILBM", {chunk("BMHD", bmhd(2, 2, 12)), body}), nullptr},
        {"no planes", form("ILBM", {chunk("BMHD", bmhd(2, 2, 0)), body}), nullptr},
        {"no width", form("ILBM", {chunk("BMHD", bmhd(0, 2, 1)), body}), nullptr},
        {"a PBM of 24 planes", form("PBM ", {chunk("BMHD", bmhd(2, 2, 24)), body}), nullptr},
        {"65535 x 65535 from a few bytes", form("ILBM", {chunk("BMHD", bmhd(0xFFFF, 0xFFFF, 8, 1)), body}), nullptr},
        {"no BODY", form("ILBM", {chunk("BMHD", bmhd(2, 2, 1))}), "Invalid IFF format\r\n"},
        {"a chunk length beyond the file",
         [] {
             auto f = form("ILBM", {chunk("BMHD", bmhd(2, 2, 1)), chunk("ANNO", {1, 2})});
             kel::putU32BE(&f[f.size() - 6], 0xFFFFFFF0u);
             return f;
         }(),
         "Invalid IFF format\r\n"},
        {"a CMAP cut short", [] { auto f = form("ILBM", {chunk("BMHD", bmhd(2, 2, 1)), chunk("CMAP", cmap({1, 2}))});
             f.resize(f.size() - 4);
             return f; }(),
         "Invalid IFF format\r\n"},
        {"uncompressed rows cut short", form("ILBM", {chunk("BMHD", bmhd(2, 9, 1)), chunk("BODY", {0, 0, 0, 0})}),
         "Decompression failure\r\n"},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = written(dir, c.file);
        Decoded d = openLbm(path);
        EXPECT_FALSE(d.dib);
        if (c.tech) {
            ASSERT_GE(d.tech.size(), std::strlen(c.tech)) << d.tech;
            EXPECT_EQ(d.tech.substr(d.tech.size() - std::strlen(c.tech)), c.tech);
        } else {
            EXPECT_EQ(d.tech, "");
            kel::File f = kel::File::openRead(path.c_str());
            EXPECT_EQ(ReadLBMBitmapInfo(f.get(), nullptr, nullptr), nullptr);
        }
    }
}

// A compressed stream that ends early decodes to zeros; a damaged one is read as it stands.
TEST(IffRead, CompressedRowsPastTheEndAreZero)
{
    kt::TempDir dir;
    Decoded d = openLbm(written(dir, form("ILBM", {chunk("BMHD", bmhd(16, 3, 1, 1)), chunk("CMAP", cmap({0, 0xFFFFFF})),
                                                     chunk("BODY", {0x01, 0xFF, 0xFF})})));
    ASSERT_TRUE(d.dib);
    const std::vector<int> ones(16, 1), zeros(16, 0);
    EXPECT_EQ(kt::indexRows(d.dib.get()), (std::vector<std::vector<int>>{ones, zeros, zeros}));
}

TEST(IffRead, InformationLeavesTheFileAtBody)
{
    kt::TempDir dir;
    const std::string path = written(dir, form("ILBM", {chunk("BMHD", bmhd(2, 1, 1)), chunk("CMAP", cmap({1, 2})),
                                                        chunk("BODY", {0, 0})}));
    kel::File f = kel::File::openRead(path.c_str());
    char format[8];
    kel::GlobalMem info(ReadLBMBitmapInfo(f.get(), format, nullptr));
    ASSERT_TRUE(info);
    EXPECT_STREQ(format, "IFF");
    char id[4] = {};
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(f.get(), id, 4, &got, nullptr));
    EXPECT_EQ(std::string(id, 4), "BODY");
}

TEST(IffRead, CancellingGivesNull)
{
    kt::TempDir dir;
    const std::string path =
        written(dir, form("ILBM", {chunk("BMHD", bmhd(16, 4, 1)), chunk("BODY", std::vector<uint8_t>(8, 0x55))}));
    WORD flag = 0;
    DisplayStatusBox(nullptr, &flag, 0);
    flag = 0;
    EXPECT_FALSE(openLbm(path).dib);
    DestroyStatus();
    EXPECT_TRUE(openLbm(path).dib);
}
