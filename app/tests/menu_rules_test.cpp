// The enable and check rules of the menu state, case by case, on facts made up for each case.
#include "activity.h"
#include "ids_frame.h"
#include "menu_state.h"
#include "not_available.h"
#include "shell_state.h"
#include "window_kind.h"

#include <gtest/gtest.h>

namespace {

using namespace kelapp;

ChildFacts image(int bits = 8)
{
    ChildFacts c;
    c.exists = true;
    c.kind = KIND_IMAGE;
    c.bitsPerPixel = bits;
    return c;
}

ChildFacts view()
{
    ChildFacts c;
    c.exists = true;
    c.kind = KIND_THUMBVIEW;
    return c;
}

struct Case {
    const char* what;
    UINT command;
    MenuFacts facts;
    bool enabled;
};

MenuFacts with(ChildFacts child, uint32_t activity = 0)
{
    MenuFacts f;
    f.child = child;
    f.activity = activity;
    return f;
}

template <typename Fn> MenuFacts changed(MenuFacts f, Fn fn)
{
    fn(f);
    return f;
}

ChildFacts changed(ChildFacts c, void (*fn)(ChildFacts&))
{
    fn(c);
    return c;
}

TEST(MenuRules, EnableRulesOfTheTable)
{
    const Case cases[] = {
        {"build, nothing running", IDM_BUILD_CATALOG, with({}), true},
        {"build while building", IDM_BUILD_CATALOG, with({}, ACT_BUILD), false},
        {"build during a catalog entry", IDM_BUILD_CATALOG, with({}, ACT_CATALOG_ENTRY), false},
        {"build while printing", IDM_BUILD_CATALOG, with({}, ACT_PRINT), true},
        {"build into a read-only current catalog", IDM_BUILD_CATALOG,
         changed(with({}), [](MenuFacts& f) { f.currentCatalogReadOnly = true; }), false},
        {"build from a view of a read-only catalog", IDM_BUILD_CATALOG,
         with(changed(view(), [](ChildFacts& c) { c.catalogReadOnly = true; })), false},
        {"rebuild index while building", IDM_REBUILD_INDEX, with({}, ACT_BUILD), false},
        {"catalog an image", IDM_CATALOG_IMAGE, with(image()), true},
        {"catalog without a child", IDM_CATALOG_IMAGE, with({}), false},
        {"catalog from a thumbnail view", IDM_CATALOG_IMAGE, with(view()), false},
        {"catalog during a build", IDM_CATALOG_IMAGE, with(image(), ACT_BUILD), false},
        {"print an image", IDM_PRINT, with(image()), true},
        {"print while a catalog prints", IDM_PRINT, with(image(), ACT_PRINT_CATALOG), false},
        {"print a catalog while an image prints", IDM_PRINT_CATALOG, with({}, ACT_PRINT), false},
        {"print a catalog", IDM_PRINT_CATALOG, with({}, ACT_SAVE), true},
        {"save without a file", IDM_SAVE, with(image()), false},
        {"save", IDM_SAVE, with(changed(image(), [](ChildFacts& c) { c.hasFile = true; })), true},
        {"save while saving", IDM_SAVE, with(changed(image(), [](ChildFacts& c) { c.hasFile = true; }), ACT_SAVE),
         false},
        {"browse", IDM_BROWSE_CATALOG, with({}), true},
        {"browse while browsing", IDM_BROWSE_CATALOG, with({}, ACT_BROWSE), false},
        {"delete an image that may go", IDM_DELETE, with(changed(image(), [](ChildFacts& c) { c.mayDelete = true; })),
         true},
        {"delete from a CD", IDM_DELETE, with(image()), false},
        {"delete a thumbnail view", IDM_DELETE, with(changed(view(), [](ChildFacts& c) { c.mayDelete = true; })),
         false},
        {"move/copy with a child", IDM_MOVE_COPY, with(view()), true},
        {"move/copy without", IDM_MOVE_COPY, with({}), false},
        {"launch without a file", IDM_LAUNCH, with(image()), false},
        {"tech info with text", IDM_TECH_INFO, with(changed(image(), [](ChildFacts& c) { c.hasTechInfo = true; })),
         true},
        {"copy an idle image", IDM_COPY, with(image()), true},
        {"copy a busy image", IDM_COPY, with(changed(image(), [](ChildFacts& c) { c.busy = true; })), false},
        {"cut an animation", IDM_CUT, with(changed(image(), [](ChildFacts& c) { c.animated = true; })), false},
        {"filter 466", IDM_FILTER_FIRST, with(image()), true},
        {"filter 470 of a busy image", IDM_FILTER_FIRST + 4,
         with(changed(image(), [](ChildFacts& c) { c.busy = true; })), false},
        {"paste with a palette on the clipboard", IDM_PASTE,
         changed(with(image()), [](MenuFacts& f) { f.clipboardPalette = true; }), true},
        {"paste with an empty clipboard", IDM_PASTE, with(image()), false},
        {"paste into a minimised image", IDM_PASTE, changed(with(changed(image(), [](ChildFacts& c) {
                                                                c.minimised = true;
                                                            })),
                                                            [](MenuFacts& f) { f.clipboardPalette = true; }),
         false},
        {"paste palette without a palette", IDM_PASTE_PALETTE,
         changed(with(image()), [](MenuFacts& f) { f.clipboardImage = true; }), false},
        {"paste into a thumbnail view", IDM_PASTE, changed(with(view()), [](MenuFacts& f) {
             f.clipboardPalette = true;
         }),
         false},
        {"change palette of 8 bits", IDM_CHANGE_PALETTE, with(image(8)), true},
        {"change palette of 4 bits", IDM_CHANGE_PALETTE, with(image(4)), false},
        {"gray palette of 24 bits", IDM_GRAY_PALETTE, with(image(24)), true},
        {"undo palette without a change", IDM_UNDO_PALETTE, with(image(8)), false},
        {"undo palette", IDM_UNDO_PALETTE, with(changed(image(8), [](ChildFacts& c) { c.paletteUndo = true; })),
         true},
        {"play a still image", IDM_PLAY, with(image()), false},
        {"play an animation", IDM_PLAY, with(changed(image(), [](ChildFacts& c) { c.animated = true; })), true},
        {"undo", IDM_UNDO, with(changed(image(), [](ChildFacts& c) { c.hasUndo = true; })), true},
        {"undo while busy", IDM_UNDO, with(changed(image(), [](ChildFacts& c) {
             c.hasUndo = true;
             c.busy = true;
         })),
         false},
        {"histogram of 8 bits", IDM_HISTOGRAM, with(image(8)), true},
        {"histogram of 4 bits", IDM_HISTOGRAM, with(image(4)), false},
        {"size window to image", IDM_SIZE_WINDOW, with(image()), true},
        {"size a minimised window", IDM_SIZE_WINDOW, with(changed(image(), [](ChildFacts& c) { c.minimised = true; })),
         false},
        {"acquire during a transfer", IDM_TWAIN_ACQUIRE,
         changed(with({}), [](MenuFacts& f) { f.twainTransfer = true; }), false},
        {"default LUT before one was chosen", IDM_PCD_DEFAULT_LUT, with({}), false},
        {"close an idle image", IDM_CLOSE, with(image()), true},
        {"exit", IDM_EXIT, with({}), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.enabled, commandEnabled(c.command, c.facts)) << c.what << " (command " << c.command << ")";
}

TEST(MenuRules, ChecksFollowTheOptions)
{
    resetShellState();
    AppState& app = appState();
    Options& o = options();
    MenuFacts f;
    app.dibToScreen = 1;
    o.thumbnailSize = ThumbnailSize::Double;
    o.jpegColorResolution = 2;
    o.mpegDither = 9;
    o.pcdResolution = 4;
    EXPECT_EQ(1, commandChecked(IDM_DIB_TO_SCREEN, f));
    EXPECT_EQ(0, commandChecked(IDM_DISPLAY_WARNINGS, f));
    EXPECT_EQ(1, commandChecked(IDM_THUMB_DOUBLE, f));
    EXPECT_EQ(0, commandChecked(IDM_THUMB_NORMAL, f));
    EXPECT_EQ(1, commandChecked(IDM_JPEG_COLORS_MORE, f));
    EXPECT_EQ(0, commandChecked(IDM_JPEG_COLORS_AUTO, f));
    EXPECT_EQ(1, commandChecked(531, f)) << "MPEG value 9 is item 531";
    EXPECT_EQ(0, commandChecked(529, f));
    EXPECT_EQ(1, commandChecked(507, f)) << "Photo CD resolution 4 is item 507";
    EXPECT_EQ(-1, commandChecked(IDM_EXIT, f));
    // The sequence mark follows the active view's catalog, else the current one.
    f.currentCatalogAlphabetical = true;
    EXPECT_EQ(1, commandChecked(IDM_ALPHA_SEQUENCE, f));
    f.child = view();
    EXPECT_EQ(0, commandChecked(IDM_ALPHA_SEQUENCE, f));
    f.child.catalogAlphabetical = true;
    EXPECT_EQ(1, commandChecked(IDM_ALPHA_SEQUENCE, f));
    resetShellState();
}

TEST(MenuRules, TableOfCommandsNotAvailable)
{
    UINT ids[256];
    const int n = notAvailableCommands(ids, 256);
    ASSERT_GT(n, 0);
    ASSERT_LE(n, 256);
    for (int i = 0; i < n; ++i)
        EXPECT_TRUE(commandNotAvailable(ids[i])) << ids[i];
    for (UINT id : {IDM_EXIT, IDM_DISPLAY_WARNINGS, IDM_TILE, IDM_CLOSE_ALL, IDM_HELP_CURSOR, IDM_ABOUT, IDM_COPY})
        EXPECT_FALSE(commandNotAvailable(id)) << id;
}

} // namespace
