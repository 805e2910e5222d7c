// Reading ICS images: the sample file against its reference, the roles of the order names, row
// order, every sample depth, the header's refusals, the technical information, memory failures
// and cancelling.
#include "codec_results.h"
#include "ics_test_files.h"
#include "import_patch.h"
#include "keldll.h"
#include "kelics.h"
#include "reference_image.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace ics_test;

namespace {

using Rows = std::vector<std::vector<int>>;

struct Decoded {
    kel::GlobalMem dib;
    std::string format, tech;
    kel::GdiObject<HPALETTE> palette;
};

Decoded open(const std::string& path)
{
    Decoded d;
    char format[16] = "";
    HGLOBAL tech = nullptr;
    HPALETTE palette = nullptr;
    d.dib.reset(OpenICS(path.c_str(), kt::testApp().appInstance, format, &tech, &palette, 0, 0));
    d.format = format;
    d.tech = kt::techText(tech);
    d.palette.reset(palette);
    if (tech)
        GlobalFree(tech);
    return d;
}

std::vector<uint8_t> bigEndian16(std::initializer_list<uint16_t> v)
{
    std::vector<uint8_t> out;
    for (uint16_t s : v)
        out.insert(out.end(), {uint8_t(s >> 8), uint8_t(s)});
    return out;
}

template <typename T> std::vector<uint8_t> bytesOf(std::initializer_list<T> v, bool bigEndian)
{
    std::vector<uint8_t> out;
    for (T s : v) {
        uint8_t b[sizeof(T)];
        std::memcpy(b, &s, sizeof b);
        if (bigEndian)
            std::reverse(b, b + sizeof b);
        out.insert(out.end(), b, b + sizeof b);
    }
    return out;
}

} // namespace

// The shared sample: unsigned 16-bit samples, least significant byte first, three dimensions
// (the first plane is shown). Each pixel is the sample's high byte.
TEST(IcsRead, SampleFileShowsTheHighBytesOfItsFirstPlane)
{
    const std::string path = kt::testData("ics/libics_testim_v1.ics");
    if (path.empty())
        GTEST_SKIP() << "shared sample set not present";
    Decoded d = open(path);
    ASSERT_TRUE(d.dib);
    EXPECT_EQ(d.format, "ICS");
    const BITMAPINFOHEADER bi = kt::headerOf(d.dib.get());
    EXPECT_EQ(bi.biWidth, 175);
    EXPECT_EQ(bi.biHeight, 105);
    EXPECT_EQ(bi.biBitCount, 8);
    kt::RgbImage want, got;
    ASSERT_TRUE(kt::readNetpbm(kt::testData("ics/ref/libics_testim_v1.ics.ref.pam"), &want));
    ASSERT_TRUE(kt::dibToRgb(d.dib.get(), &got));
    EXPECT_EQ(kt::firstDifference(want, got), "");
    ASSERT_TRUE(d.palette);
    EXPECT_EQ(ColorsInPalette(d.palette.get()), 256);
}

// Order bits, x, y with sizes 8, 256, 128: a 256 x 128 image; bits, y, x swaps the roles. Rows
// come top first with video coordinates, else bottom first.
TEST(IcsRead, OrderNamesAndCoordinates)
{
    struct Case {
        const char* what;
        std::string order, sizes, coordinates;
        int width, height;
        bool topFirst;
    } cases[] = {
        {"x second, video", "bits\tx\ty", "8\t256\t128", "video", 256, 128, true},
        {"X second, Video", "bits\tX\tY", "8\t256\t128", "Video", 256, 128, true},
        {"y second", "bits\ty\tx", "8\t256\t128", "video", 128, 256, true},
        {"x second, no coordinates", "bits\tx\ty", "8\t256\t128", "", 256, 128, false},
        {"x second, other coordinates", "bits\tx\ty", "8\t256\t128", "cartesian", 256, 128, false},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> lines = layout(c.order, c.sizes);
        if (!c.coordinates.empty())
            lines.push_back("layout\tcoordinates\t" + c.coordinates);
        std::vector<uint8_t> data(size_t(c.width) * c.height);
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = uint8_t(i / size_t(c.width)); // the row number
        Decoded d = open(write(dir, "o", header(lines), &data));
        ASSERT_TRUE(d.dib);
        const BITMAPINFOHEADER bi = kt::headerOf(d.dib.get());
        EXPECT_EQ(bi.biWidth, c.width);
        EXPECT_EQ(bi.biHeight, c.height);
        EXPECT_EQ(bi.biBitCount, 8);
        EXPECT_EQ(bi.biClrUsed, 256u);
        const Rows rows = kt::indexRows(d.dib.get());
        EXPECT_EQ(rows.front().front(), c.topFirst ? 0 : (c.height - 1) & 0xFF);
        EXPECT_EQ(rows.back().front(), c.topFirst ? (c.height - 1) & 0xFF : 0);
    }
}

// Wider samples always come top first. 16-bit samples give their high byte, the top bit
// inverted unless the data is unsigned; 32- and 64-bit real samples their integer part within
// 0..255; the byte order line says which byte comes first.
TEST(IcsRead, SampleDepths)
{
    const float nan = std::nanf("");
    struct Case {
        const char* what;
        std::string sizes;
        std::vector<std::string> representation;
        std::vector<uint8_t> data; // 2 x 2 samples, top row first
        Rows pixels;
    } cases[] = {
        {"16 bits, signed by default", "16\t2\t2", {}, bigEndian16({0x8000, 0x7FFF, 0x0000, 0xFFFF}), {{0, 255}, {128, 127}}},
        {"16 bits, signed", "16\t2\t2", {"representation\tsign\tsigned"}, bigEndian16({0x8000, 0x7FFF, 0x1234, 0x00FF}),
         {{0, 255}, {0x92, 0x80}}},
        {"16 bits, unsigned", "16\t2\t2", {"representation\tsign\tunsigned"}, bigEndian16({0x8000, 0x7FFF, 0x1234, 0x00FF}),
         {{0x80, 0x7F}, {0x12, 0x00}}},
        {"16 bits, unsigned, little-endian", "16\t2\t2",
         {"representation\tsign\tunsigned", "representation\tbyte_order\t1\t2"}, {0x00, 0x80, 0xFF, 0x7F, 0x34, 0x12, 0xFF, 0x00},
         {{0x80, 0x7F}, {0x12, 0x00}}},
        {"32-bit reals", "32\t2\t2", {"representation\tformat\treal"}, bytesOf<float>({300.0f, 100.7f, -5.0f, nan}, true),
         {{255, 100}, {0, 0}}},
        {"32-bit reals, little-endian", "32\t2\t2", {"representation\tbyte_order\t1\t2\t3\t4"},
         bytesOf<float>({0.5f, 255.0f, 255.5f, 17.0f}, false), {{0, 255}, {255, 17}}},
        {"32-bit integers, unsigned", "32\t2\t2", {"representation\tformat\tinteger", "representation\tsign\tunsigned"},
         bytesOf<uint32_t>({0xFF000000u, 0x01FFFFFFu, 0x80000000u, 0x7FFFFFFFu}, true), {{255, 1}, {128, 127}}},
        {"64-bit reals", "64\t2\t2", {"representation\tformat\treal"}, bytesOf<double>({100.0, 1e300, -1.0, 254.99}, true),
         {{100, 255}, {0, 254}}},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> lines = layout("bits\tx\ty", c.sizes);
        lines.insert(lines.end(), c.representation.begin(), c.representation.end());
        Decoded d = open(write(dir, "s", header(lines), &c.data));
        ASSERT_TRUE(d.dib);
        EXPECT_EQ(kt::headerOf(d.dib.get()).biBitCount, 8);
        EXPECT_EQ(kt::indexRows(d.dib.get()), c.pixels);
    }
}

// 1-, 4- and 8-bit rows are copied as they stand; the colour table is a grey ramp of the depth
// (black and white for 1 bit).
TEST(IcsRead, SmallDepthsAndTheirGreyTables)
{
    struct Case {
        int bits;
        std::vector<uint8_t> data; // 4 x 2, top row first (video)
        Rows pixels;
        std::vector<uint32_t> table;
    } cases[] = {
        {1, {0xA0, 0x50}, {{1, 0, 1, 0}, {0, 1, 0, 1}}, {0x00000001, 0xFFFFFF01}},
        {4, {0x0F, 0x18, 0x21, 0x3E}, {{0, 15, 1, 8}, {2, 1, 3, 14}}, {0x00000001, 0x11111101, 0x22222201}},
        {8, {0, 1, 2, 255, 9, 8, 7, 6}, {{0, 1, 2, 255}, {9, 8, 7, 6}}, {0x00000001, 0x01010101, 0x02020201}},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        std::vector<std::string> lines = layout("bits\tx\ty", std::to_string(c.bits) + "\t4\t2");
        lines.push_back("layout\tcoordinates\tvideo");
        Decoded d = open(write(dir, "d", header(lines), &c.data));
        ASSERT_TRUE(d.dib);
        const BITMAPINFOHEADER bi = kt::headerOf(d.dib.get());
        EXPECT_EQ(bi.biBitCount, c.bits);
        EXPECT_EQ(bi.biClrUsed, 1u << c.bits);
        EXPECT_EQ(kt::indexRows(d.dib.get()), c.pixels);
        EXPECT_EQ(kt::colourTable(d.dib.get(), int(c.table.size())), c.table);
    }
}

// Headers that give no image: the reader's refusals (no ICS line, no filename line, more than
// five parameters) and what this codec cannot show.
TEST(IcsRead, RefusedHeaders)
{
    const std::vector<uint8_t> data(4096, 0x41);
    const std::vector<std::string> ok = layout("bits\tx\ty", "8\t4\t4");
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> l = ok;
        l.insert(l.end(), more.begin(), more.end());
        return header(l);
    };
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"no ICS line", "\t\nversion\t1.0\nfilename\tx\n" + header(ok).substr(header({}).size())},
        {"no filename line", "\t\nics_version\t1.0\nlayout\tparameters\t3\n"},
        {"six parameters", header(layout("bits\tx\ty\tz\tt\tc", "8\t4\t4\t1\t1\t1", 6))},
        {"two sizes", header(layout("bits\tx", "8\t4", 2))},
        {"12-bit samples", header(layout("bits\tx\ty", "12\t4\t4"))},
        {"no width", header(layout("bits\tx\ty", "8\t0\t4"))},
        {"compressed", with({"representation\tcompression\tgzip"})},
        {"an empty file", ""},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = write(dir, "r", c.text, &data);
        EXPECT_EQ(ReadICSBitmapInfo(path.c_str(), nullptr, nullptr, 0, 0), nullptr);
        EXPECT_FALSE(open(path).dib);
    }
    // Five parameters and an uncompressed line are fine.
    const std::string five = write(dir, "five", header(layout("bits\tx\ty\tz\tt", "8\t4\t4\t2\t2", 5)), &data);
    EXPECT_TRUE(open(five).dib);
    const std::string plain = write(dir, "plain", with({"representation\tcompression\tuncompressed"}), &data);
    EXPECT_TRUE(open(plain).dib);
}

// The data file: missing or too short, no image (the information call still answers).
TEST(IcsRead, MissingOrShortDataGivesNoImage)
{
    kt::TempDir dir;
    const std::string text = header(layout("bits\tx\ty", "8\t4\t4"));
    const std::string missing = write(dir, "m", text, nullptr);
    kel::GlobalMem info(ReadICSBitmapInfo(missing.c_str(), nullptr, nullptr, 0, 0));
    EXPECT_TRUE(info);
    EXPECT_FALSE(open(missing).dib);
    const std::vector<uint8_t> shortData(15, 1);
    EXPECT_FALSE(open(write(dir, "s", text, &shortData)).dib);
    const std::vector<uint8_t> exact(16, 1);
    EXPECT_TRUE(open(write(dir, "e", text, &exact)).dib);
}

// Lines the reader does not use go to the technical information as they stand.
TEST(IcsRead, OtherLinesAreTechnicalInformation)
{
    std::vector<std::string> lines = layout("bits\tx\ty", "8\t2\t1");
    lines.insert(lines.end(), {"history\tcreated by\ta microscope", "representation\tformat\tinteger",
                               "sensor\tmodel\tXY-1", "parameter\tunits\tbits\tmicrons\tmicrons"});
    const std::vector<uint8_t> data = {1, 2};
    kt::TempDir dir;
    Decoded d = open(write(dir, "t", header(lines), &data));
    ASSERT_TRUE(d.dib);
    EXPECT_EQ(d.tech, "history created by a microscope\r\nsensor model XY-1\r\n");
}

// Memory running out: the record appends "Unable to allocate space for bitmap", the image the
// application's text 1017.
TEST(IcsRead, OutOfMemoryIsReportedWhereThePartSays)
{
    struct Fail {
        static HGLOBAL WINAPI alloc(UINT, SIZE_T) { return nullptr; }
        static HGLOBAL WINAPI realloc(HGLOBAL, SIZE_T, UINT) { return nullptr; }
    };
    HMODULE ics = GetModuleHandleA("KELICS32.dll");
    const std::vector<uint8_t> data(16, 1);
    kt::TempDir dir;
    const std::string path = write(dir, "n", header(layout("bits\tx\ty", "8\t4\t4")), &data);
    {
        kt::ImportPatch patch(ics, "GlobalAlloc", kt::functionPointer(Fail::alloc));
        ASSERT_TRUE(patch.patched());
        HGLOBAL tech = nullptr;
        EXPECT_EQ(ReadICSBitmapInfo(path.c_str(), nullptr, &tech, 0, 0), nullptr);
        // The technical information block is KELDLL32's allocation, not the codec's.
        EXPECT_EQ(kt::techText(tech), "Unable to allocate space for bitmap\r\n");
        GlobalFree(tech);
    }
    kt::ImportPatch patch(ics, "GlobalReAlloc", kt::functionPointer(Fail::realloc));
    ASSERT_TRUE(patch.patched());
    Decoded d = open(path);
    EXPECT_FALSE(d.dib);
    EXPECT_EQ(d.tech, "Insufficient memory available\r\n");
}

// The user's cancel, seen through the progress call after a row, ends the read.
TEST(IcsRead, CancelEndsTheRead)
{
    const std::vector<uint8_t> data(16, 1);
    kt::TempDir dir;
    const std::string path = write(dir, "c", header(layout("bits\tx\ty", "8\t4\t4")), &data);
    WORD flag = 0;
    DisplayStatusBox(nullptr, &flag, 0);
    flag = 0;
    Decoded d = open(path);
    DestroyStatus();
    EXPECT_FALSE(d.dib);
    EXPECT_FALSE(d.palette);
}
