// Start-up options: "Screen", the show command, thumbnail sizes, colours, and the first-run
// defaults written to the profile.
#include "app_fixture.h"
#include "options.h"
#include "shell_state.h"

#include <gtest/gtest.h>

namespace {

using namespace kelapp;

struct PlacementCase {
    const char* text;
    int commandLineShow;
    int x, y, width, height;
    int show;
};

// "Screen" | show command of the command line | x, y, width, height | resulting show command
const PlacementCase kPlacements[] = {
    {"10,20,640,480,3", SW_SHOWNORMAL, 10, 20, 640, 480, SW_SHOWMAXIMIZED},
    {"10,20,640,480,2", SW_SHOWNORMAL, 10, 20, 640, 480, SW_SHOWMINIMIZED},
    {"10,20,640,480,1", SW_SHOWDEFAULT, 10, 20, 640, 480, SW_SHOWDEFAULT},
    {"10,20,640,480,5", SW_SHOWNORMAL, 10, 20, 640, 480, SW_SHOWNORMAL},
    {"10,20,640,480,3", SW_SHOWMINNOACTIVE, 10, 20, 640, 480, SW_SHOWMINNOACTIVE},
    {"10,20,640,480,3", SW_SHOWMINIMIZED, 10, 20, 640, 480, SW_SHOWMINIMIZED},
    {"10,20", SW_SHOWNORMAL, 10, 20, CW_USEDEFAULT, CW_USEDEFAULT, SW_SHOWNORMAL},
    {"", SW_SHOWNORMAL, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, SW_SHOWNORMAL},
    {" 5, 6 ,700,500,3", SW_SHOWNORMAL, 5, 6, 700, 500, SW_SHOWMAXIMIZED},
    {",,700,500", SW_SHOWNORMAL, CW_USEDEFAULT, CW_USEDEFAULT, 700, 500, SW_SHOWNORMAL},
};

TEST(Options, ScreenPlacementAndShowCommand)
{
    for (const PlacementCase& c : kPlacements) {
        const FramePlacement p = parseFramePlacement(c.text);
        EXPECT_EQ(c.x, p.x) << c.text;
        EXPECT_EQ(c.y, p.y) << c.text;
        EXPECT_EQ(c.width, p.width) << c.text;
        EXPECT_EQ(c.height, p.height) << c.text;
        EXPECT_EQ(c.show, frameShowCommand(p, c.commandLineShow)) << c.text << " shown with " << c.commandLineShow;
    }
}

TEST(Options, ThumbnailSizes)
{
    const struct {
        const char* text;
        ThumbnailSize size;
        int command;
    } cases[] = {
        {"1", ThumbnailSize::OneAndHalf, 544}, {"2", ThumbnailSize::Double, 545},
        {"3", ThumbnailSize::ThreeQuarters, 500}, {"N", ThumbnailSize::Normal, 543},
        {"4", ThumbnailSize::Normal, 543},    {"", ThumbnailSize::Normal, 543},
        {"31", ThumbnailSize::Normal, 543},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.size, parseThumbnailSize(c.text)) << "\"" << c.text << "\"";
        EXPECT_EQ(c.command, thumbnailSizeCommand(parseThumbnailSize(c.text))) << "\"" << c.text << "\"";
    }
}

TEST(Options, CustomColoursBothWays)
{
    COLORREF colours[8];
    parseCustomColors("255,65280,16711680,0,1,2,3", colours);
    const COLORREF expected[8] = {255, 65280, 16711680, 0, 1, 2, 3, RGB(255, 255, 255)};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(expected[i], colours[i]) << "colour " << i;
    EXPECT_EQ("255,65280,16711680,0,1,2,3,16777215", formatCustomColors(colours));
}

class OptionsFromProfile : public apptest::FrameTest {};

TEST_F(OptionsFromProfile, FirstRunWritesItsDefaults)
{
    ASSERT_TRUE(start());
    const AppState& app = appState();
    EXPECT_EQ("Yes", profile("Use Net Names"));
    EXPECT_EQ(1, app.useNetNames);
    EXPECT_EQ("1", profile("Catalogs"));
    EXPECT_EQ("Catalog1", profile("Default Catalog"));
    EXPECT_FALSE(profile("extensions").empty());
    EXPECT_EQ(profile("extensions"), std::string(app.customFilter));
    // The display here has no palette: "YES" is written, but dithering stays off for this run.
    EXPECT_EQ("YES", profile("Auto Dither"));
    EXPECT_EQ(0, app.autoDither);
    // The default catalog lies in the program's folder, on a drive without a label.
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string folder(exe);
    folder.resize(folder.find_last_of('\\') + 1);
    EXPECT_EQ("Default," + folder + appName() + ".CAT," + app.customFilter + ", ", profile("Catalog1"));
    EXPECT_EQ(1, app.displayWarnings);
    EXPECT_EQ(1, app.showExtensions);
    EXPECT_EQ(1, app.showLongNames);
    EXPECT_EQ(0, app.dibToScreen);
}

TEST_F(OptionsFromProfile, KeysOfTheProfileTakeEffect)
{
    setProfile("Auto Dither", "No");
    setProfile("Thumbnail Options", "3");
    setProfile("Display Warnings", "no");
    setProfile("DIB to Screen", "Yes");
    setProfile("JPEG Options", "Yes,No");
    setProfile("Hires Thumbnails", "YES");
    setProfile("Verify Catalog", "Y");
    setProfile("Play Delay", "250");
    setProfile("Use Net Names", "No");
    setProfile("Background Color", "255");
    setProfile("Catalog1", "Mine,C:\\X.CAT,*.gif, ");
    ASSERT_TRUE(start());
    const AppState& app = appState();
    const Options& o = options();
    EXPECT_EQ(ThumbnailSize::ThreeQuarters, o.thumbnailSize);
    EXPECT_EQ(0, app.displayWarnings);
    EXPECT_EQ(1, app.dibToScreen);
    EXPECT_EQ(1, app.hiresThumbnails);
    EXPECT_EQ(1, app.verifyCatalog);
    EXPECT_EQ(0, app.useNetNames);
    EXPECT_EQ(250, o.playDelay);
    EXPECT_EQ(COLORREF(255), o.backgroundColor);
    EXPECT_EQ(0, app.autoDither);
    EXPECT_TRUE(o.jpegSmoothing);
    EXPECT_FALSE(o.jpegTwoPass);
    EXPECT_EQ("YES", profile("JPEG Pixel Smoothing"));
    EXPECT_EQ("NO", profile("JPEG 2 Pass Quantize"));
    bool found = true;
    profile("JPEG Options", &found);
    EXPECT_FALSE(found) << "the older key goes once converted";
    EXPECT_EQ("Mine,C:\\X.CAT,*.gif, ", profile("Catalog1")) << "an existing list is left alone";
}

} // namespace
