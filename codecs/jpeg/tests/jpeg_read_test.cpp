// Reading JPEG files and streams: exact agreement with the reference decoder at full size and
// scaled, the information record, 256-colour output, memory streams, PICT data, cancelling.
#include "jpeg_test_util.h"
#include "keldll.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace jpeg_test;

TEST(JpegRead, EveryFixtureDecodesLikeTheReferenceDecoder)
{
    struct Case {
        const char* name;
        int bits;
    } cases[] = {{"baseline", 24}, {"prog", 24}, {"grey", 8}, {"s444", 24}, {"cmyk", 24}, {"photo", 24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kel::GlobalMem info;
        kel::GlobalMem dib = readJpeg(fixture(std::string(c.name) + ".jpg"), 1, 2, 1, &info);
        ASSERT_TRUE(dib);
        kt::RgbImage want;
        ASSERT_TRUE(kt::readNetpbm(fixture(std::string(c.name) + ".ref.ppm"), &want));
        EXPECT_EQ(kt::firstDifference(want, rgbOf(dib.get())), "");
        kel::GlobalLocked<BITMAPINFOHEADER> bi(info.get());
        EXPECT_EQ(bi->biWidth, want.width);
        EXPECT_EQ(bi->biHeight, want.height);
        EXPECT_EQ(bi->biBitCount, c.bits);
        EXPECT_EQ(bi->biClrUsed, c.bits == 8 ? 256u : 0u);
    }
}

TEST(JpegRead, InformationRecordCarriesTheResolution)
{
    kel::GlobalMem info;
    ASSERT_TRUE(readJpeg(fixture("baseline.jpg"), 1, 2, 1, &info));
    kel::GlobalLocked<BITMAPINFOHEADER> bi(info.get());
    EXPECT_EQ(bi->biXPelsPerMeter, 300 * 10000 / 254);
    EXPECT_EQ(bi->biYPelsPerMeter, 300 * 10000 / 254);
    EXPECT_EQ(GlobalSize(info.get()), 40u) << "a full-colour record has no colour table";
}

// DCT scaling: the record and the DIB have the scaled size, pixels as the reference decoder's.
TEST(JpegRead, ScaledDecodingGivesTheReferenceThumbnail)
{
    struct Case {
        const char* file;
        int scale;
        const char* ref;
    } cases[] = {{"baseline.jpg", 2, "baseline.s2.ref.ppm"},
                 {"prog.jpg", 4, "prog.s4.ref.ppm"},
                 {"photo.jpg", 4, "photo.s4.ref.ppm"},
                 {"photo.jpg", 8, "photo.s8.ref.ppm"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " 1/" << c.scale);
        kel::GlobalMem info;
        kel::GlobalMem dib = readJpeg(fixture(c.file), c.scale, 2, 1, &info);
        ASSERT_TRUE(dib);
        kt::RgbImage want;
        ASSERT_TRUE(kt::readNetpbm(fixture(c.ref), &want));
        EXPECT_EQ(kt::firstDifference(want, rgbOf(dib.get())), "");
        kel::GlobalLocked<BITMAPINFOHEADER> bi(info.get());
        EXPECT_EQ(bi->biWidth, want.width);
        EXPECT_EQ(bi->biHeight, want.height);
    }
}

// Colour resolution 1: an 8-bit DIB of at most 256 colours; the two-pass quantiser (a palette
// chosen for the image) comes closer to the full-colour decode than the one-pass fixed palette.
TEST(JpegRead, TwoHundredFiftySixColourOutput)
{
    kt::RgbImage want;
    ASSERT_TRUE(kt::readNetpbm(fixture("photo.ref.ppm"), &want));
    double error[2];
    for (int twoPass : {0, 1}) {
        SCOPED_TRACE(twoPass ? "two-pass" : "one-pass");
        kel::GlobalMem dib = readJpeg(fixture("photo.jpg"), 1, 1, twoPass);
        ASSERT_TRUE(dib);
        {
            kel::GlobalLocked<BITMAPINFOHEADER> bi(dib.get());
            EXPECT_EQ(bi->biBitCount, 8);
            EXPECT_EQ(bi->biClrUsed, 256u);
        }
        error[twoPass] = difference(want, rgbOf(dib.get())).mean;
    }
    EXPECT_LT(error[1], error[0]);
    EXPECT_LT(error[0], 20.0) << "dithered colours stay near the picture's";
}

TEST(JpegRead, MemoryStreamDecodesLikeTheFile)
{
    const std::vector<uint8_t> bytes = kt::readFile(fixture("s444.jpg"));
    ASSERT_FALSE(bytes.empty());
    kel::GlobalMem dib(ReadJPEGMem(bytes.data(), DWORD(bytes.size())));
    ASSERT_TRUE(dib);
    kt::RgbImage want;
    ASSERT_TRUE(kt::readNetpbm(fixture("s444.ref.ppm"), &want));
    EXPECT_EQ(kt::firstDifference(want, rgbOf(dib.get())), "");
    EXPECT_EQ(ReadJPEGMem(bytes.data(), 0), nullptr);
    EXPECT_EQ(ReadJPEGMem(nullptr, 10), nullptr);
}

TEST(JpegRead, NotAJpegGivesNull)
{
    kt::TempDir dir;
    const std::string path = dir.file("x.jpg");
    ASSERT_TRUE(kt::writeFile(path, std::vector<uint8_t>(300, 0x41)));
    EXPECT_FALSE(readJpeg(path));
    EXPECT_FALSE(readJpeg(dir.file("missing.jpg")));
    kel::File empty = kel::File::open(dir.file("e.jpg").c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    EXPECT_EQ(ReadJPEGBitmapInfo(nullptr, empty.get(), 1, 1, 2, nullptr), nullptr);
}

TEST(JpegRead, CancelEndsTheDecode)
{
    WORD flag = 0;
    DisplayStatusBox(nullptr, &flag, 0);
    flag = 0;
    kel::GlobalMem dib = readJpeg(fixture("photo.jpg"));
    DestroyStatus();
    EXPECT_FALSE(dib);
}

// The JPEG data of a QuickTime-compressed picture: found after the opcode's description, decoded
// into the DIB's rows from the rows already done, clipped to the DIB.
TEST(JpegRead, PictDataFillsRowsFromTheRowsDone)
{
    const std::vector<uint8_t> jpeg = kt::readFile(fixture("s444.jpg"));
    ASSERT_FALSE(jpeg.empty());
    // Where the file is positioned: an image description, then the stream.
    std::vector<uint8_t> file(100 + jpeg.size(), 0x11);
    std::copy(jpeg.begin(), jpeg.end(), file.begin() + 100);
    kt::TempDir dir;
    const std::string path = dir.file("q.pct");
    ASSERT_TRUE(kt::writeFile(path, file));
    kt::RgbImage want;
    ASSERT_TRUE(kt::readNetpbm(fixture("s444.ref.ppm"), &want)); // 61 x 47

    // A DIB narrower than the picture and with room for 30 of its rows below the 20 done.
    const int width = 50, height = 50, done = 20;
    const size_t row = size_t((width * 24 + 31) / 32) * 4;
    kel::GlobalMem dib = kel::GlobalMem::alloc(40 + row * height);
    {
        kel::GlobalLocked<BITMAPINFOHEADER> bi(dib.get());
        *bi.get() = BITMAPINFOHEADER{40, width, height, 1, 24, BI_RGB, DWORD(row * height), 0, 0, 0, 0};
    }
    kel::File f = kel::File::openRead(path.c_str());
    LARGE_INTEGER at;
    at.QuadPart = 46;
    SetFilePointerEx(f.get(), at, nullptr, FILE_BEGIN);
    HGLOBAL tech = nullptr;
    EXPECT_EQ(ReadJPEGPictData(dib.get(), f.get(), done, &tech), height);
    EXPECT_EQ(tech, nullptr);
    const kt::RgbImage got = rgbOf(dib.get());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t expected = y < done ? 0 : want.at(x, y - done);
            ASSERT_EQ(got.at(x, y), expected) << "pixel " << x << "," << y;
        }

    // No JPEG data there: nothing is filled and the technical information says so.
    SetFilePointerEx(f.get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN);
    std::vector<uint8_t> none(200, 0x22);
    const std::string other = dir.file("none.pct");
    ASSERT_TRUE(kt::writeFile(other, none));
    kel::File g = kel::File::openRead(other.c_str());
    EXPECT_EQ(ReadJPEGPictData(dib.get(), g.get(), 7, &tech), 7);
    ASSERT_NE(tech, nullptr);
    GlobalFree(tech);
}
