// The frame and the record of the active image window: the menu state read from the record, the
// display options and "Catalog..." written into it, and Size Window to Image.
#include "activity.h"
#include "app_fixture.h"
#include "ids_frame.h"
#include "kel_messages.h"
#include "shell_state.h"
#include "test_child.h"

#include <gtest/gtest.h>

namespace {

using namespace apptest;
using namespace kelapp;

// A 24-bit DIB of `width` x `height` (pixels zero).
HGLOBAL makeDib(int width, int height)
{
    const DWORD stride = DWORD((width * 3 + 3) & ~3);
    HGLOBAL dib = GlobalAlloc(GHND, sizeof(BITMAPINFOHEADER) + stride * DWORD(height));
    auto* h = static_cast<BITMAPINFOHEADER*>(GlobalLock(dib));
    h->biSize = sizeof *h;
    h->biWidth = width;
    h->biHeight = height;
    h->biPlanes = 1;
    h->biBitCount = 24;
    GlobalUnlock(dib);
    return dib;
}

class ImageChild : public FrameTest {
protected:
    ~ImageChild() override { SetActivity(0xFFFFFFFF, false); }
};

TEST_F(ImageChild, MenuStateFollowsTheActiveWindowsRecord)
{
    ASSERT_TRUE(start());
    HWND child = makeImageChild("image", [](ImageRecord& r) {
        r.kind = KIND_IMAGE;
        r.bitsPerPixel = 8;
    });
    ASSERT_NE(nullptr, child);
    ImageRecord* r = imageRecordOf(child);
    ASSERT_NE(nullptr, r);
    // The commands sit in the image window's own menu, which an active image window installs.
    const UINT commands[] = {IDM_COPY, IDM_CUT,  IDM_SAVE,  IDM_UNDO,
                             IDM_PLAY, IDM_CLOSE, IDM_FILTER_FIRST, IDM_SIZE_WINDOW};
    HMENU menu = CreateMenu(), popup = CreatePopupMenu(), window = CreatePopupMenu();
    for (UINT id : commands)
        AppendMenuA(popup, MF_STRING, id, "item");
    AppendMenuA(window, MF_STRING, IDM_TILE, "&Tile");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "&Edit");
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(window), "&Window");
    SendMessageA(frame(), WMU_SETMDIMENU, reinterpret_cast<WPARAM>(menu), reinterpret_cast<LPARAM>(window));
    ASSERT_EQ(menu, GetMenu(frame()));
    // Each row changes the record, then opens the popup that holds the command.
    struct Row {
        const char* what;
        void (*change)(ImageRecord&);
        UINT command;
        bool enabled;
    };
    const Row rows[] = {
        {"an idle image can be copied", [](ImageRecord&) {}, IDM_COPY, true},
        {"without a file there is nothing to save", [](ImageRecord&) {}, IDM_SAVE, false},
        {"with a file it can be saved", [](ImageRecord& x) { x.hasFile = 1; }, IDM_SAVE, true},
        {"no undo copy", [](ImageRecord&) {}, IDM_UNDO, false},
        {"an undo copy", [](ImageRecord& x) { x.undoImage = reinterpret_cast<HGLOBAL>(1); }, IDM_UNDO, true},
        {"busy in its own thread: no copy", [](ImageRecord& x) { x.busy = 1; }, IDM_COPY, false},
        {"busy: no undo", [](ImageRecord&) {}, IDM_UNDO, false},
        {"busy: the filters wait", [](ImageRecord&) {}, IDM_FILTER_FIRST, false},
        {"idle again", [](ImageRecord& x) { x.busy = 0; }, IDM_FILTER_FIRST, true},
        {"a still image does not play", [](ImageRecord&) {}, IDM_PLAY, false},
        {"an animation plays", [](ImageRecord& x) { x.animated = 1; }, IDM_PLAY, true},
        {"an animation is not cut", [](ImageRecord&) {}, IDM_CUT, false},
        {"nor closed by the frame's Close", [](ImageRecord&) {}, IDM_CLOSE, false},
        {"a still image again", [](ImageRecord& x) { x.animated = 0; }, IDM_CLOSE, true},
        {"a window can be sized to its image", [](ImageRecord&) {}, IDM_SIZE_WINDOW, true},
    };
    for (const Row& row : rows) {
        row.change(*r);
        EXPECT_EQ(row.enabled, enabled(row.command)) << row.what << " (command " << row.command << ")";
    }
    r->undoImage = nullptr;
    // Save is also greyed while a save runs, whatever the record says.
    SetActivity(ACT_SAVE, true);
    EXPECT_FALSE(enabled(IDM_SAVE));
    SetActivity(ACT_SAVE, false);
    // An icon is not sized to its image.
    ShowWindow(child, SW_MINIMIZE);
    EXPECT_FALSE(enabled(IDM_SIZE_WINDOW));
    SendMessageA(client(), WM_MDISETMENU, reinterpret_cast<WPARAM>(shell().frameMenu), 0);
    DestroyMenu(menu);
}

TEST_F(ImageChild, SizeWindowToImageFitsTheClientArea)
{
    ASSERT_TRUE(start());
    HWND child = makeImageChild("picture", [](ImageRecord& r) {
        r.kind = KIND_IMAGE;
        r.bitsPerPixel = 24;
        r.image = makeDib(123, 77);
    });
    ASSERT_NE(nullptr, child);
    RECT before;
    GetClientRect(child, &before);
    ASSERT_NE(123, before.right) << "the child starts at another size";
    command(IDM_SIZE_WINDOW);
    RECT after;
    GetClientRect(child, &after);
    EXPECT_EQ(123, after.right - after.left);
    EXPECT_EQ(77, after.bottom - after.top);
    EXPECT_EQ(123, imageRecordOf(child)->width);
    EXPECT_EQ(77, imageRecordOf(child)->height);
}

TEST_F(ImageChild, DisplayOptionsReachTheActiveWindow)
{
    ASSERT_TRUE(start());
    HWND child = makeImageChild("image", [](ImageRecord& r) {
        r.kind = KIND_IMAGE;
        r.display.displayMode = kDisplayDeviceBitmap;
    });
    ASSERT_NE(nullptr, child);
    ImageRecord* r = imageRecordOf(child);
    const bool centre = options().centerImage, stretch = options().stretchToFit;
    command(IDM_CENTER_IMAGE);
    EXPECT_EQ(centre ? 0 : 1, r->display.centre);
    EXPECT_EQ(0, r->display.stretch) << "one option at a time";
    command(IDM_STRETCH_TO_FIT);
    EXPECT_EQ(stretch ? 0 : 1, r->display.stretch);
    command(IDM_CENTER_IMAGE);
    EXPECT_EQ(centre ? 1 : 0, r->display.centre);
    const bool dibToScreen = appState().dibToScreen != 0;
    command(IDM_DIB_TO_SCREEN);
    EXPECT_EQ(dibToScreen ? kDisplayDeviceBitmap : kDisplayDibToDevice, r->display.displayMode);
    command(IDM_DIB_TO_SCREEN);
    EXPECT_EQ(dibToScreen ? kDisplayDibToDevice : kDisplayDeviceBitmap, r->display.displayMode);
}

TEST_F(ImageChild, CatalogCommandTargetsTheCurrentCatalogWithoutAView)
{
    ASSERT_TRUE(start());
    HWND child = makeImageChild("image", [](ImageRecord& r) { r.kind = KIND_IMAGE; });
    ASSERT_NE(nullptr, child);
    command(IDM_CATALOG_IMAGE);
    EXPECT_EQ(&appState().currentCatalog, imageRecordOf(child)->targetCatalog);
    EXPECT_EQ(uint32_t(ACT_CATALOG_ENTRY), ActivityFlags()) << "the entry dialog's bit stays until it ends";
}

} // namespace
