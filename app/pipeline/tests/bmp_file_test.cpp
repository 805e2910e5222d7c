// BMP files: the sample suite against its reference decodes, round trips, and bad files.
#include "bmp_file.h"
#include "keldll.h"
#include "reference_image.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

namespace {

TEST(BmpFile, SampleFilesDecodeToTheirReferences)
{
    const char* names[] = {"bmpsuite_pal1", "bmpsuite_pal4", "bmpsuite_pal8os2", "bmpsuite_rgb24"};
    for (const char* name : names) {
        const std::string file = kt::testData(std::string("bmp/") + name + ".bmp");
        const std::string ref = kt::testData(std::string("bmp/ref/") + name + ".bmp.ref.pam");
        if (file.empty() || ref.empty())
            GTEST_SKIP() << "sample set not present";
        std::string error;
        kel::GlobalMem dib(pipeline::readBmpFile(file.c_str(), &error));
        ASSERT_TRUE(dib) << name << ": " << error;
        kt::RgbImage want, got;
        ASSERT_TRUE(kt::readNetpbm(ref, &want)) << ref;
        ASSERT_TRUE(kt::dibToRgb(dib.get(), &got)) << name;
        EXPECT_EQ("", kt::firstDifference(want, got)) << name;
    }
}

TEST(BmpFile, RunLengthFilesKeepTheirCompressedRows)
{
    for (const char* name : {"bmpsuite_pal4rle", "bmpsuite_pal8rle"}) {
        const std::string file = kt::testData(std::string("bmp/") + name + ".bmp");
        if (file.empty())
            GTEST_SKIP() << "sample set not present";
        std::string error;
        kel::GlobalMem dib(pipeline::readBmpFile(file.c_str(), &error));
        ASSERT_TRUE(dib) << error;
        kel::GlobalLocked<BITMAPINFOHEADER> h(dib.get());
        EXPECT_NE(DWORD(BI_RGB), h->biCompression) << name;
        EXPECT_GE(GlobalSize(dib.get()), 40u + PaletteSize(h.get()) + h->biSizeImage);
    }
}

TEST(BmpFile, WriteThenReadGivesTheSameBlock)
{
    InitKelDll(&kt::testApp());
    kt::TempDir dir;
    for (int bits : {1, 4, 8, 24}) {
        kel::GlobalMem dib(CreateNewDib(nullptr, 13, 5, bits, nullptr, nullptr));
        ASSERT_TRUE(dib);
        {
            kel::GlobalLocked<BYTE> p(dib.get());
            BYTE* px = FindDIBBits(p.get());
            for (int i = 0; i < 5 * 4; ++i)
                px[i] = BYTE(i * 37 + bits);
        }
        std::string error;
        const std::string path = dir.file("T" + std::to_string(bits) + ".BMP");
        ASSERT_TRUE(pipeline::writeBmpFile(path.c_str(), dib.get(), &error)) << error;
        kel::GlobalMem back(pipeline::readBmpFile(path.c_str(), &error));
        ASSERT_TRUE(back) << error;
        kel::GlobalLocked<BYTE> a(dib.get()), b(back.get());
        const size_t used = size_t(FindDIBBits(a.get()) - a.get()) + reinterpret_cast<BITMAPINFOHEADER*>(a.get())->biSizeImage;
        EXPECT_EQ(0, memcmp(a.get(), b.get(), used)) << bits;
    }
}

TEST(BmpFile, BadFilesFailCleanly)
{
    InitKelDll(&kt::testApp());
    kel::GlobalMem dib(CreateNewDib(nullptr, 8, 8, 8, nullptr, nullptr));
    std::string good, error;
    ASSERT_TRUE(pipeline::bmpToBytes(dib.get(), &good, &error));
    auto bytes = [&](std::string s) { return pipeline::bmpFromBytes(reinterpret_cast<const unsigned char*>(s.data()), s.size(), &error); };
    // Every truncation fails without reading past the buffer.
    for (size_t n = 0; n < good.size(); n += 7)
        EXPECT_EQ(nullptr, bytes(good.substr(0, n))) << n;
    std::string bad = good;
    bad[0] = 'X';
    EXPECT_EQ(nullptr, bytes(bad));
    bad = good;
    bad[14 + 4] = char(0xFF), bad[14 + 5] = char(0xFF), bad[14 + 6] = char(0xFF), bad[14 + 7] = 0x7F; // huge width
    EXPECT_EQ(nullptr, bytes(bad));
    bad = good;
    bad[10] = char(0xF0), bad[11] = char(0xFF); // pixel offset past the end
    EXPECT_EQ(nullptr, bytes(bad));
    EXPECT_FALSE(error.empty());

    kt::TempDir dir;
    const std::string path = dir.file("NO\\SUCH\\DIR\\X.BMP");
    EXPECT_FALSE(pipeline::writeBmpFile(path.c_str(), dib.get(), &error));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
}

} // namespace
