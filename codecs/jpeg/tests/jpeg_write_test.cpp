// Writing JPEG files and memory streams: round trips, the options' effect on the stream, colour
// tables, and failures that leave nothing behind.
#include "dib_builder.h"
#include "jpeg_test_util.h"
#include "keldll.h"

#include <gtest/gtest.h>

using namespace jpeg_test;

namespace {

// A smooth picture (JPEG's fair case): the round trips below must stay close to it.
HGLOBAL smoothDib(int width, int height)
{
    return kt::makeDib(width, height, 24, {}, [](int x, int y) {
        return uint32_t(40 + x * 2) << 16 | uint32_t(30 + y * 3) << 8 | uint32_t(200 - x - y);
    });
}

// The start-of-frame marker of a stream: 0xC0 baseline, 0xC1 extended, 0xC2 progressive; and the
// number of components it declares.
std::pair<int, int> frameOf(const std::vector<uint8_t>& s)
{
    for (size_t i = 2; i + 9 < s.size();) {
        if (s[i] != 0xFF)
            return {0, 0};
        const int marker = s[i + 1];
        if (marker >= 0xC0 && marker <= 0xC2)
            return {marker, s[i + 9]};
        i += 2 + size_t(s[i + 2] << 8 | s[i + 3]);
    }
    return {0, 0};
}

JpegOptions options(int quality, int optimize = 0, int progressive = 0)
{
    JpegOptions o;
    o.quality = int16_t(quality);
    o.optimize = optimize;
    o.progressive = progressive;
    return o;
}

} // namespace

TEST(JpegWrite, FileRoundTripsWithEachOption)
{
    kel::GlobalMem dib(smoothDib(90, 70));
    const kt::RgbImage original = rgbOf(dib.get());
    kt::TempDir dir;
    struct Case {
        int quality, optimize, progressive, frame;
        double meanError;
    } cases[] = {{95, 0, 0, 0xC0, 2.0}, {95, 1, 0, 0xC0, 2.0}, {95, 0, 1, 0xC2, 2.0}, {30, 1, 1, 0xC2, 6.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "quality " << c.quality << " optimise " << c.optimize << " progressive "
                                        << c.progressive);
        const std::string path = dir.file("o.jpg");
        JpegOptions o = options(c.quality, c.optimize, c.progressive);
        ASSERT_NE(WriteJPEG(path.c_str(), dib.get(), &o), 0);
        EXPECT_EQ(frameOf(kt::readFile(path)).first, c.frame);
        kel::GlobalMem back = readJpeg(path);
        ASSERT_TRUE(back);
        const Error e = difference(original, rgbOf(back.get()));
        EXPECT_LT(e.mean, c.meanError);
    }
}

TEST(JpegWrite, OptimisedCodingIsNoLargerAndQualityOutsideTheRangeMeans75)
{
    kel::GlobalMem dib(smoothDib(64, 64));
    kt::TempDir dir;
    auto write = [&](JpegOptions o) {
        const std::string path = dir.file("q.jpg");
        EXPECT_NE(WriteJPEG(path.c_str(), dib.get(), &o), 0);
        return kt::readFile(path);
    };
    const std::vector<uint8_t> q75 = write(options(75));
    EXPECT_EQ(write(options(0)), q75);
    EXPECT_EQ(write(options(101)), q75);
    EXPECT_EQ(write(options(-3)), q75);
    EXPECT_LE(write(options(75, 1)).size(), q75.size());
    const std::string path = dir.file("d.jpg");
    ASSERT_NE(WriteJPEG(path.c_str(), dib.get(), nullptr), 0);
    EXPECT_EQ(kt::readFile(path), q75) << "no options: the defaults";
}

// Colour-table images are coded through their colours; grey tables as one channel.
TEST(JpegWrite, ColourTableImages)
{
    kt::TempDir dir;
    std::vector<uint32_t> grey;
    for (int i = 0; i < 256; ++i)
        grey.push_back(uint32_t(i) * 0x010101);
    struct Case {
        int bits;
        std::vector<uint32_t> colours;
        int components;
    } cases[] = {{8, grey, 1}, {8, kt::spreadColours(256), 3}, {4, kt::spreadColours(16), 3}, {1, {0, 0xFFFFFF}, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.components << " components");
        // Large flat areas, so that the lossy copy can be compared pixel by pixel.
        kel::GlobalMem dib(kt::makeDib(64, 48, c.bits, c.colours,
                                       [&](int x, int y) { return uint32_t((x / 16 + (y / 16) * 4) % c.colours.size()); }));
        const std::string path = dir.file("t.jpg");
        JpegOptions o = options(95);
        ASSERT_NE(WriteJPEG(path.c_str(), dib.get(), &o), 0);
        EXPECT_EQ(frameOf(kt::readFile(path)).second, c.components);
        kel::GlobalMem back = readJpeg(path);
        ASSERT_TRUE(back);
        EXPECT_LT(difference(rgbOf(dib.get()), rgbOf(back.get())).mean, 8.0);
    }
}

// The catalog's thumbnail form: a 16-bit quality and a 32-bit 0, into a buffer of its size.
TEST(JpegWrite, MemoryRoundTripAndABufferTooSmall)
{
    kel::GlobalMem dib(smoothDib(80, 60));
    struct {
        int16_t quality;
        int32_t zero;
    } record = {75, 0};
    std::vector<uint8_t> buffer(80 * 60 * 3 + 40);
    const DWORD n = WriteJPEGMem(dib.get(), reinterpret_cast<const JpegOptions*>(&record), buffer.data(), DWORD(buffer.size()));
    ASSERT_GT(n, 0u);
    EXPECT_EQ(buffer[0], 0xFF) << "a JPEG thumbnail starts with 0xFF";
    EXPECT_EQ(buffer[1], 0xD8);
    kel::GlobalMem back(ReadJPEGMem(buffer.data(), n));
    ASSERT_TRUE(back);
    EXPECT_LT(difference(rgbOf(dib.get()), rgbOf(back.get())).mean, 3.0);

    // Room for less than the stream: 0, and not a byte written past the room given.
    std::vector<uint8_t> small(n + 16, 0xA5);
    EXPECT_EQ(WriteJPEGMem(dib.get(), reinterpret_cast<const JpegOptions*>(&record), small.data(), n - 1), 0u);
    for (size_t i = n - 1; i < small.size(); ++i)
        ASSERT_EQ(small[i], 0xA5) << "byte " << i;
}

TEST(JpegWrite, FailuresLeaveNoFile)
{
    kt::TempDir dir;
    kel::GlobalMem dib(smoothDib(300, 200));
    JpegOptions o = options(75);
    EXPECT_EQ(WriteJPEG(dir.file("no\\folder\\x.jpg").c_str(), dib.get(), &o), 0);

    kel::GlobalMem sixteen(smoothDib(8, 8));
    reinterpret_cast<BITMAPINFOHEADER*>(GlobalLock(sixteen.get()))->biBitCount = 16;
    GlobalUnlock(sixteen.get());
    EXPECT_EQ(WriteJPEG(dir.file("sixteen.jpg").c_str(), sixteen.get(), &o), 0);
    EXPECT_EQ(GetFileAttributesA(dir.file("sixteen.jpg").c_str()), INVALID_FILE_ATTRIBUTES);

    WORD flag = 0;
    DisplayStatusBox(nullptr, &flag, 0);
    flag = 0;
    EXPECT_EQ(WriteJPEG(dir.file("cancelled.jpg").c_str(), dib.get(), &o), 0);
    DestroyStatus();
    EXPECT_EQ(GetFileAttributesA(dir.file("cancelled.jpg").c_str()), INVALID_FILE_ATTRIBUTES);
}
