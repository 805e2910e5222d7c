// Reading SGI files: every variant against the tools' own decodes, refused headers, channel
// counts, scanline edge cases, technical information, memory failures and cancelling.
#include "file_io.h"
#include "import_patch.h"
#include "keldll.h"
#include "reference_image.h"
#include "sgi_test_files.h"

#include <gtest/gtest.h>

using namespace sgi_test;

namespace {

using Rows = std::vector<std::vector<int>>;

} // namespace

// Every variant, made by ImageMagick and netpbm, against the tool's own decode.
TEST(SgiRead, FilesOfTheToolsDecodeAsTheToolsReadThem)
{
    struct Case {
        const char* name;
        int bits;
    } cases[] = {
        {"im_rgb", 24},      {"im_rgb_rle", 24},  {"im_rgba", 24},       {"im_rgba_rle", 24}, {"im_grey_rle", 8},
        {"nb_rgb", 24},      {"nb_rgb_rle", 24},  {"nb_grey_rle", 8},    {"nb_wide_rle", 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = kt::fixture(std::string("sgi\\") + c.name + ".sgi");
        ASSERT_FALSE(path.empty()) << "fixture missing";
        Decoded d = open(path);
        ASSERT_TRUE(d.dib);
        EXPECT_EQ(d.format, "RGB");
        const BITMAPINFOHEADER bi = kt::headerOf(d.dib.get());
        EXPECT_EQ(bi.biBitCount, c.bits);
        EXPECT_EQ(bi.biClrUsed, 256u);
        EXPECT_EQ(bi.biClrImportant, 256u);
        EXPECT_EQ(bool(d.palette), c.bits == 24) << "the palette variable is set for colour images only";
        kt::RgbImage want, got;
        ASSERT_TRUE(kt::readNetpbm(kt::fixture(std::string("sgi\\") + c.name + ".ref.ppm"), &want));
        ASSERT_TRUE(kt::dibToRgb(d.dib.get(), &got));
        EXPECT_EQ(kt::firstDifference(want, got), "");
    }
}

TEST(SgiRead, TechnicalInformationDescribesTheHeader)
{
    Decoded d = open(kt::fixture("sgi\\nb_rgb_rle.sgi"));
    ASSERT_TRUE(d.dib);
    EXPECT_EQ(d.tech, "Storage Format:Compressed\r\nNumber of channels:3\r\nNumber of dimensions: 3\r\n"
                      "Image Name: no name \r\nColormap ID: 0\r\n");
    d = open(kt::fixture("sgi\\im_grey_rle.sgi"));
    ASSERT_TRUE(d.dib);
    const std::string grey = "Storage Format:Compressed\r\nNumber of channels:1\r\nNumber of dimensions: 2\r\n";
    EXPECT_EQ(d.tech.substr(0, grey.size()), grey);
}

// Headers the codec cannot read: no record, one line of technical information each, checked in
// the order magic, storage, bytes per channel, dimension, colour map.
TEST(SgiRead, RefusedHeadersSayWhy)
{
    struct Case {
        const char* what;
        void (*change)(Header&);
        std::string tech;
    } cases[] = {
        {"magic", [](Header& h) { h.magic = 0xDA01; h.storage = 2; }, "Invalid magic value \r\n"},
        {"storage 2", [](Header& h) { h.storage = 2; h.bytesPerChannel = 2; }, "Invalid storage value, \x02 \r\n"},
        {"two bytes a channel", [](Header& h) { h.bytesPerChannel = 2; h.dimension = 1; },
         "Can't handle bytes per pixel value of \x02 \r\n"},
        {"one dimension", [](Header& h) { h.dimension = 1; h.colourMap = 1; }, "Can't handle 1 dimensions  \r\n"},
        {"colour map 3", [](Header& h) { h.colourMap = 3; }, "Can't handle color map value of , 3 \r\n"},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Header h;
        c.change(h);
        const std::string path = dir.file("r.sgi");
        ASSERT_TRUE(kt::writeFile(path, h.bytes(std::vector<uint8_t>(4, 9))));
        kel::File f = kel::File::openRead(path.c_str());
        HGLOBAL tech = nullptr;
        EXPECT_EQ(ReadRGBBitmapInfo(f.get(), nullptr, &tech, 1), nullptr);
        EXPECT_EQ(kt::techText(tech), c.tech);
        GlobalFree(tech);
        f.close();
        Decoded d = open(path);
        EXPECT_FALSE(d.dib);
        EXPECT_EQ(d.tech, c.tech);
    }
}

// One or two channels make an 8-bit grey image of the first; three or more a 24-bit image of
// the first three (red, green, blue). Verbatim and run-length files alike.
TEST(SgiRead, ChannelsTheImageIsMadeOf)
{
    // Channel planes of a 2 x 2 image, bottom row first: values 1x for channel 0, 2x, 3x, 4x.
    const std::vector<std::vector<uint8_t>> planes = {{10, 11, 12, 13}, {20, 21, 22, 23}, {30, 31, 32, 33},
                                                      {40, 41, 42, 43}};
    struct Case {
        uint16_t dimension, channels;
        Rows pixels; // top row first
    } cases[] = {
        {2, 1, {{12, 13}, {10, 11}}},
        {3, 2, {{12, 13}, {10, 11}}},
        {3, 3, {{0x0C1620, 0x0D1721}, {0x0A141E, 0x0B151F}}},
        {3, 4, {{0x0C1620, 0x0D1721}, {0x0A141E, 0x0B151F}}},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        for (bool runLength : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.channels << " channels, " << (runLength ? "run-length" : "verbatim"));
            Header h;
            h.dimension = c.dimension;
            h.channels = c.channels;
            std::vector<uint8_t> file;
            if (runLength) {
                std::vector<std::vector<uint8_t>> scanlines;
                for (int ch = 0; ch < c.channels; ++ch)
                    for (int r = 0; r < 2; ++r) // a literal packet of the row's two values
                        scanlines.push_back({0x82, planes[ch][2 * r], planes[ch][2 * r + 1], 0});
                file = h.runLength(scanlines);
            } else {
                std::vector<uint8_t> data;
                for (int ch = 0; ch < c.channels; ++ch)
                    data.insert(data.end(), planes[ch].begin(), planes[ch].end());
                file = h.bytes(data);
            }
            const std::string path = dir.file("c.sgi");
            ASSERT_TRUE(kt::writeFile(path, file));
            Decoded d = open(path);
            ASSERT_TRUE(d.dib);
            EXPECT_EQ(kt::headerOf(d.dib.get()).biBitCount, c.channels >= 3 ? 24 : 8);
            EXPECT_EQ(kt::indexRows(d.dib.get()), c.pixels);
            if (c.channels < 3) {
                EXPECT_EQ(kt::colourTable(d.dib.get(), 3), (std::vector<uint32_t>{0x00000001, 0x01010101, 0x02020201}));
                EXPECT_FALSE(d.palette);
            }
        }
    }
}

// Scanline packets: a closing zero count is optional, runs and literals past the row's end are
// cut there, a scanline that ends early leaves the rest of its row zero, and scanlines may be
// shared by rows.
TEST(SgiRead, ScanlineEdgeCases)
{
    struct Case {
        const char* what;
        std::vector<std::vector<uint8_t>> scanlines; // rows bottom first, width 4
        Rows pixels;                                 // top row first
    } cases[] = {
        {"with and without closing zero", {{0x03, 5, 0x81, 6, 0}, {0x03, 5, 0x81, 6}}, {{5, 5, 5, 6}, {5, 5, 5, 6}}},
        {"repeat past the row", {{0x7F, 9}, {0x02, 1, 0x02, 2}}, {{1, 1, 2, 2}, {9, 9, 9, 9}}},
        {"literal past the row", {{0x86, 1, 2, 3, 4, 5, 6}, {0x01, 7, 0x83, 8, 9, 10}}, {{7, 8, 9, 10}, {1, 2, 3, 4}}},
        {"ends early", {{0x02, 3, 0}, {0x81}}, {{0, 0, 0, 0}, {3, 3, 0, 0}}},
        {"empty scanline", {{}, {0x04, 8}}, {{8, 8, 8, 8}, {0, 0, 0, 0}}},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Header h;
        h.width = 4;
        const std::string path = dir.file("s.sgi");
        ASSERT_TRUE(kt::writeFile(path, h.runLength(c.scanlines)));
        Decoded d = open(path);
        ASSERT_TRUE(d.dib);
        EXPECT_EQ(kt::indexRows(d.dib.get()), c.pixels);
    }

    // Both rows pointing at one scanline.
    Header h;
    h.width = 4;
    std::vector<uint8_t> file = h.runLength({{0x04, 6}, {}});
    kel::putU32BE(&file[512 + 4], kel::getU32BE(&file[512]));
    kel::putU32BE(&file[512 + 12], 2);
    const std::string path = dir.file("shared.sgi");
    ASSERT_TRUE(kt::writeFile(path, file));
    Decoded d = open(path);
    ASSERT_TRUE(d.dib);
    EXPECT_EQ(kt::indexRows(d.dib.get()), (Rows{{6, 6, 6, 6}, {6, 6, 6, 6}}));
}

// A verbatim plane cut short ends that channel: its remaining rows and the later channels stay
// zero, and the image is still given.
TEST(SgiRead, ShortVerbatimPlanesLeaveZeros)
{
    Header h;
    h.channels = 3;
    kt::TempDir dir;
    const std::string path = dir.file("short.sgi");
    ASSERT_TRUE(kt::writeFile(path, h.bytes({10, 11, 12, 13, 20, 21, 22})));
    Decoded d = open(path);
    ASSERT_TRUE(d.dib);
    EXPECT_EQ(kt::indexRows(d.dib.get()), (Rows{{0x0C0000, 0x0D0000}, {0x0A1400, 0x0B1500}}));
}

// Headers no image can come of, and run-length files without their tables.
TEST(SgiRead, AbsurdHeadersAreRefused)
{
    struct Case {
        const char* what;
        Header h;
        size_t dataBytes;
    } cases[] = {
        {"no width", [] { Header h; h.width = 0; return h; }(), 64},
        {"no height", [] { Header h; h.height = 0; return h; }(), 64},
        {"no channels", [] { Header h; h.channels = 0; return h; }(), 64},
        {"65535 x 65535 in a small file", [] { Header h; h.width = h.height = 65535; return h; }(), 4096},
        {"run-length tables cut off", [] { Header h; h.storage = 1; h.height = 300; return h; }(), 100},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("a.sgi");
        ASSERT_TRUE(kt::writeFile(path, c.h.bytes(std::vector<uint8_t>(c.dataBytes, 0x41))));
        EXPECT_FALSE(open(path).dib);
    }
}

// Memory running out: the record shows "Create bit map failed" (only with warnings on); the
// image appends the application's text 1017 to the technical information.
TEST(SgiRead, OutOfMemoryIsReportedWhereThePartSays)
{
    struct Fail {
        static HGLOBAL WINAPI alloc(UINT, SIZE_T) { return nullptr; }
        static HGLOBAL WINAPI realloc(HGLOBAL, SIZE_T, UINT) { return nullptr; }
    };
    HMODULE sgi = GetModuleHandleA("KELSGI32.dll");
    const std::string path = kt::fixture("sgi\\nb_rgb.sgi");
    {
        kt::ImportPatch patch(sgi, "GlobalAlloc", kt::functionPointer(Fail::alloc));
        ASSERT_TRUE(patch.patched());
        kt::DialogAnswerer answerer;
        kel::File f = kel::File::openRead(path.c_str());
        EXPECT_EQ(ReadRGBBitmapInfo(f.get(), nullptr, nullptr, 1), nullptr);
        ASSERT_EQ(answerer.shown().size(), 1u);
        EXPECT_EQ(answerer.shown()[0].text, "Create bit map failed");
        SetFilePointerEx(f.get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN);
        EXPECT_EQ(ReadRGBBitmapInfo(f.get(), nullptr, nullptr, 0), nullptr);
        EXPECT_EQ(answerer.shown().size(), 1u) << "no message with warnings off";
    }
    kt::ImportPatch patch(sgi, "GlobalReAlloc", kt::functionPointer(Fail::realloc));
    ASSERT_TRUE(patch.patched());
    Decoded d = open(path);
    EXPECT_FALSE(d.dib);
    const std::string last = "Colormap ID: 0\r\nInsufficient memory available\r\n";
    ASSERT_GE(d.tech.size(), last.size());
    EXPECT_EQ(d.tech.substr(d.tech.size() - last.size()), last) << d.tech;
}

// The user's cancel, seen through the progress call after a row, ends the read.
TEST(SgiRead, CancelEndsTheRead)
{
    for (const char* name : {"sgi\\nb_rgb.sgi", "sgi\\nb_rgb_rle.sgi"}) {
        SCOPED_TRACE(name);
        WORD flag = 0;
        DisplayStatusBox(nullptr, &flag, 0);
        flag = 0;
        Decoded d = open(kt::fixture(name));
        DestroyStatus();
        EXPECT_FALSE(d.dib);
        EXPECT_FALSE(d.palette);
    }
}
