#include "menu_state.h"

#include "activity.h"
#include "ids_frame.h"
#include "not_available.h"
#include "pending_libraries.h"
#include "shell_state.h"
#include "window_kind.h"
#include "win_raii.h"

#include <cstdio>
#include <string>

namespace kelapp {

namespace {

bool inRange(UINT id, UINT first, UINT last) { return id >= first && id <= last; }

// Editing commands need an image that is neither busy elsewhere nor an animation.
bool editable(const ChildFacts& c) { return c.exists && !c.busy && !c.animated; }

bool hasCommand(HMENU menu, UINT id) { return GetMenuState(menu, id, MF_BYCOMMAND) != UINT(-1); }

// Position of command `id` directly in `popup`, or -1.
int positionOf(HMENU popup, UINT id)
{
    const int n = GetMenuItemCount(popup);
    for (int i = 0; i < n; ++i)
        if (GetMenuItemID(popup, i) == id)
            return i;
    return -1;
}

bool isSeparator(HMENU popup, int position)
{
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE;
    return GetMenuItemInfoA(popup, UINT(position), TRUE, &mii) && (mii.fType & MFT_SEPARATOR);
}

std::string loadText(UINT id)
{
    char text[128] = "";
    LoadStringA(shell().instance, id, text, sizeof text);
    return text;
}

// The recent directories follow Exit as "&1 C:\PICS" ... with one separator before them.
void showRecentDirectories(HMENU popup)
{
    for (UINT id = IDM_RECENT_DIR_FIRST; id <= IDM_RECENT_DIR_LAST; ++id)
        DeleteMenu(popup, id, MF_BYCOMMAND);
    const int exitAt = positionOf(popup, IDM_EXIT);
    if (exitAt < 0)
        return;
    bool any = false;
    for (const char* dir : shell().recentDirs)
        any = any || dir[0];
    const bool separated = exitAt + 1 < GetMenuItemCount(popup) && isSeparator(popup, exitAt + 1);
    if (!any) {
        if (separated)
            DeleteMenu(popup, UINT(exitAt + 1), MF_BYPOSITION);
        return;
    }
    if (!separated)
        InsertMenuA(popup, UINT(exitAt + 1), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    int number = 0;
    for (const char* dir : shell().recentDirs) {
        if (!dir[0])
            continue;
        char text[kRecentDirSize + 8];
        snprintf(text, sizeof text, "&%d %s", number + 1, dir);
        AppendMenuA(popup, MF_STRING, IDM_RECENT_DIR_FIRST + UINT(number), text);
        ++number;
    }
}

void addTwainItems(HMENU popup)
{
    if (hasCommand(popup, IDM_TWAIN_ACQUIRE) || positionOf(popup, IDM_OPEN) < 0)
        return;
    InsertMenuA(popup, IDM_OPEN, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
    InsertMenuA(popup, IDM_OPEN, MF_BYCOMMAND | MF_STRING, IDM_TWAIN_ACQUIRE, "&Acquire...");
    InsertMenuA(popup, IDM_OPEN, MF_BYCOMMAND | MF_STRING, IDM_TWAIN_SELECT_SOURCE, "S&elect Source...");
    InsertMenuA(popup, IDM_OPEN, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr);
}

// Appends the popup of menu resource `name`, titled by string `title`, unless `popup` already
// holds its command `marker`. Returns whether it was appended.
bool appendOptionPopup(HMENU popup, const char* name, UINT title, UINT marker, bool separate)
{
    if (hasCommand(popup, marker))
        return false;
    HMENU loaded = LoadMenuA(shell().instance, name);
    if (!loaded)
        return false;
    HMENU sub = GetSubMenu(loaded, 0);
    RemoveMenu(loaded, 0, MF_BYPOSITION); // the sub-menu now belongs to the popup it joins
    DestroyMenu(loaded);
    if (!sub)
        return false;
    if (separate)
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(popup, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub), loadText(title).c_str());
    return true;
}

void addOptionPopups(HMENU popup)
{
    const ShellState& s = shell();
    bool separated = false;
    if (s.hasPhotoCd)
        separated |= appendOptionPopup(popup, "PhotoCD", IDS_PCD_POPUP, IDM_PCD_RESOLUTION_FIRST, !separated);
    if (s.hasMpeg)
        separated |= appendOptionPopup(popup, "MPEGOptions", IDS_MPEG_POPUP, IDM_MPEG_DITHER_FIRST, !separated);
    if (s.hasTwain)
        appendOptionPopup(popup, "TWAINOPTIONS", IDS_TWAIN_POPUP, IDM_TWAIN_AUTO_CLOSE, !separated);
}

} // namespace

ChildFacts childFacts(HWND child)
{
    ChildFacts c;
    if (!child || !IsWindow(child))
        return c;
    c.exists = true;
    c.minimised = IsIconic(child) != 0;
    // The record belongs to the child's thread; the fields are single aligned stores, read here
    // without a lock as every thread of the program does.
    HGLOBAL block = reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(child, kRecordHandleLong));
    if (!block || GlobalSize(block) < sizeof(int16_t))
        return c;
    kel::GlobalLocked<ImageRecord> lock(block);
    const ImageRecord* r = lock.get();
    if (!r)
        return c;
    c.kind = r->kind;
    if (c.kind == KIND_THUMBVIEW) {
        readThumbnailViewFacts(child, c);
        return c;
    }
    if (GlobalSize(block) < sizeof(ImageRecord))
        return c; // a record of some other shape: nothing more is known
    c.busy = r->busy != 0;
    c.animated = r->animated != 0 || c.kind == KIND_ANIMATION;
    c.hasFile = r->hasFile != 0;
    c.mayDelete = c.hasFile && !r->noDelete;
    c.hasTechInfo = r->techInfo != nullptr;
    c.hasUndo = r->undoImage != nullptr;
    c.paletteUndo = r->paletteUndo != 0;
    c.loop = r->loop != 0;
    c.bitsPerPixel = r->bitsPerPixel;
    return c;
}

MenuFacts currentMenuFacts(HWND activeChild)
{
    MenuFacts f;
    f.child = childFacts(activeChild);
    f.activity = ActivityFlags();
    f.clipboardPalette = IsClipboardFormatAvailable(CF_PALETTE) != 0;
    f.clipboardImage = IsClipboardFormatAvailable(CF_DIB) || IsClipboardFormatAvailable(CF_BITMAP) ||
                       IsClipboardFormatAvailable(CF_METAFILEPICT);
    f.twainTransfer = shell().twainTransfer;
    f.pcdLutSelected = shell().pcdLutSelected;
    f.currentCatalogReadOnly = appState().currentCatalog.readOnly != 0;
    f.currentCatalogAlphabetical = appState().currentCatalog.alphabetical != 0;
    return f;
}

bool commandEnabled(UINT id, const MenuFacts& f)
{
    const ChildFacts& c = f.child;
    const bool image = c.exists && isImageKind(c.kind);
    const bool catalogWritable = c.exists && c.kind == KIND_THUMBVIEW ? !c.catalogReadOnly : !f.currentCatalogReadOnly;
    switch (id) {
    case IDM_DELETE: return c.exists && c.kind != KIND_THUMBVIEW && c.mayDelete;
    case IDM_MOVE_COPY:
    case IDM_DISPLAY_PRINT:
    case IDM_DIB_PALETTE: return c.exists;
    case IDM_LAUNCH: return image && c.hasFile;
    case IDM_TECH_INFO: return image && c.hasTechInfo;
    case IDM_RESIZE: return image && editable(c);
    case IDM_BUILD_CATALOG:
    case IDM_REBUILD_INDEX: return catalogWritable && !(f.activity & (ACT_CATALOG_ENTRY | ACT_BUILD));
    case IDM_CATALOG_IMAGE:
        return c.exists && c.kind != KIND_THUMBVIEW && !(f.activity & (ACT_CATALOG_ENTRY | ACT_BUILD));
    case IDM_PRINT: return image && !(f.activity & (ACT_PRINT | ACT_PRINT_CATALOG));
    case IDM_PRINT_CATALOG: return !(f.activity & (ACT_PRINT | ACT_PRINT_CATALOG));
    case IDM_SAVE: return image && c.hasFile && !(f.activity & ACT_SAVE);
    case IDM_BROWSE_CATALOG: return !(f.activity & ACT_BROWSE);
    case IDM_CLOSE:
    case IDM_CUT:
    case IDM_COPY:
    case IDM_CROP:
    case IDM_UPDATE_EMBEDDED:
    case IDM_DITHER:
    case IDM_ADJUST_PALETTE: return editable(c);
    case IDM_PASTE:
        return editable(c) && c.kind == KIND_IMAGE && !c.minimised && (f.clipboardPalette || f.clipboardImage);
    case IDM_PASTE_PALETTE: return editable(c) && c.kind == KIND_IMAGE && !c.minimised && f.clipboardPalette;
    case IDM_CHANGE_PALETTE:
    case IDM_GRAY_PALETTE: return image && c.bitsPerPixel > 4 && editable(c);
    case IDM_UNDO_PALETTE: return image && c.bitsPerPixel > 4 && editable(c) && c.paletteUndo;
    case IDM_PLAY:
    case IDM_LOOP: return c.exists && c.animated;
    // Sizing a window to its image means nothing for an icon.
    case IDM_SIZE_WINDOW: return c.exists && c.kind != KIND_THUMBVIEW && !c.minimised;
    case IDM_UNDO: return c.exists && c.hasUndo && !c.busy;
    case IDM_HISTOGRAM: return image && c.bitsPerPixel >= 8 && !c.animated;
    case IDM_TWAIN_ACQUIRE:
    case IDM_TWAIN_SELECT_SOURCE: return !f.twainTransfer;
    case IDM_PCD_ALTERNATE_LUT:
    case IDM_PCD_DEFAULT_LUT: return f.pcdLutSelected;
    }
    if (inRange(id, IDM_FILTER_FIRST, IDM_FILTER_FIRST + 4))
        return editable(c);
    if (inRange(id, IDM_FILTER_FIRST + 5, IDM_FILTER_LAST))
        return c.exists;
    return true;
}

int commandChecked(UINT id, const MenuFacts& f)
{
    const AppState& app = appState();
    const Options& o = options();
    const ShellState& s = shell();
    auto mark = [](bool on) { return on ? 1 : 0; };
    switch (id) {
    case IDM_DIB_TO_SCREEN: return mark(app.dibToScreen);
    case IDM_ALPHA_SEQUENCE:
        return mark(f.child.exists && f.child.kind == KIND_THUMBVIEW ? f.child.catalogAlphabetical
                                                                      : f.currentCatalogAlphabetical);
    case IDM_DISPLAY_WARNINGS: return mark(app.displayWarnings);
    case IDM_LOOP: return mark(f.child.loop);
    case IDM_FIX_TIFF: return mark(o.fixTiff);
    case IDM_CENTER_IMAGE: return mark(o.centerImage);
    case IDM_STRETCH_TO_FIT: return mark(o.stretchToFit);
    case IDM_DISPLAY_HALFTONES: return mark(o.displayHalftones);
    case IDM_AUTO_CLOSE: return mark(o.autoClose);
    case IDM_JPEG_THUMBNAILS: return mark(app.jpegThumbnails);
    case IDM_HIRES_THUMBNAILS: return mark(app.hiresThumbnails);
    case IDM_SHOW_EXTENSIONS: return mark(app.showExtensions);
    case IDM_SHOW_LONG_NAMES: return mark(app.showLongNames);
    case IDM_THUMB_NORMAL:
    case IDM_THUMB_THREE_QUARTERS:
    case IDM_THUMB_ONE_AND_HALF:
    case IDM_THUMB_DOUBLE: return mark(thumbnailSizeCommand(o.thumbnailSize) == int(id));
    case IDM_AUTO_DITHER: return mark(app.autoDither);
    case IDM_VERIFY_CATALOG: return mark(app.verifyCatalog);
    case IDM_DISPLAY_HIDDEN: return mark(f.child.exists && f.child.kind == KIND_THUMBVIEW && f.child.showHidden);
    case IDM_UUE_DELETE: return mark(o.uueDelete);
    case IDM_JPEG_SMOOTHING: return mark(o.jpegSmoothing);
    case IDM_JPEG_TWO_PASS: return mark(o.jpegTwoPass);
    case IDM_TWAIN_AUTO_CLOSE: return mark(o.twainAutoClose);
    case IDM_HIDE_ON_CAPTURE: return mark(o.hideOnCapture);
    case IDM_STATUS_BAR: return mark(o.statusBar);
    case IDM_BUTTON_BAR: return mark(o.buttonBar && s.toolbar);
    }
    if (inRange(id, IDM_JPEG_COLORS_AUTO, IDM_JPEG_COLORS_MORE))
        return mark(o.jpegColorResolution == int(id - IDM_JPEG_COLORS_AUTO));
    if (inRange(id, IDM_PCD_RESOLUTION_FIRST, IDM_PCD_RESOLUTION_LAST))
        return mark(o.pcdResolution == int(id - IDM_PCD_RESOLUTION_FIRST));
    if (inRange(id, IDM_PCD_FORMAT_FIRST, IDM_PCD_FORMAT_LAST))
        return mark(o.pcdFormat == int(id - IDM_PCD_FORMAT_FIRST));
    if (inRange(id, IDM_MPEG_DITHER_FIRST, IDM_MPEG_DITHER_LAST) && id != IDM_MPEG_DITHER_FIRST + 8)
        return mark(o.mpegDither == int(id - IDM_MPEG_DITHER_FIRST));
    return -1;
}

HMENU popupHolding(HMENU menu, UINT id)
{
    for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
        HMENU sub = GetSubMenu(menu, i);
        if (sub && hasCommand(sub, id))
            return sub;
    }
    return nullptr;
}

void initMenuPopup(HMENU popup, const MenuFacts& facts)
{
    const ShellState& s = shell();
    if (positionOf(popup, IDM_EXIT) >= 0) {
        if (s.hasTwain)
            addTwainItems(popup);
        showRecentDirectories(popup);
    }
    if (positionOf(popup, IDM_STATUS_BAR) >= 0)
        addOptionPopups(popup);
    if (!s.hasButtonData)
        DeleteMenu(popup, IDM_BUTTON_BAR, MF_BYCOMMAND);

    const int n = GetMenuItemCount(popup);
    for (int i = 0; i < n; ++i) {
        const UINT id = GetMenuItemID(popup, i);
        if (id == UINT(-1) || id == 0)
            continue; // sub-menus and separators
        const bool enabled = commandEnabled(id, facts) && !commandNotAvailable(id);
        EnableMenuItem(popup, UINT(i), MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
        const int check = commandChecked(id, facts);
        if (check >= 0)
            CheckMenuItem(popup, UINT(i), MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
    }
    syncToolbar();
}

} // namespace kelapp
