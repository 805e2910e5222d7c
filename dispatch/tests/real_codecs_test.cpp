// The system's own codec libraries, beside the test program (its application directory),
// reached through the dispatcher as the application reaches them.
#include "dib_builder.h"
#include "file_io.h"
#include "keldll.h"
#include "kelint.h"
#include "reference_image.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class RealCodecs : public ::testing::Test {
protected:
    void SetUp() override
    {
        FreeDlls();
        InitKelInt(&kt::testApp());
    }
    void TearDown() override { FreeDlls(); }
};

std::string directoryOf(HMODULE m)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(m, path, sizeof path);
    std::string p(path);
    return p.substr(0, p.find_last_of('\\'));
}

// Another thread can take the JPEG mutex: no call kept it.
bool jpegMutexFree()
{
    bool free = false;
    struct Probe {
        static DWORD WINAPI run(void* result)
        {
            kel::UniqueHandle m(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, "KELJPEG"));
            const DWORD w = WaitForSingleObject(m.get(), 15000);
            *static_cast<bool*>(result) = w == WAIT_OBJECT_0 || w == WAIT_ABANDONED;
            if (*static_cast<bool*>(result))
                ReleaseMutex(m.get());
            return 0;
        }
    };
    kel::UniqueHandle t(CreateThread(nullptr, 0, Probe::run, &free, 0, nullptr));
    WaitForSingleObject(t.get(), INFINITE);
    return free;
}

} // namespace

TEST_F(RealCodecs, FirstPcxCallLoadsKelpcx32FromTheApplicationDirectory)
{
    EXPECT_EQ(GetModuleHandleA("Kelpcx32.dll"), nullptr);
    const std::string path = kt::fixture("pcx\\nb_8bit.pcx");
    kel::File f = kel::File::openRead(path.c_str());
    char format[16] = "";
    kel::GlobalMem info(ReadPCXBitmapInfo(f.get(), format, nullptr, 0));
    ASSERT_TRUE(info);
    EXPECT_STREQ(format, "PCX");
    HMODULE pcx = GetModuleHandleA("Kelpcx32.dll");
    ASSERT_NE(pcx, nullptr);
    EXPECT_EQ(directoryOf(pcx), directoryOf(nullptr));
    HGLOBAL tech = nullptr;
    kel::GlobalMem dib(OpenPCX(path.c_str(), kt::testApp().appInstance, format, nullptr, &tech, nullptr, 0));
    ASSERT_TRUE(dib);
    GlobalFree(tech);
    kt::RgbImage want, got;
    ASSERT_TRUE(kt::readNetpbm(kt::fixture("pcx\\nb_8bit.ref.ppm"), &want));
    ASSERT_TRUE(kt::dibToRgb(dib.get(), &got));
    EXPECT_EQ(kt::firstDifference(want, got), "");
}

TEST_F(RealCodecs, GifAndPngThroughTheDispatcher)
{
    {
        const std::string path = kt::fixture("gif\\im_c200.gif");
        kel::File f = kel::File::openRead(path.c_str());
        char format[16] = "";
        HGLOBAL tech = nullptr;
        HBRUSH background = nullptr;
        HGLOBAL info = ReadGIFBitmapinfo(f.get(), 1, format, &tech, &background);
        ASSERT_NE(info, nullptr);
        EXPECT_STREQ(format, "GIF89a");
        EXPECT_NE(GetModuleHandleA("Kelgif32.dll"), nullptr);
        HPALETTE palette = CreateDIBPalette(info);
        WORD go = 1;
        kel::GlobalMem dib(OpenGIF(nullptr, path.c_str(), kt::testApp().appInstance, format, &info, &tech, &palette,
                                   nullptr, &background, 0, 1, nullptr, nullptr, nullptr, &go, nullptr, nullptr,
                                   nullptr));
        ASSERT_TRUE(dib);
        kt::RgbImage want, got;
        ASSERT_TRUE(kt::readNetpbm(kt::fixture("gif\\im_c200.ref.ppm"), &want));
        ASSERT_TRUE(kt::dibToRgb(dib.get(), &got));
        EXPECT_EQ(kt::firstDifference(want, got), "");
        GlobalFree(info);
        GlobalFree(tech);
        DeleteObject(palette);
        DeleteObject(background);
    }
    {
        const std::string path = kt::fixture("png\\nb_pal4_il.png");
        kel::File f = kel::File::openRead(path.c_str());
        char format[16] = "";
        HGLOBAL tech = nullptr;
        kel::GlobalMem info(ReadPNGBitmapInfo(f.get(), 0, format, &tech, 0, 0));
        ASSERT_TRUE(info);
        EXPECT_STREQ(format, "PNG");
        HGLOBAL record = info.get(), title = nullptr, description = nullptr;
        kel::GlobalMem dib(OpenPNG(0, path.c_str(), kt::testApp().appInstance, 0, &record, &tech, 0, 0, 0, 0, 0, 0,
                                   &title, &description, 0, 0));
        ASSERT_TRUE(dib);
        kt::RgbImage want, got;
        ASSERT_TRUE(kt::readNetpbm(kt::fixture("png\\nb_pal4_il.ref.pam"), &want));
        ASSERT_TRUE(kt::dibToRgb(dib.get(), &got));
        EXPECT_EQ(kt::firstDifference(want, got), "");
        if (tech)
            GlobalFree(tech);
    }
}

// The catalog's thumbnail path: WriteJPEGMem, then ReadJPEGMem of the bytes written.
TEST_F(RealCodecs, JpegMemoryRoundTripThroughTheDispatcher)
{
    kel::GlobalMem dib(kt::makeDib(96, 72, 24, {}, [](int x, int y) {
        return uint32_t(20 + 2 * x) << 16 | uint32_t(40 + 2 * y) << 8 | uint32_t(100 + x - y);
    }));
    struct {
        int16_t quality;
        int32_t zero;
    } record = {75, 0};
    std::vector<uint8_t> buffer(96 * 72 * 3);
    const DWORD n = WriteJPEGMem(dib.get(), reinterpret_cast<const JpegOptions*>(&record), buffer.data(),
                                 DWORD(buffer.size()));
    ASSERT_GT(n, 0u);
    EXPECT_LT(n, 96u * 72 * 3) << "smaller than the DIB, so the catalog keeps it";
    kel::GlobalMem back(ReadJPEGMem(buffer.data(), n));
    ASSERT_TRUE(back);
    kt::RgbImage a, b;
    ASSERT_TRUE(kt::dibToRgb(dib.get(), &a));
    ASSERT_TRUE(kt::dibToRgb(back.get(), &b));
    ASSERT_EQ(a.pixels.size(), b.pixels.size());
    uint64_t error = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        for (int s : {0, 8, 16})
            error += uint64_t(std::abs(int(a.pixels[i] >> s & 255) - int(b.pixels[i] >> s & 255)));
    EXPECT_LT(double(error) / double(a.pixels.size() * 3), 3.0);
    EXPECT_TRUE(jpegMutexFree());
}

TEST_F(RealCodecs, JpegFileRoundTripThroughTheDispatcher)
{
    kel::GlobalMem dib(kt::makeDib(40, 30, 8, kt::spreadColours(256), [](int x, int y) { return uint32_t((x / 10 + y / 10) * 17); }));
    kt::TempDir dir;
    const std::string path = dir.file("r.jpg");
    JpegOptions options;
    options.quality = 95;
    options.progressive = 1;
    ASSERT_NE(WriteJPEG(path.c_str(), dib.get(), &options), 0);
    kel::File f = kel::File::openRead(path.c_str());
    char format[16] = "";
    kel::GlobalMem info(ReadJPEGBitmapInfo(&options, f.get(), 1, 1, 2, format));
    ASSERT_TRUE(info);
    EXPECT_STREQ(format, "JPEG");
    f.close();
    kel::GlobalMem back(OpenJPEG(&options, path.c_str()));
    ASSERT_TRUE(back);
    kel::GlobalLocked<BITMAPINFOHEADER> bi(back.get());
    EXPECT_EQ(bi->biWidth, 40);
    EXPECT_EQ(bi->biHeight, 30);
    EXPECT_EQ(bi->biBitCount, 24);
    EXPECT_TRUE(jpegMutexFree());
}
