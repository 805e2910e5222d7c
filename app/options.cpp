#include "options.h"

#include "ids_frame.h"
#include "profile.h"
#include "shell_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kelapp {

namespace {

// Up to `count` comma-separated decimal integers; false for a field that is missing or empty.
int parseIntegers(const std::string& text, long* values, bool* present, int count)
{
    const char* p = text.c_str();
    int n = 0;
    for (; n < count; ++n) {
        while (*p == ' ')
            ++p;
        char* end = nullptr;
        values[n] = std::strtol(p, &end, 10);
        present[n] = end != p;
        p = end;
        while (*p && *p != ',')
            ++p;
        if (*p != ',') {
            ++n;
            break;
        }
        ++p;
    }
    for (int i = n; i < count; ++i)
        present[i] = false;
    return n;
}

int optionalInt(const char* key)
{
    const std::string text = profileText(key, "");
    return text.empty() ? -1 : std::atoi(text.c_str());
}

// The older "JPEG Options" ("smoothing,quantize" as yes/no) becomes the two keys of today.
void convertOldJpegOptions()
{
    const std::string old = profileText("JPEG Options", "");
    if (old.empty())
        return;
    const size_t comma = old.find(',');
    writeProfile("JPEG Pixel Smoothing", isYes(old) ? "YES" : "NO");
    writeProfile("JPEG 2 Pass Quantize", comma != std::string::npos && isYes(old.substr(comma + 1)) ? "YES" : "NO");
    deleteProfileKey("JPEG Options");
}

} // namespace

FramePlacement parseFramePlacement(const std::string& text)
{
    FramePlacement p;
    long v[5];
    bool present[5];
    parseIntegers(text, v, present, 5);
    if (present[0] && present[1]) {
        p.hasPosition = true;
        p.x = int(v[0]);
        p.y = int(v[1]);
    }
    if (present[2] && present[3]) {
        p.hasSize = true;
        p.width = int(v[2]);
        p.height = int(v[3]);
    }
    if (present[4]) {
        p.hasShow = true;
        p.show = int(v[4]);
    }
    return p;
}

int frameShowCommand(const FramePlacement& placement, int commandLineShow)
{
    const bool startedMinimised = commandLineShow == SW_MINIMIZE || commandLineShow == SW_SHOWMINIMIZED ||
                                  commandLineShow == SW_SHOWMINNOACTIVE;
    if (placement.hasShow && (placement.show == SW_SHOWMINIMIZED || placement.show == SW_SHOWMAXIMIZED) &&
        !startedMinimised)
        return placement.show;
    return commandLineShow;
}

ThumbnailSize parseThumbnailSize(const std::string& text)
{
    if (text == "1")
        return ThumbnailSize::OneAndHalf;
    if (text == "2")
        return ThumbnailSize::Double;
    if (text == "3")
        return ThumbnailSize::ThreeQuarters;
    return ThumbnailSize::Normal;
}

int thumbnailSizeCommand(ThumbnailSize size)
{
    switch (size) {
    case ThumbnailSize::OneAndHalf: return IDM_THUMB_ONE_AND_HALF;
    case ThumbnailSize::Double: return IDM_THUMB_DOUBLE;
    case ThumbnailSize::ThreeQuarters: return IDM_THUMB_THREE_QUARTERS;
    case ThumbnailSize::Normal: break;
    }
    return IDM_THUMB_NORMAL;
}

void parseCustomColors(const std::string& text, COLORREF* colours)
{
    long v[8];
    bool present[8];
    parseIntegers(text, v, present, 8);
    for (int i = 0; i < 8; ++i)
        colours[i] = present[i] ? COLORREF(v[i]) : RGB(255, 255, 255);
}

std::string formatCustomColors(const COLORREF* c)
{
    char text[128];
    snprintf(text, sizeof text, "%ld,%ld,%ld,%ld,%ld,%ld,%ld,%ld", long(c[0]), long(c[1]), long(c[2]), long(c[3]),
             long(c[4]), long(c[5]), long(c[6]), long(c[7]));
    return text;
}

void loadOptions(Options& o, bool paletteDisplay)
{
    AppState& app = appState();
    app.displayWarnings = profileYes("Display Warnings", true);
    o.centerImage = profileYes("Center Image", false);
    o.stretchToFit = profileYes("Stretch to Fit", false);
    o.solidBackground = profileYes("Solid Background", true);
    app.dibToScreen = profileYes("DIB to Screen", false);
    o.fixTiff = profileYes("Fix Tiff", false);
    o.autoClose = profileYes("Auto Close", false);
    o.twainAutoClose = profileYes("TWAIN Auto Close", false);
    o.uueDelete = profileYes("UUE Delete", false);
    o.thumbnailSize = parseThumbnailSize(profileText("Thumbnail Options", "N"));
    o.defaultDirectory = profileText("Default Directory", "");

    // A first run writes the default that suits the display, but leaves dithering off until the
    // next start.
    const std::string dither = profileText("Auto Dither", "");
    if (dither.empty()) {
        writeProfile("Auto Dither", paletteDisplay ? "No" : "YES");
        app.autoDither = 0;
    } else {
        app.autoDither = isYes(dither) ? 1 : 0;
    }

    parseCustomColors(profileText("Custom Colors 1", ""), o.customColors);
    parseCustomColors(profileText("Custom Colors 2", ""), o.customColors + 8);
    const std::string background = profileText("Background Color", "");
    if (!background.empty())
        o.backgroundColor = COLORREF(std::strtoul(background.c_str(), nullptr, 10));
    else
        o.backgroundColor = o.solidBackground ? PALETTERGB(255, 255, 255) : RGB(255, 255, 255);

    o.disableTif = profileYes("Disable TIF", false);
    o.disableWpg = profileYes("Disable WPG", false);
    o.disableDrw = profileYes("Disable DRW", false);
    o.disableCgm = profileYes("Disable CGM", false);
    o.disablePcx = profileYes("Disable PCX", false);
    o.pcdResolution = optionalInt("PCD Resolution");
    o.pcdFormat = optionalInt("PCD Format");
    o.mpegDither = optionalInt("MPEG Dither Type");
    o.slideShow = profileText("SlideShow", "");

    convertOldJpegOptions();
    o.jpegSmoothing = profileYes("JPEG Pixel Smoothing", false);
    o.jpegTwoPass = profileYes("JPEG 2 Pass Quantize", false);
    o.jpegColorResolution = profileInt("JPEG Color Resolution", 0);
    if (o.jpegColorResolution < 0 || o.jpegColorResolution > 2)
        o.jpegColorResolution = 0;
    app.jpegThumbnails = profileYes("JPEG Thumbnails", false);
    app.hiresThumbnails = profileYes("Hires Thumbnails", false);
    o.playDelay = profileInt("Play Delay", 100);
    o.printCatalogExtensions = profileYes("PrtCatExt", true);
    o.printCatalogTop = profileYes("PrtCatTop", true);
    app.showExtensions = profileYes("Show Extensions", true);
    app.showLongNames = profileYes("Show Long Names", true);
    o.browseState = profileInt("Browse State", 0);
}

} // namespace kelapp
