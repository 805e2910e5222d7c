// Loading and saving through the pipeline with the real codec libraries: choice by extension,
// then by signature, and saves that never leave a partial file.
#include "bmp_file.h"
#include "dib_builder.h"
#include "image_load.h"
#include "image_save.h"
#include "keldll.h"
#include "kelint.h"
#include "reference_image.h"
#include "test_support.h"
#include "win_raii.h"

#include <gtest/gtest.h>

using namespace pipeline;

namespace {

class Pipeline : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitKelDll(&kt::testApp());
        InitKelInt(&kt::testApp());
    }
    kt::TempDir dir;

    std::string copyAs(const std::string& from, const char* name)
    {
        const std::string to = dir.file(name);
        EXPECT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from;
        return to;
    }
};

// Whether another thread could take the JPEG mutex (a load must never keep it).
bool jpegMutexFree()
{
    struct Probe {
        static DWORD WINAPI run(void* result)
        {
            HANDLE m = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, "KELJPEG");
            const DWORD w = WaitForSingleObject(m, 15000);
            *static_cast<bool*>(result) = w == WAIT_OBJECT_0 || w == WAIT_ABANDONED;
            if (*static_cast<bool*>(result))
                ReleaseMutex(m);
            CloseHandle(m);
            return 0;
        }
    };
    bool free = false;
    kel::UniqueHandle t(CreateThread(nullptr, 0, Probe::run, &free, 0, nullptr));
    WaitForSingleObject(t.get(), INFINITE);
    return free;
}

} // namespace

TEST_F(Pipeline, LoadsByExtensionThenBySignature)
{
    struct Case {
        const char* fixture;
        const char* name;
        const char* type;
        const char* format;
    } cases[] = {
        {"pcx\\nb_8bit.pcx", "a.pcx", "PCX", "PCX"},
        {"pcx\\nb_8bit.pcx", "a.dat", "PCX", "PCX"},      // unknown extension: the signature proposes PCX
        {"jpeg\\baseline.jpg", "b.jpg", "JPG", "JPEG"},
        {"jpeg\\baseline.jpg", "b.pcx", "JPG", "JPEG"},   // the PCX reader refuses it; the signature says JPEG
        {"jpeg\\photo.jpg", "c.jif", "JIF", "JPEG"},
        {"gif\\im_c16.gif", "d.gif", "GIF", "GIF89a"},
        {"gif\\nb_c200.gif", "d.dat", "GIF", "GIF87a"}, // the signature names GIF
        {"png\\nb_pal8.png", "e.png", "PNG", "PNG"},
        {"io\\nb_cmap_rle.tga", "d.tga", "TGA", "TGA-9"},
        {"io\\nb_c16.iff", "e.lbm", "LBM", "IFF"},
        {"io\\nb_deep24.iff", "e.dat", "IFF", "IFF"}, // the signature proposes IFF
        {"sgi\\nb_rgb_rle.sgi", "d.rgb", "RGB", "RGB"},
        {"sgi\\im_grey_rle.sgi", "d.bw", "BW", "RGB"},
        {"ras\\nb_8bit.ras", "e.ras", "RAS", "RAS"},
        {"ras\\nb_24bit.ras", "e.dat", "RAS", "RAS"},   // unknown extension: the signature says RAS
        {"xpm\\nb_c200.xpm", "f.pm", "PM", "XPM"},
        {"xpm\\nb_bits.xbm", "g.xbm", "XBM", "XBM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = copyAs(kt::fixture(c.fixture), c.name);
        ImageInfo info;
        std::string error;
        kel::GlobalMem dib(loadImage(path, &info, &error));
        ASSERT_TRUE(dib) << error;
        EXPECT_EQ(info.type, c.type);
        EXPECT_EQ(info.format, c.format);
        kt::RgbImage want, got;
        const std::string stem = std::string(c.fixture).substr(0, std::string(c.fixture).rfind('.'));
        const std::string ref = kt::fixture(stem + (info.type == "PNG" ? ".ref.pam" : ".ref.ppm"));
        ASSERT_TRUE(kt::readNetpbm(ref, &want));
        ASSERT_TRUE(kt::dibToRgb(dib.get(), &got));
        EXPECT_EQ(kt::firstDifference(want, got), "");
        EXPECT_TRUE(jpegMutexFree());
    }
}

TEST_F(Pipeline, InformationOnlyDescribesTheImageAndFreesTheJpegMutex)
{
    ImageInfo info;
    std::string error;
    ASSERT_TRUE(readImageInfo(kt::fixture("jpeg\\grey.jpg"), &info, &error)) << error;
    EXPECT_EQ(info.format, "JPEG");
    EXPECT_EQ(info.width, 61);
    EXPECT_EQ(info.height, 47);
    EXPECT_EQ(info.bits, 8);
    EXPECT_EQ(info.colours, 256u);
    EXPECT_EQ(info.techInfo, "Format: 61x47x256 JPEG \r\n\r\n");
    EXPECT_TRUE(jpegMutexFree());

    ASSERT_TRUE(readImageInfo(kt::fixture("jpeg\\photo.jpg"), &info, &error, ReadOptions{8, 0}));
    EXPECT_EQ(info.width, 32) << "scaled thumbnail size";
    EXPECT_EQ(info.height, 24);
}

TEST_F(Pipeline, UnrecognisedFilesAreRefused)
{
    const std::string path = dir.file("n.dat");
    ASSERT_TRUE(kt::writeFile(path, std::vector<uint8_t>(2000, 0x33)));
    ImageInfo info;
    std::string error;
    EXPECT_EQ(loadImage(path, &info, &error), nullptr);
    EXPECT_EQ(error, "Unrecognized or invalid file:" + path + "!");
}

TEST_F(Pipeline, SavesEveryWritableFormatOfThisBuildAndReadsItBack)
{
    kel::GlobalMem dib(kt::makeDib(33, 21, 8, kt::spreadColours(256), kt::pattern(8, 256)));
    kt::RgbImage original;
    ASSERT_TRUE(kt::dibToRgb(dib.get(), &original));
    for (const char* name : {"o.pcx", "o.bmp", "o.jpg", "o.gif", "o.png", "o.tga", "o.lbm", "o.sgi"}) {
        SCOPED_TRACE(name);
        SaveOptions options;
        options.jpeg.quality = 100;
        std::string error;
        ASSERT_TRUE(saveImage(dir.file(name), dib.get(), options, &error)) << error;
        ImageInfo info;
        kel::GlobalMem back(loadImage(dir.file(name), &info, &error));
        ASSERT_TRUE(back) << error;
        kt::RgbImage got;
        ASSERT_TRUE(kt::dibToRgb(back.get(), &got));
        if (std::string(name) != "o.jpg")
            EXPECT_EQ(kt::firstDifference(original, got), "");
        else
            EXPECT_EQ(got.width, original.width);
        EXPECT_EQ(GetFileAttributesA((dir.file(name) + ".part~").c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

// A save that fails leaves the file that was there as it was, and no temporary file.
TEST_F(Pipeline, FailedSaveLeavesThePreviousFile)
{
    const std::vector<uint8_t> previous(500, 0x5A);
    for (const char* name : {"keep.pcx", "keep.jpg"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(name);
        ASSERT_TRUE(kt::writeFile(path, previous));
        kel::GlobalMem four(kt::makeDib(8, 8, 4, kt::spreadColours(16), kt::pattern(4, 16)));
        kel::GlobalMem sixteen(kt::makeDib(8, 8, 24, {}, kt::pattern(24, 0)));
        reinterpret_cast<BITMAPINFOHEADER*>(GlobalLock(sixteen.get()))->biBitCount = 16;
        GlobalUnlock(sixteen.get());
        std::string error;
        EXPECT_FALSE(saveImage(path, sixteen.get(), SaveOptions{}, &error));
        if (std::string(name) == "keep.jpg") {
            EXPECT_FALSE(saveImage(path, four.get(), SaveOptions{}, &error));
            EXPECT_EQ(error, "JPEG compression cannot handle images less than 8 bits per pixel!");
        }
        EXPECT_EQ(kt::readFile(path), previous);
        EXPECT_EQ(GetFileAttributesA((path + ".part~").c_str()), INVALID_FILE_ATTRIBUTES);
    }
    std::string error;
    kel::GlobalMem dib(kt::makeDib(8, 8, 8, kt::spreadColours(256), kt::pattern(8, 256)));
    EXPECT_FALSE(saveImage(dir.file("x.wpg"), dib.get(), SaveOptions{}, &error));
    EXPECT_EQ(error, "writing WordPerfect Graphics WPG files is not available");
}

// A true-colour image saved as GIF is first mapped to 256 colours; GIF's options are its own.
TEST_F(Pipeline, TrueColourImagesAreSavedAsGifOf256Colours)
{
    kel::GlobalMem dib(kt::makeDib(40, 30, 24, {}, [](int x, int y) { return uint32_t((x * 6) << 16 | (y * 8) << 8 | 0x40); }));
    SaveOptions options;
    options.gifFlags = 3;
    std::string error;
    ASSERT_TRUE(saveImage(dir.file("t.gif"), dib.get(), options, &error)) << error;
    const std::vector<uint8_t> b = kt::readFile(dir.file("t.gif"));
    ASSERT_GT(b.size(), 13u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 6), "GIF89a");
    ImageInfo info;
    kel::GlobalMem back(loadImage(dir.file("t.gif"), &info, &error));
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(info.bits, 8);
    EXPECT_EQ(info.width, 40);
}

// An ICS image is read by its header file's name, with the data file beside it.
TEST_F(Pipeline, LoadsIcsByTheHeaderName)
{
    const std::string header = dir.file("cells.ics");
    const std::string text = "\t\nics_version\t1.0\nfilename\tcells\nlayout\tparameters\t3\nlayout\torder\tbits\tx\ty\n"
                             "layout\tsizes\t8\t3\t2\nlayout\tcoordinates\tvideo\n";
    ASSERT_TRUE(kt::writeFile(header, std::vector<uint8_t>(text.begin(), text.end())));
    ASSERT_TRUE(kt::writeFile(dir.file("cells.ids"), {0, 100, 200, 50, 150, 250}));
    ImageInfo info;
    std::string error;
    kel::GlobalMem dib(loadImage(header, &info, &error));
    ASSERT_TRUE(dib) << error;
    EXPECT_EQ(info.type, "ICS");
    EXPECT_EQ(info.format, "ICS");
    EXPECT_EQ(info.techInfo, "Format: 3x2x256 ICS \r\n\r\n");
    kt::RgbImage got;
    ASSERT_TRUE(kt::dibToRgb(dib.get(), &got));
    EXPECT_EQ(got.pixels, (std::vector<uint32_t>{0, 0x646464, 0xC8C8C8, 0x323232, 0x969696, 0xFAFAFA}));
}

// SGI files are written compressed unless the flag is cleared, in colour unless black and white
// output is asked for.
TEST_F(Pipeline, SgiOptions)
{
    kel::GlobalMem dib(kt::makeDib(9, 5, 24, {}, [](int x, int y) { return uint32_t(x * 20) << 16 | uint32_t(y * 40); }));
    struct Case {
        int flags;
        bool blackAndWhite;
        uint8_t storage;
        uint16_t channels;
    } cases[] = {{1, false, 1, 3}, {0, false, 0, 3}, {1, true, 1, 1}, {0, true, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.flags << " " << c.blackAndWhite);
        SaveOptions options;
        options.formatFlags = c.flags;
        options.blackAndWhite = c.blackAndWhite;
        std::string error;
        const std::string path = dir.file("o.sgi");
        ASSERT_TRUE(saveImage(path, dib.get(), options, &error)) << error;
        const std::vector<uint8_t> b = kt::readFile(path);
        ASSERT_GE(b.size(), 512u);
        EXPECT_EQ(b[2], c.storage);
        EXPECT_EQ(b[11], c.channels);
        ImageInfo info;
        kel::GlobalMem back(loadImage(path, &info, &error));
        ASSERT_TRUE(back) << error;
        EXPECT_EQ(info.bits, c.blackAndWhite ? 8 : 24);
    }
}
