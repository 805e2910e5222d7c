// The options the program reads from its profile at start-up. Options the libraries read live in
// AppState (display warnings, auto dither, DIB to screen, JPEG and high-resolution thumbnails,
// long names, extensions, verify catalog, override passwords, use net names); the rest are here.
#pragma once

#include <windows.h>

#include <string>

namespace kelapp {

// Thumbnail sizes, as "Thumbnail Options" stores them.
enum class ThumbnailSize { Normal, OneAndHalf, Double, ThreeQuarters };

// The five comma-separated integers of "Screen"; a missing field keeps the system default.
struct FramePlacement {
    bool hasPosition = false, hasSize = false, hasShow = false;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, width = CW_USEDEFAULT, height = CW_USEDEFAULT, show = 0;
};

struct Options {
    bool buttonBar = true;
    bool statusBar = true;
    std::string primaryDrives, backupDrives;
    int catalogs = 1;
    std::string defaultCatalog = "Catalog1";
    bool centerImage = false, stretchToFit = false, solidBackground = true, fixTiff = false;
    bool autoClose = false, twainAutoClose = false, uueDelete = false;
    bool displayHalftones = false, hideOnCapture = false;
    ThumbnailSize thumbnailSize = ThumbnailSize::Normal;
    std::string defaultDirectory;
    COLORREF customColors[16] = {};
    COLORREF backgroundColor = RGB(255, 255, 255);
    bool disableTif = false, disableWpg = false, disableDrw = false, disableCgm = false, disablePcx = false;
    int pcdResolution = -1, pcdFormat = -1; // -1: not set
    int mpegDither = -1;
    std::string slideShow;
    bool jpegSmoothing = false, jpegTwoPass = false;
    int jpegColorResolution = 0; // 0 automatic, 1 256 colours, 2 more than 256
    int playDelay = 100;
    bool printCatalogExtensions = true, printCatalogTop = true;
    int browseState = 0;
};

// "Screen" as start-up reads it.
FramePlacement parseFramePlacement(const std::string& text);
// The show command of the frame: the fifth field only when it is 2 (minimised) or 3 (maximised)
// and the program was not started minimised; otherwise the command line's.
int frameShowCommand(const FramePlacement& placement, int commandLineShow);

// "Thumbnail Options": "1" one and a half times, "2" twice, "3" three quarters, else normal.
ThumbnailSize parseThumbnailSize(const std::string& text);
// The menu command that stands for a size, and the size a command stands for.
int thumbnailSizeCommand(ThumbnailSize size);

// Reads every option of the start-up key table that the frame does not read itself, into
// `options` and the option fields of AppState; writes the defaults the table says are written.
// `paletteDisplay`: the screen is a palette device (decides what a first run writes for "Auto Dither").
void loadOptions(Options& options, bool paletteDisplay);

// The eight decimal colours of "Custom Colors 1" or "2".
void parseCustomColors(const std::string& text, COLORREF* colours);
std::string formatCustomColors(const COLORREF* colours);

} // namespace kelapp
