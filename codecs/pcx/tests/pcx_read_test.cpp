// Reading PCX files: every variant against reference decodes, the palette rules, run-length
// edge cases, technical information, absurd headers and cancelling.
#include "file_io.h"
#include "import_patch.h"
#include "kelpcx.h"
#include "keldll.h"
#include "pcx_test_files.h"
#include "reference_image.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace pcx_test;

namespace {

struct Decoded {
    kel::GlobalMem dib;
    std::string format;
    std::string tech;
};

Decoded open(const std::string& path)
{
    Decoded d;
    char format[32] = "";
    HGLOBAL tech = nullptr;
    d.dib.reset(OpenPCX(path.c_str(), kt::testApp().appInstance, format, nullptr, &tech, nullptr, 0));
    d.format = format;
    d.tech = techText(tech);
    if (tech)
        GlobalFree(tech);
    return d;
}

// The DIB's colour table replaced by the file header's 16-entry colour map (for the variants whose
// palette rule ignores the map, so that their pixel indices can be checked against a decoder
// that uses it).
void useHeaderMap(HGLOBAL dib, const std::vector<uint8_t>& file)
{
    kel::GlobalLocked<uint8_t> p(dib);
    const uint32_t used = reinterpret_cast<BITMAPINFOHEADER*>(p.get())->biClrUsed;
    for (uint32_t i = 0; i < used && i < 16; ++i) {
        uint8_t* e = p.get() + 40 + 4 * i;
        e[0] = file[16 + 3 * i + 2];
        e[1] = file[16 + 3 * i + 1];
        e[2] = file[16 + 3 * i];
    }
}

} // namespace

// Each variant the codec reads, made by ImageMagick or netpbm, against netpbm's decode.
TEST(PcxRead, EveryVariantDecodesLikeTheReferenceDecoder)
{
    struct Case {
        const char* name;
        int bits, colours;
        bool headerMap; // compare indices through the header's map (fixed-palette variants)
    } cases[] = {
        {"nb_bilevel", 1, 2, false},   {"nb_packed2", 4, 4, true},    {"nb_planes2", 4, 4, false},
        {"nb_planes3", 4, 8, true},    {"nb_planes4", 4, 16, false},  {"nb_packed4", 4, 16, false},
        {"nb_8bit", 8, 256, false},    {"im_palette8", 8, 256, false}, {"im_palette8_raw", 8, 256, false},
        {"nb_24bit", 24, 256, false},  {"im_truecolor", 24, 256, false}, {"im_truecolor_raw", 24, 256, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = kt::fixture(std::string("pcx\\") + c.name + ".pcx");
        ASSERT_FALSE(path.empty()) << "fixture missing";
        Decoded d = open(path);
        ASSERT_TRUE(d.dib);
        EXPECT_EQ(d.format, "PCX");
        {
            kel::GlobalLocked<BITMAPINFOHEADER> bi(d.dib.get());
            EXPECT_EQ(bi->biBitCount, c.bits);
            EXPECT_EQ(int(bi->biClrUsed), c.colours);
            EXPECT_EQ(int(bi->biClrImportant), c.colours);
        }
        if (c.headerMap)
            useHeaderMap(d.dib.get(), kt::readFile(path));
        kt::RgbImage want, got;
        ASSERT_TRUE(kt::readNetpbm(kt::fixture(std::string("pcx\\") + c.name + ".ref.ppm"), &want));
        ASSERT_TRUE(kt::dibToRgb(d.dib.get(), &got));
        EXPECT_EQ(kt::firstDifference(want, got), "");
    }
}

TEST(PcxRead, SampleFileDecodesLikeItsReference)
{
    const std::string path = kt::testData("pcx/pillow_pil184.pcx");
    if (path.empty())
        GTEST_SKIP() << "shared sample set not present";
    Decoded d = open(path);
    ASSERT_TRUE(d.dib);
    kt::RgbImage want, got;
    ASSERT_TRUE(kt::readNetpbm(kt::testData("pcx/ref/pillow_pil184.pcx.ref.pam"), &want));
    ASSERT_TRUE(kt::dibToRgb(d.dib.get(), &got));
    EXPECT_EQ(kt::firstDifference(want, got), "");
}

TEST(PcxRead, TechnicalInformationDescribesTheHeader)
{
    struct Case {
        uint8_t version, encoding;
        const char* versionLine;
        const char* encodingLine;
    } cases[] = {
        {0, 1, "Version 2.5 of PC Paintbrush", "Encoded"},   {2, 0, "Version 2.8 w/palette info", "Unencoded"},
        {3, 1, "Version 2.8 w/o palette info", "Encoded"},   {4, 1, "PC Paintbrush for Windows", "Encoded"},
        {5, 2, "Version 3.0 and > of PC Paintbrush", "Encoded"}, {9, 1, "Unrecognized version", "Encoded"},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        Header h;
        h.version = c.version;
        h.encoding = c.encoding;
        h.width = 8;
        h.height = 2;
        h.bits = 8;
        h.bpl = 8;
        h.hres = 300;
        h.vres = 150;
        const std::string path = dir.file("t.pcx");
        ASSERT_TRUE(kt::writeFile(path, h.bytes(std::vector<uint8_t>(16, 1))));
        Decoded d = open(path);
        ASSERT_TRUE(d.dib);
        EXPECT_EQ(d.tech, std::string(c.versionLine) + "\r\n" + c.encodingLine +
                              "\r\nBits per pixel:8\r\nNumber of planes:1\r\nHorizontal resolution: 300 DPI\r\n"
                              "Vertical resolution: 150 DPI\r\n");
    }
}

// The colour table each palette rule gives (entries blue, green, red, reserved).
TEST(PcxRead, PaletteRules)
{
    std::vector<uint8_t> trailer(769);
    trailer[0] = 12;
    for (int i = 0; i < 256; ++i) {
        trailer[1 + 3 * i] = uint8_t(i);
        trailer[2 + 3 * i] = uint8_t(255 - i);
        trailer[3 + 3 * i] = uint8_t(i / 2);
    }
    auto withMap = [](Header h, std::initializer_list<uint8_t> map) {
        std::copy(map.begin(), map.end(), h.map);
        return h;
    };
    Header eight;
    eight.bits = 8;
    eight.bpl = 2;
    Header one;
    one.bits = 1;
    one.bpl = 2;
    Header cga;
    cga.bits = 2;
    cga.bpl = 2;
    Header threePlanes;
    threePlanes.bits = 1;
    threePlanes.planes = 3;
    threePlanes.bpl = 2;

    struct Case {
        const char* what;
        Header h;
        bool withTrailer;
        std::vector<uint32_t> want; // 0xRRGGBBrr: red, green, blue, reserved
    } cases[] = {
        {"v5 trailer", eight, true, {0x00FF0001, 0x01FE0001, 0x02FD0101}},
        {"v4 ignores the trailer", withMap([&] { Header h = eight; h.version = 4; return h; }(), {9, 8, 7}), true,
         {0x09080701, 0x00000001}},
        {"v5 8 bits without trailer: 16 map colours, the rest black",
         withMap(eight, {1, 2, 3, 4, 5, 6}), false, {0x01020301, 0x04050601, 0x00000001}},
        {"CGA: intense background, palette 1 bright",
         withMap(cga, {0xF0, 0, 0, 0x60}), false, {0xFFFFFF01, 0x00FFFF01, 0xFF00FF01, 0xFFFFFF01}},
        {"CGA: dim red background, palette 0 dim", withMap(cga, {0x40, 0, 0, 0x00}), false,
         {0x80000001, 0x00800001, 0x80000001, 0x80800001}},
        {"v5 1 bit map starting 0, 255", withMap(one, {0, 1, 2, 255, 254, 253}), false, {0x00010201, 0xFFFEFD01}},
        {"v5 1 bit map starting 10, 20: black and white", withMap(one, {10, 1, 2, 20, 3, 4}), false,
         {0x00000001, 0xFFFFFF01}},
        {"v2 1 bit: black and white", withMap([&] { Header h = one; h.version = 2; return h; }(), {0, 1, 2, 255, 3, 4}),
         false, {0x00000001, 0xFFFFFF01}},
        {"v0 1 bit: the map", withMap([&] { Header h = one; h.version = 0; return h; }(), {10, 1, 2, 20, 3, 4}), false,
         {0x0A010201, 0x14030401}},
        {"1 bit in 3 planes: the 8-colour scheme", withMap(threePlanes, {9, 9, 9}), false,
         {0x00000001, 0x0000FF01, 0x00FF0001, 0x00FFFF01, 0xFF000001, 0xFF00FF01, 0xFFFF0001, 0xFFFFFF01}},
    };
    kt::TempDir dir;
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> file = c.h.bytes(std::vector<uint8_t>(size_t(c.h.bpl) * c.h.planes, 0));
        if (c.withTrailer)
            file.insert(file.end(), trailer.begin(), trailer.end());
        const std::string path = dir.file("p.pcx");
        ASSERT_TRUE(kt::writeFile(path, file));
        kel::File f = kel::File::openRead(path.c_str());
        char format[8] = "";
        kel::GlobalMem info(ReadPCXBitmapInfo(f.get(), format, nullptr, 0));
        ASSERT_TRUE(info);
        EXPECT_EQ(GlobalSize(info.get()), 1064u);
        kel::GlobalLocked<uint8_t> p(info.get());
        for (size_t i = 0; i < c.want.size(); ++i) {
            const uint8_t* e = p.get() + 40 + 4 * i;
            const uint32_t got = uint32_t(e[2]) << 24 | uint32_t(e[1]) << 16 | uint32_t(e[0]) << 8 | e[3];
            EXPECT_EQ(got, c.want[i]) << "entry " << i << std::hex << " got " << got << " want " << c.want[i];
        }
    }
}

// Run-length details: a zero-length run, a run cut at the end of a scan line, data ending early.
TEST(PcxRead, RunLengthEdgeCases)
{
    Header h;
    h.bits = 8;
    h.width = 4;
    h.height = 3;
    h.bpl = 4;
    const std::vector<uint8_t> data = {
        0xC0, 0x99, 1, 2, 0xC3, 7,   // line 0: a zero-length run gives nothing; run of 3 cut after 2
        5, 6, 0xC2, 8,               // line 1 starts fresh: 5 6 8 8
        0xC1, 0xC5,                  // line 2: one byte 0xC5 by a run of 1, then the file ends
    };
    kt::TempDir dir;
    const std::string path = dir.file("r.pcx");
    ASSERT_TRUE(kt::writeFile(path, h.bytes(data)));
    Decoded d = open(path);
    ASSERT_TRUE(d.dib);
    EXPECT_EQ(indexRows(d.dib.get()), (std::vector<std::vector<int>>{{1, 2, 7, 7}, {5, 6, 8, 8}, {0xC5, 0, 0, 0}}));
}

// Raw files of 1-bit planes: read like their encoded form.
TEST(PcxRead, RawBitPlanesAreRead)
{
    Header h;
    h.bits = 1;
    h.planes = 4;
    h.encoding = 0;
    h.width = 9;
    h.height = 1;
    h.bpl = 2;
    // Pixel k has plane p set when bit p of (k + 3) % 16 is set.
    std::vector<uint8_t> line(8, 0);
    for (int k = 0; k < 9; ++k)
        for (int p = 0; p < 4; ++p)
            if (((k + 3) % 16) >> p & 1)
                line[size_t(p) * 2 + size_t(k / 8)] |= uint8_t(0x80 >> (k % 8));
    kt::TempDir dir;
    const std::string path = dir.file("raw.pcx");
    ASSERT_TRUE(kt::writeFile(path, h.bytes(line)));
    Decoded d = open(path);
    ASSERT_TRUE(d.dib);
    EXPECT_EQ(indexRows(d.dib.get()), (std::vector<std::vector<int>>{{3, 4, 5, 6, 7, 8, 9, 10, 11}}));
}

// Headers no image can come of are refused by both entries.
TEST(PcxRead, AbsurdHeadersGiveNoImage)
{
    struct Case {
        const char* what;
        std::function<void(Header&)> change;
        size_t dataBytes;
    } cases[] = {
        {"xmax before xmin", [](Header& h) { h.width = 0; }, 64},
        {"negative height", [](Header& h) { h.height = -5; }, 64},
        {"2 bits in 4 planes", [](Header& h) { h.bits = 2, h.planes = 4; }, 64},
        {"16 bits", [](Header& h) { h.bits = 16; }, 64},
        {"lines shorter than the width", [](Header& h) { h.bpl = 2; }, 64},
        {"32767 x 32767 from 64 bytes", [](Header& h) { h.width = 32767, h.height = 32767, h.bpl = 32768; }, 64},
        {"65535-byte lines in 30000 rows from a small file",
         [](Header& h) { h.width = 8, h.height = 30000, h.bpl = 65534; }, 4096},
    };
    kt::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Header h;
        h.bits = 8;
        h.width = 8;
        h.height = 8;
        h.bpl = 8;
        c.change(h);
        const std::string path = dir.file("a.pcx");
        ASSERT_TRUE(kt::writeFile(path, h.bytes(std::vector<uint8_t>(c.dataBytes, 0x41))));
        kel::File f = kel::File::openRead(path.c_str());
        EXPECT_EQ(ReadPCXBitmapInfo(f.get(), nullptr, nullptr, 0), nullptr);
        f.close();
        EXPECT_FALSE(open(path).dib);
    }
}

// Memory running out: the information record shows "Create bit map failed" (only with warnings
// on); the image appends the application's text 1017 to the technical information.
TEST(PcxRead, OutOfMemoryIsReportedWhereThePartSays)
{
    struct Fail {
        static HGLOBAL WINAPI alloc(UINT, SIZE_T) { return nullptr; }
        static HGLOBAL WINAPI realloc(HGLOBAL, SIZE_T, UINT) { return nullptr; }
    };
    HMODULE pcx = GetModuleHandleA("KELPCX32.dll");
    const std::string path = kt::fixture("pcx\\nb_8bit.pcx");
    {
        kt::ImportPatch patch(pcx, "GlobalAlloc", kt::functionPointer(Fail::alloc));
        ASSERT_TRUE(patch.patched());
        kt::DialogAnswerer answerer;
        kel::File f = kel::File::openRead(path.c_str());
        EXPECT_EQ(ReadPCXBitmapInfo(f.get(), nullptr, nullptr, 1), nullptr);
        ASSERT_EQ(answerer.shown().size(), 1u);
        EXPECT_EQ(answerer.shown()[0].text, "Create bit map failed");
        SetFilePointerEx(f.get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN);
        EXPECT_EQ(ReadPCXBitmapInfo(f.get(), nullptr, nullptr, 0), nullptr);
        EXPECT_EQ(answerer.shown().size(), 1u) << "no message with warnings off";
    }
    kt::ImportPatch patch(pcx, "GlobalReAlloc", kt::functionPointer(Fail::realloc));
    ASSERT_TRUE(patch.patched());
    Decoded d = open(path);
    EXPECT_FALSE(d.dib);
    const std::string last = "Insufficient memory available\r\n";
    ASSERT_GE(d.tech.size(), last.size());
    EXPECT_EQ(d.tech.substr(d.tech.size() - last.size()), last) << d.tech;
}

TEST(PcxRead, MissingFileGivesNull)
{
    kt::TempDir dir;
    EXPECT_FALSE(open(dir.file("none.pcx")).dib);
}

// The user's cancel, seen through the progress call after a scan line, ends the read.
TEST(PcxRead, CancelEndsTheRead)
{
    const std::string path = kt::fixture("pcx\\im_truecolor.pcx");
    ASSERT_FALSE(path.empty());
    WORD flag = 0;
    DisplayStatusBox(nullptr, &flag, 0);
    flag = 0;
    Decoded d = open(path);
    DestroyStatus();
    EXPECT_FALSE(d.dib);
}
