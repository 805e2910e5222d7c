// The dispatcher's loading, forwarding, messages and release, against stand-in libraries in a
// scratch application directory.
#include "kelint.h"
#include "test_profile.h"
#include "standin_dir.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <sstream>
#include <vector>

using namespace dispatch_test;

namespace {

// Low 32 bits in hex, as the stand-ins record arguments.
std::string hex(const void* p)
{
    char t[16];
    std::snprintf(t, sizeof t, "%x", unsigned(uint32_t(uintptr_t(p))));
    return t;
}

template <typename T> T* fake(uintptr_t v) { return reinterpret_cast<T*>(v); }
#define FAKE(type, v) reinterpret_cast<type>(uintptr_t(v))

int count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

const char* const kAllLibraries[] = {"Kelio32.dll",  "Kelgif32.dll", "Kelpcx32.dll", "KelTif32.dll",
                                     "Kelwpg32.dll", "KelFlc32.dll", "Keljpg32.dll", "KelPCD32.dll",
                                     "KelICS32.dll", "KelAVI32.dll", "KelMM32.dll",  "KelMPG32.dll",
                                     "KelPng32.dll", "Kelsgi32.dll", "KelRAS32.dll", "KelXPM32.dll"};

} // namespace

TEST(Dispatch, FirstCallLoadsTheLibraryFromTheApplicationDirectoryAndLaterCallsReuseIt)
{
    StandinDir dir({"Kelpcx32.dll"});
    char format[16] = "";
    EXPECT_EQ(ReadPCXBitmapInfo(FAKE(HANDLE, 0x11), format, nullptr, 1), FAKE(HGLOBAL, 1));
    ASSERT_NE(dir.loaded("Kelpcx32.dll"), nullptr) << "not loaded from " << dir.path();
    EXPECT_EQ(OpenPCX("x.pcx", nullptr, format, nullptr, nullptr, nullptr, 0), FAKE(HGLOBAL, 1));
    EXPECT_EQ(env("KEL_STANDIN_LOADS"), "Kelpcx32.dll\n");
    EXPECT_EQ(count(calls(), "Kelpcx32.dll:"), 2) << calls();
    // Loaded once: a single release unloads it.
    FreeDlls();
    EXPECT_EQ(dir.loaded("Kelpcx32.dll"), nullptr);
}

// Each forwarder passes its arguments through unchanged, except the documented replacements.
TEST(Dispatch, ForwardersPassTheirArgumentsToTheEntryOfTheirLibrary)
{
    StandinDir dir({"Kelio32.dll", "Kelgif32.dll", "Kelpcx32.dll", "KelTif32.dll", "Kelwpg32.dll", "KelICS32.dll",
                    "KelPng32.dll", "Kelsgi32.dll", "KelRAS32.dll", "KelXPM32.dll", "KelPCD32.dll"});
    dir.app().autoDither = 1;
    struct Case {
        std::function<void()> call;
        const char* recorded;
    } cases[] = {
        {[] { WritePCX(fake<const char>(0xA1), FAKE(HGLOBAL, 0xA2), 1); }, "Kelpcx32.dll:WritePCX(a1,a2,1)"},
        {[] { OpenLBM(fake<const char>(1), FAKE(HINSTANCE, 2), fake<char>(3), fake<HGLOBAL>(4), fake<HPALETTE>(5)); },
         "Kelio32.dll:OpenLBM(1,2,3,4,5)"},
        {[] { OpenDRW(FAKE(HWND, 1), fake<const char>(2), 3, fake<char>(4), fake<HGLOBAL>(5), fake<HPALETTE>(6),
                      fake<HGLOBAL>(7), 8); },
         "Kelio32.dll:OpenDRW(1,2,3,4,5,6,7,8)"},
        {[] { OpenCLP(fake<HGLOBAL>(0x10), fake<char>(0x20)); }, "Kelio32.dll:OpenCLP(10,20)"},
        // The dispatcher's information form has no display-warnings argument: the library gets 0.
        {[] { ReadGIFBitmapinfo(FAKE(HANDLE, 1), 2, fake<char>(3), fake<HGLOBAL>(4), fake<HBRUSH>(5)); },
         "Kelgif32.dll:ReadGIFBitmapInfo(1,2,3,4,5,0)"},
        // The auto-dither argument is the application's "Auto Dither" flag, whatever was passed.
        {[] { OpenGIF(FAKE(HWND, 1), fake<const char>(2), FAKE(HINSTANCE, 3), fake<char>(4), fake<HGLOBAL>(5),
                      fake<HGLOBAL>(6), fake<HPALETTE>(7), fake<HGLOBAL>(8), fake<HBRUSH>(9), 10, 0x77,
                      fake<HGLOBAL>(12), fake<HGLOBAL>(13), fake<HWND>(14), fake<WORD>(15), fake<HBITMAP>(16),
                      fake<int>(17), fake<COLORREF>(18)); },
         "Kelgif32.dll:OpenGIF(1,2,3,4,5,6,7,8,9,a,1,c,d,e,f,10,11,12)"},
        {[] { ReadTIFBitmapinfo(1, 2, 3, 4, 5); }, "KelTif32.dll:ReadTIFBitmapInfo(1,2,3,4,5)"},
        {[] { GetTiffDllVersion(); }, "KelTif32.dll:GetDllVersion()"},
        {[] { OpenCGM(FAKE(HWND, 1), fake<const char>(2), FAKE(HINSTANCE, 3), fake<char>(4), fake<HGLOBAL>(5),
                      FAKE(HGLOBAL, 6), fake<HPALETTE>(7), fake<HGLOBAL>(8), fake<HBRUSH>(9), 10, fake<HGLOBAL>(11)); },
         "Kelwpg32.dll:OpenCGM(1,2,3,4,5,6,7,8,9,a,b)"},
        {[] { OpenICS(fake<const char>(1), FAKE(HINSTANCE, 2), fake<char>(3), fake<HGLOBAL>(4), fake<HPALETTE>(5), 6,
                      7); },
         "KelICS32.dll:OpenICS(1,2,3,4,5,6,7)"},
        // The library's trailing (ignored) 17th argument is passed as 0.
        {[] { OpenPNG(1, fake<const char>(2), FAKE(HINSTANCE, 3), 4, fake<HGLOBAL>(5), fake<HGLOBAL>(6), 7, 8, 9, 10,
                      11, 12, fake<HGLOBAL>(13), fake<HGLOBAL>(14), 15, 16); },
         "KelPng32.dll:OpenPNG(1,2,3,4,5,6,7,8,9,a,b,c,d,e,f,10,0)"},
        {[] { WriteRGB(fake<const char>(1), FAKE(HGLOBAL, 2), 3); }, "Kelsgi32.dll:WriteRGB(1,2,3)"},
        {[] { OpenRAS(fake<const char>(1), FAKE(HINSTANCE, 2), fake<char>(3), fake<HGLOBAL>(4), fake<HGLOBAL>(5),
                      fake<HPALETTE>(6), 7); },
         "KelRAS32.dll:OpenRAS(1,2,3,4,5,6,7)"},
        {[] { ReadXBMBitmapInfo(fake<const char>(1), fake<char>(2), fake<HGLOBAL>(3), 4); },
         "KelXPM32.dll:ReadXBMBitmapInfo(1,2,3,4)"},
        {[] { ConvertBoundingRect(1, 2, 3, 4, 5); }, "KelPCD32.dll:ConvertBoundingRect(1,2,3,4,5)"},
    };
    for (const Case& c : cases) {
        clearRecords();
        c.call();
        EXPECT_EQ(calls(), std::string(c.recorded) + "\n");
    }
}

TEST(Dispatch, ResultsComeBackFromTheLibraryUnchanged)
{
    StandinDir dir({"Kelpcx32.dll"});
    SetEnvironmentVariableA("KEL_STANDIN_RESULT", "0x5A5A");
    EXPECT_EQ(WritePCX("a", nullptr, 0), 0x5A5A);
    SetEnvironmentVariableA("KEL_STANDIN_RESULT", "0");
    EXPECT_EQ(OpenPCX("a", nullptr, nullptr, nullptr, nullptr, nullptr, 0), nullptr);
}

TEST(Dispatch, MissingLibraryShowsItsNameOnEveryCallAndReturnsZero)
{
    StandinDir dir({});
    kt::DialogAnswerer answerer;
    EXPECT_EQ(ReadGIFBitmapinfo(nullptr, 0, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(ReadGIFBitmapinfo(nullptr, 0, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(WritePCX("a", nullptr, 0), 0);
    ASSERT_EQ(answerer.shown().size(), 3u);
    EXPECT_EQ(answerer.shown()[0].text, "Can't load Kelgif32.dll");
    EXPECT_EQ(answerer.shown()[1].text, "Can't load Kelgif32.dll");
    EXPECT_EQ(answerer.shown()[2].text, "Can't load Kelpcx32.dll");
}

TEST(Dispatch, LibraryThatAppearsAfterAFailedLoadIsLoadedOnTheNextCall)
{
    StandinDir dir({});
    kt::DialogAnswerer answerer;
    EXPECT_EQ(OpenRGB("a", nullptr, nullptr, nullptr, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(answerer.shown().size(), 1u);
    dir.add("Kelsgi32.dll");
    EXPECT_EQ(OpenRGB("a", nullptr, nullptr, nullptr, nullptr, nullptr, 0), FAKE(HGLOBAL, 1));
    EXPECT_EQ(answerer.shown().size(), 1u);
    EXPECT_NE(dir.loaded("Kelsgi32.dll"), nullptr);
}

// The Photo CD lookups, the video, sound and MPEG players fail quietly; the Photo CD image
// entries and every other library show the message. The error mode is restored after a load.
TEST(Dispatch, QuietLoadersShowNothingAndRestoreTheErrorMode)
{
    StandinDir dir({});
    kt::DialogAnswerer answerer;
    const UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
    EXPECT_EQ(CheckPCDName(1, 2), 0);
    EXPECT_EQ(GetPCDSize(1, 2), 0);
    EXPECT_EQ(ConvertBoundingRect(1, 2, 3, 4, 5), 0);
    EXPECT_EQ(PCDSelectAltLut(1, 2, 3), 0);
    EXPECT_EQ(DoPCDsetLut(1), 0);
    EXPECT_EQ(OpenAVI("a", 0, 0, 0), 0);
    EXPECT_EQ(ReadWAVBitmapInfo(1, 2, 3, 4, 5), nullptr);
    EXPECT_EQ(MMSoundStatus(), 0);
    EXPECT_EQ(OpenMpeg(1, 2, 3, 4), 0);
    EXPECT_TRUE(answerer.shown().empty());
    EXPECT_EQ(GetErrorMode(), UINT(SEM_FAILCRITICALERRORS));
    EXPECT_EQ(ReadPCDBitmapInfo(1, 2, 3, 4, 5, 6, 7, 8), nullptr);
    ASSERT_EQ(answerer.shown().size(), 1u);
    EXPECT_EQ(answerer.shown()[0].text, "Can't load KelPCD32.dll");
    SetErrorMode(mode);
}

// Players are initialised right after loading; a library whose window class could not be
// registered is looked up and initialised again on its next call.
TEST(Dispatch, PlayersAreInitialisedOnLoadUntilTheirClassIsRegistered)
{
    StandinDir dir({"KelFlc32.dll", "KelMM32.dll", "KelAVI32.dll", "KelMPG32.dll", "Keljpg32.dll"});
    AppState& a = dir.app();
    std::strcpy(a.helpFile, "K.HLP");
    a.frameWnd = FAKE(HWND, 0xF1);
    a.mdiClient = FAKE(HWND, 0xF2);
    a.autoDither = 1;
    const std::string inst = hex(a.appInstance);
    const std::string shared = "f1,f2," + inst + "," + hex(&a.oleEditing) + "," + hex(&a.accelerators) + "," +
                               hex(&a.childCount) + "," + hex(&a.currentCatalog) + "," + hex(&a.frameMenu) + "," +
                               hex(&a.coverWnd);

    SetEnvironmentVariableA("KEL_STANDIN_RESULT", "0"); // class registration fails
    DisplayFlic(nullptr, nullptr, 0);
    DisplayFlic(nullptr, nullptr, 0);
    SetEnvironmentVariableA("KEL_STANDIN_RESULT", "1");
    DisplayFlic(nullptr, nullptr, 0);
    DisplayFlic(nullptr, nullptr, 0);
    const std::string flcInit = "KelFlc32.dll:InitFLICDll(" + shared + "," + hex(a.helpFile) + ")";
    EXPECT_EQ(count(calls(), flcInit), 3) << calls();
    EXPECT_EQ(count(calls(), "KelFlc32.dll:FLICWndRegisterClass(" + inst + ")"), 3);
    EXPECT_EQ(count(calls(), "KelFlc32.dll:DisplayFlic("), 4);

    clearRecords();
    MMSoundClose();
    MMSoundClose();
    EXPECT_EQ(calls(), "KelMM32.dll:InitMMDll(" + shared + ")\nKelMM32.dll:MMWndRegisterClass(" + inst +
                           ")\nKelMM32.dll:MMSoundClose()\nKelMM32.dll:MMSoundClose()\n");

    clearRecords();
    GetAVIDib(nullptr);
    EXPECT_EQ(calls(), "KelAVI32.dll:InitAVIDll(" + hex(&a) + ")\nKelAVI32.dll:AVIWndRegisterClass(" + inst +
                           ")\nKelAVI32.dll:GetAVIDib(0)\n");

    clearRecords();
    OpenMpeg(1, 2, 3, 4);
    EXPECT_EQ(calls(), "KelMPG32.dll:InitMPGDll(f1," + inst + "," + hex(a.helpFile) +
                           ")\nKelMPG32.dll:OpenMpeg(1,2,3,4)\n");

    clearRecords();
    ReadJPEGMem(FAKE(const void*, 0x10), 20);
    InitJPEGDll();
    const std::string jpgInit = "Keljpg32.dll:InitJPEGDll(f1," + inst + "," + hex(a.helpFile) + ",1)\n";
    EXPECT_EQ(calls(), jpgInit + "Keljpg32.dll:ReadJPEGMem(10,14)\n" + jpgInit);
}

// The libraries are released in the fixed order, then the spin control, each only once; a
// forwarder called afterwards loads its library again.
TEST(Dispatch, FreeDllsReleasesEveryLoadedLibraryInTheFixedOrderOnce)
{
    StandinDir dir({});
    for (const char* f : kAllLibraries)
        dir.add(f);
    dir.add("Spin32.dll");
    // Loaded in an order unlike the release order.
    EXPECT_EQ(LoadSpin32(), 1);
    WriteXBM(nullptr, nullptr, 0);
    WriteRAS(nullptr, nullptr, 0);
    WritePNG(nullptr, nullptr, 0, 0, nullptr, nullptr);
    OpenMpeg(0, 0, 0, 0);
    MMSoundStatus();
    AVIWndGetDevice(nullptr);
    OpenICS(nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0);
    DoPCDsetLut(0);
    WriteJPEG(nullptr, nullptr, nullptr);
    ANIMRewind(nullptr);
    GetWPGPalette(nullptr);
    CloseImag(0);
    WritePCX(nullptr, nullptr, 0);
    WriteGIF(nullptr, nullptr, 0, 0, 0, nullptr, 0, nullptr, nullptr);
    WriteLBM(nullptr, nullptr, 0);
    WriteRGB(nullptr, nullptr, 0);

    FreeDlls();
    std::vector<std::string> want(std::begin(kAllLibraries), std::end(kAllLibraries));
    want.push_back("Spin32.dll");
    EXPECT_EQ(lines(env("KEL_STANDIN_UNLOADS")), want);
    for (const std::string& f : want)
        EXPECT_EQ(dir.loaded(f.c_str()), nullptr) << f;

    clearRecords();
    FreeDlls();
    EXPECT_EQ(env("KEL_STANDIN_UNLOADS"), "");
    WritePCX(nullptr, nullptr, 0);
    EXPECT_EQ(env("KEL_STANDIN_LOADS"), "Kelpcx32.dll\n");
    EXPECT_EQ(calls(), "Kelpcx32.dll:WritePCX(0,0,0)\n");
}

TEST(Dispatch, LoadSpin32RegistersTheSpinClassOrSaysItCannotLoad)
{
    {
        StandinDir dir({});
        kt::DialogAnswerer answerer;
        EXPECT_EQ(LoadSpin32(), 0);
        ASSERT_EQ(answerer.shown().size(), 1u);
        EXPECT_EQ(answerer.shown()[0].text, "Can't load Spin32.dll");
    }
    StandinDir dir({"Spin32.dll"});
    EXPECT_EQ(LoadSpin32(), 1);
    EXPECT_EQ(LoadSpin32(), 1);
    EXPECT_EQ(env("KEL_STANDIN_LOADS"), "Spin32.dll\n");
    WNDCLASSA wc;
    EXPECT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "KelSpin", &wc));
}

// A library without the optional version entry: the forwarder answers 0 instead of calling null.
TEST(Dispatch, MissingEntryOfALoadedLibraryGivesZero)
{
    StandinDir dir({});
    dir.add("KelTif32.dll", true);
    EXPECT_EQ(GetTiffDllVersion(), 0);
    EXPECT_NE(dir.loaded("KelTif32.dll"), nullptr);
    EXPECT_EQ(CloseImag(7), 1);
}

// The directory of the module, then the file name; a directory too long for the 128-byte
// buffer (115 characters or more with its final backslash) gives a name ending in "?".
TEST(Dispatch, MakeDLLPathNameJoinsTheModuleDirectoryAndTheFileName)
{
    for (size_t length : {114u, 115u, 127u, 200u}) {
        kt::TempDir temp;
        const size_t pad = length - temp.path().size() - 2;
        const std::string dir = temp.path() + "\\" + std::string(pad, 'd') + "\\";
        ASSERT_EQ(dir.size(), length);
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, sizeof self);
        std::string standin(self);
        standin = standin.substr(0, standin.find_last_of('\\') + 1) + "standin.dll";
        ASSERT_TRUE(CopyFileA(standin.c_str(), (dir + "m.dll").c_str(), FALSE));
        HMODULE m = LoadLibraryA((dir + "m.dll").c_str());
        ASSERT_NE(m, nullptr);
        const std::string got = MakeDLLPathName(m, "Kelpcx32.dll");
        if (length <= 114) {
            EXPECT_EQ(got, dir + "Kelpcx32.dll");
        } else {
            ASSERT_FALSE(got.empty());
            EXPECT_EQ(got.back(), '?') << got;
            // Never a shorter, existing folder: a module name cut to the buffer would name a parent.
            EXPECT_EQ(got.substr(0, got.size() - 1), dir.substr(0, got.size() - 1)) << got;
        }
        FreeLibrary(m);
    }
}

TEST(Dispatch, EveryLoadFailsFromADirectoryOf115Characters)
{
    kt::TempDir probe;
    const size_t pad = 115 - probe.path().size() - 2;
    StandinDir dir({"Kelpcx32.dll"}, std::string(pad, 'p'));
    ASSERT_EQ(dir.path().size(), 115u);
    kt::DialogAnswerer answerer;
    EXPECT_EQ(WritePCX("a", nullptr, 0), 0);
    ASSERT_EQ(answerer.shown().size(), 1u);
    EXPECT_EQ(answerer.shown()[0].text, "Can't load Kelpcx32.dll");
}

// The first Photo CD read records its resolution and palette format in the profile, once.
TEST(Dispatch, FirstPhotoCdReadWritesItsOptionsToTheProfile)
{
    StandinDir dir({"KelPCD32.dll"});
    AppState& a = dir.app();
    TestProfile profile(a);
    a.photoCD = 0;
    EXPECT_EQ(OpenPCD(1, 2, 3, 4, 5, 6, 4, 0x10002, 9), FAKE(HGLOBAL, 1));
    EXPECT_EQ(a.photoCD, 1);
    EXPECT_EQ("4", profile.registryValue(a.appName, "PCD Resolution"));
    EXPECT_EQ("2", profile.registryValue(a.appName, "PCD Format")) << "16-bit value";
    EXPECT_EQ(calls(), "KelPCD32.dll:OpenPCD(1,2,3,4,5,6,4,10002,9)\n");

    OpenPCD(1, 2, 3, 4, 5, 6, 5, 3, 9);
    EXPECT_EQ("4", profile.registryValue(a.appName, "PCD Resolution")) << "written only on the first read";
}

TEST(Dispatch, InitKelIntMakesTheJpegMutex)
{
    EXPECT_EQ(InitKelInt(&kt::testApp()), 1);
    HANDLE m = OpenMutexA(SYNCHRONIZE, FALSE, "KELJPEG");
    EXPECT_NE(m, nullptr);
    CloseHandle(m);
}
