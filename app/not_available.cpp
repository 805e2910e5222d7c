#include "not_available.h"

#include "ids_frame.h"

namespace kelapp {

namespace {

// One row per command or range of commands, with what completes it.
struct Row {
    UINT first, last;
};

constexpr Row kNotAvailable[] = {
    {IDM_ALPHA_SEQUENCE, IDM_ALPHA_SEQUENCE},         // catalog registry: UpdateCatalogEntry
    {IDM_BUILD_CATALOG, IDM_BUILD_CATALOG},           // catalog building
    {IDM_CHANGE_PALETTE, IDM_CHANGE_PALETTE},         // palette windows
    {IDM_STARTUP_OPTIONS, IDM_STARTUP_OPTIONS},       // startup options dialog
    {IDM_DELETE, IDM_DELETE},                         // image load and save
    {IDM_DISPLAY_HIDDEN, IDM_DISPLAY_HIDDEN},         // thumbnail views
    {IDM_DITHER, IDM_DITHER},                         // dither window
    {IDM_EXPORT_CATALOG, IDM_EXPORT_CATALOG},         // catalog export
    {IDM_GRAY_PALETTE, IDM_GRAY_PALETTE},             // palette windows
    {IDM_LAUNCH, IDM_LAUNCH},                         // application launcher
    {IDM_THUMBNAIL_VIEW, IDM_THUMBNAIL_VIEW},         // thumbnail views
    {IDM_MOVE_COPY, IDM_NEW},                         // KELCMD32 MovFile, DlgCreateNew
    {IDM_CREATE_CATALOG, IDM_CREATE_CATALOG},         // catalog selection and creation
    {IDM_OPEN, IDM_DISPLAY_PRINT},                    // open dialog; image windows' display settings
    {IDM_REBUILD_INDEX, IDM_REBUILD_INDEX},           // catalog maintenance
    {IDM_PLAY_RATE, IDM_LOOP},                        // slide show play rate; animation loop
    {IDM_PRINT_CATALOG, IDM_PRINT_CATALOG},           // catalog printing
    {IDM_BROWSE_CATALOG, IDM_PRINT_SETUP},            // catalog browse; printer setup
    {IDM_TECH_INFO, IDM_TECH_INFO},                   // KELCMD32 DlgTechInfo
    {IDM_OLE_UPDATE, IDM_OLE_CLOSE},                  // OLE server
    {IDM_CAPTURE_WINDOW, IDM_CAPTURE_DESKTOP},        // screen capture
    {IDM_DIB_PALETTE, IDM_SYSTEM_PALETTE},            // palette windows
    {IDM_DITHER_REQUEST_1, IDM_DITHER_REQUEST_1},     // dither window
    {IDM_DITHER_REQUEST_2, IDM_DITHER_REQUEST_2},     // dither window
    {IDM_SLIDE_SHOW_OPTIONS, IDM_SLIDE_SHOW_OPTIONS}, // slide show
    {IDM_DEFAULT_KEYWORDS, IDM_DEFAULT_KEYWORDS},     // catalog building: default keywords
    {IDM_ADJUST_PALETTE, IDM_ADJUST_PALETTE},         // palette windows
    {IDM_HISTOGRAM, IDM_HISTOGRAM},                   // histogram window
    {IDM_BUTTON_BAR, IDM_BUTTON_BAR},                 // toolbar
    {IDM_OLE_FIRST, IDM_OLE_LAST},                    // OLE server
    {IDM_IMPORT_CATALOG, IDM_IMPORT_CATALOG},         // catalog import
    {IDM_MOVE_CATALOG, IDM_CAPTURE_THUMBVIEW},        // catalog maintenance; screen capture
    {IDM_TWAIN_ACQUIRE, IDM_TWAIN_SELECT_SOURCE},     // TWAIN acquisition
    {IDM_PCD_ALTERNATE_LUT, IDM_PCD_SELECT_LUT},      // Photo CD colour tables
    {IDM_SELECT_CATALOG, IDM_DELETE_CATALOG},         // catalog selection and creation
    {IDM_BACKGROUND_PATTERN, IDM_BACKGROUND_PATTERN}, // image windows
    {IDM_CUSTOMIZE_TOOLBAR, IDM_CUSTOMIZE_TOOLBAR},   // toolbar
};

} // namespace

bool commandNotAvailable(UINT id)
{
    for (const Row& row : kNotAvailable)
        if (id >= row.first && id <= row.last)
            return true;
    return false;
}

int notAvailableCommands(UINT* ids, int capacity)
{
    int n = 0;
    for (const Row& row : kNotAvailable)
        for (UINT id = row.first; id <= row.last; ++id) {
            if (n < capacity)
                ids[n] = id;
            ++n;
        }
    return n;
}

} // namespace kelapp
