// The option commands of the frame: toggles and choices that change an option at once, some of
// them saved to the profile straight away.
#include "frame_commands.h"

#include "ids_frame.h"
#include "kel_messages.h"
#include "kelint.h"
#include "mdi_children.h"
#include "image_child.h"
#include "pending_libraries.h"
#include "profile.h"
#include "shell_state.h"
#include "status_bar.h"

#include <commdlg.h>

#include <cstdio>

namespace kelapp {

namespace {

bool inRange(UINT id, UINT first, UINT last) { return id >= first && id <= last; }

void toggle(int32_t& flag) { flag = flag ? 0 : 1; }
void toggle(bool& flag) { flag = !flag; }

// Saved as "YES" or "NO", each key following its own toggle.
void saveYesNo(const char* key, bool on) { writeProfile(key, on ? "YES" : "NO"); }

void saveNumber(const char* key, int value)
{
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    writeProfile(key, text);
}

// A display option of image windows changed: the active one takes it and repaints.
void imageOptionChanged(UINT id)
{
    if (HWND child = activeChild(appState().mdiClient))
        imageWindowOptionChanged(child, id);
}

void chooseBackgroundColor(HWND frame)
{
    Options& o = options();
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = frame;
    cc.rgbResult = o.backgroundColor & 0x00FFFFFF;
    cc.lpCustColors = o.customColors;
    cc.Flags = CC_RGBINIT;
    if (!ChooseColorA(&cc))
        return;
    o.backgroundColor = cc.rgbResult;
    HBRUSH old = appState().backgroundBrush;
    appState().backgroundBrush = CreateSolidBrush(o.backgroundColor);
    if (old)
        DeleteObject(old);
    imageOptionChanged(IDM_BACKGROUND_COLOR);
    writeProfile("Custom Colors 1", formatCustomColors(o.customColors));
    writeProfile("Custom Colors 2", formatCustomColors(o.customColors + 8));
    char text[16];
    snprintf(text, sizeof text, "%ld", long(o.backgroundColor));
    writeProfile("Background Color", text);
}

// The thumbnail views show their catalogs again.
void catalogsChanged(HWND frame) { PostMessageA(frame, WMU_CATALOGCHANGED, 0, LPARAM(-1)); }

} // namespace

bool isOptionCommand(UINT id)
{
    switch (id) {
    case IDM_AUTO_DITHER:
    case IDM_BACKGROUND_COLOR:
    case IDM_CENTER_IMAGE:
    case IDM_DIB_TO_SCREEN:
    case IDM_DISPLAY_WARNINGS:
    case IDM_FIX_TIFF:
    case IDM_STATUS_BAR:
    case IDM_VERIFY_CATALOG:
    case IDM_HIDE_ON_CAPTURE:
    case IDM_STRETCH_TO_FIT:
    case IDM_JPEG_SMOOTHING:
    case IDM_JPEG_TWO_PASS:
    case IDM_THUMB_THREE_QUARTERS:
    case IDM_THUMB_NORMAL:
    case IDM_THUMB_ONE_AND_HALF:
    case IDM_THUMB_DOUBLE:
    case IDM_DISPLAY_HALFTONES:
    case IDM_AUTO_CLOSE:
    case IDM_TWAIN_AUTO_CLOSE:
    case IDM_UUE_DELETE:
    case IDM_JPEG_THUMBNAILS:
    case IDM_HIRES_THUMBNAILS:
    case IDM_SHOW_EXTENSIONS:
    case IDM_SHOW_LONG_NAMES: return true;
    }
    return inRange(id, IDM_PCD_RESOLUTION_FIRST, IDM_PCD_FORMAT_LAST) ||
           inRange(id, IDM_MPEG_DITHER_FIRST, IDM_MPEG_DITHER_LAST) ||
           inRange(id, IDM_JPEG_COLORS_AUTO, IDM_JPEG_COLORS_MORE);
}

void optionCommand(HWND frame, UINT id)
{
    AppState& app = appState();
    Options& o = options();
    switch (id) {
    case IDM_AUTO_DITHER:
        toggle(app.autoDither);
        InitJPEGDll(); // the JPEG library takes the new value
        return;
    case IDM_BACKGROUND_COLOR: chooseBackgroundColor(frame); return;
    case IDM_CENTER_IMAGE:
        toggle(o.centerImage);
        imageOptionChanged(id);
        return;
    case IDM_STRETCH_TO_FIT:
        toggle(o.stretchToFit);
        imageOptionChanged(id);
        return;
    case IDM_DIB_TO_SCREEN:
        toggle(app.dibToScreen);
        imageOptionChanged(id);
        RedrawWindow(app.mdiClient, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        return;
    case IDM_DISPLAY_WARNINGS: toggle(app.displayWarnings); return;
    case IDM_FIX_TIFF: toggle(o.fixTiff); return;
    case IDM_STATUS_BAR: showStatusBar(frame, !o.statusBar); return;
    case IDM_VERIFY_CATALOG: toggle(app.verifyCatalog); return;
    case IDM_HIDE_ON_CAPTURE: toggle(o.hideOnCapture); return;
    case IDM_DISPLAY_HALFTONES: toggle(o.displayHalftones); return;
    case IDM_AUTO_CLOSE: toggle(o.autoClose); return;
    case IDM_JPEG_SMOOTHING:
        toggle(o.jpegSmoothing);
        saveYesNo("JPEG Pixel Smoothing", o.jpegSmoothing);
        return;
    case IDM_JPEG_TWO_PASS:
        toggle(o.jpegTwoPass);
        saveYesNo("JPEG 2 Pass Quantize", o.jpegTwoPass);
        return;
    case IDM_TWAIN_AUTO_CLOSE:
        toggle(o.twainAutoClose);
        writeProfile("TWAIN Auto Close", o.twainAutoClose ? "Yes" : "No");
        return;
    case IDM_UUE_DELETE:
        toggle(o.uueDelete);
        writeProfile("UUE Delete", o.uueDelete ? "Yes" : "No");
        return;
    case IDM_JPEG_THUMBNAILS:
        toggle(app.jpegThumbnails);
        saveYesNo("JPEG Thumbnails", app.jpegThumbnails);
        return;
    case IDM_HIRES_THUMBNAILS:
        toggle(app.hiresThumbnails);
        saveYesNo("Hires Thumbnails", app.hiresThumbnails);
        return;
    case IDM_SHOW_EXTENSIONS:
        toggle(app.showExtensions);
        writeProfile("Show Extensions", app.showExtensions ? "Yes" : "No");
        catalogsChanged(frame);
        return;
    case IDM_SHOW_LONG_NAMES:
        toggle(app.showLongNames);
        writeProfile("Show Long Names", app.showLongNames ? "Yes" : "No");
        catalogsChanged(frame);
        return;
    case IDM_THUMB_THREE_QUARTERS: o.thumbnailSize = ThumbnailSize::ThreeQuarters; catalogsChanged(frame); return;
    case IDM_THUMB_NORMAL: o.thumbnailSize = ThumbnailSize::Normal; catalogsChanged(frame); return;
    case IDM_THUMB_ONE_AND_HALF: o.thumbnailSize = ThumbnailSize::OneAndHalf; catalogsChanged(frame); return;
    case IDM_THUMB_DOUBLE: o.thumbnailSize = ThumbnailSize::Double; catalogsChanged(frame); return;
    }
    if (inRange(id, IDM_PCD_RESOLUTION_FIRST, IDM_PCD_RESOLUTION_LAST)) {
        o.pcdResolution = int(id - IDM_PCD_RESOLUTION_FIRST);
        saveNumber("PCD Resolution", o.pcdResolution);
    } else if (inRange(id, IDM_PCD_FORMAT_FIRST, IDM_PCD_FORMAT_LAST)) {
        o.pcdFormat = int(id - IDM_PCD_FORMAT_FIRST);
        saveNumber("PCD Format", o.pcdFormat);
    } else if (inRange(id, IDM_MPEG_DITHER_FIRST, IDM_MPEG_DITHER_LAST)) {
        o.mpegDither = int(id - IDM_MPEG_DITHER_FIRST);
        saveNumber("MPEG Dither Type", o.mpegDither);
    } else if (inRange(id, IDM_JPEG_COLORS_AUTO, IDM_JPEG_COLORS_MORE)) {
        o.jpegColorResolution = int(id - IDM_JPEG_COLORS_AUTO);
        saveNumber("JPEG Color Resolution", o.jpegColorResolution);
    }
}

} // namespace kelapp
