// The enable, grey and check rules of the menus, applied to each popup as it opens, and the items
// the frame adds to its popups at run time (recent directories, TWAIN, option popups of optional
// libraries).
#pragma once

#include <windows.h>

#include <cstdint>

namespace kelapp {

// What the rules need to know about the active MDI child.
struct ChildFacts {
    bool exists = false;
    int kind = -1;          // WindowKind, -1 when the child has no record
    bool minimised = false;
    bool busy = false;      // a command of the window runs on another thread
    bool animated = false;  // an animation or multi-frame image
    bool hasFile = false;
    bool mayDelete = false; // its file may be deleted
    bool hasTechInfo = false;
    bool hasUndo = false;
    bool paletteUndo = false;
    bool loop = false;
    bool showHidden = false;       // thumbnail view: hidden entries shown
    int bitsPerPixel = 0;
    bool catalogReadOnly = false;  // the catalog the window works on
    bool catalogAlphabetical = false;
};

struct MenuFacts {
    ChildFacts child;
    uint32_t activity = 0;
    bool clipboardPalette = false;
    bool clipboardImage = false; // a DIB, bitmap or metafile picture
    bool twainTransfer = false;
    bool pcdLutSelected = false;
    bool currentCatalogReadOnly = false;
    bool currentCatalogAlphabetical = false;
};

// The facts of the active MDI child (none when `child` is null).
ChildFacts childFacts(HWND child);
// Everything the rules read, gathered now.
MenuFacts currentMenuFacts(HWND activeChild);

// Whether the rules enable a command (commands without a rule are enabled). Commands the program
// cannot carry out yet are greyed on top of this (not_available.h).
bool commandEnabled(UINT id, const MenuFacts& facts);
// 1 checked, 0 unchecked, -1 for a command without a check mark.
int commandChecked(UINT id, const MenuFacts& facts);

// WM_INITMENUPOPUP of the frame: the rules for every item of `popup`, then the run-time items.
void initMenuPopup(HMENU popup, const MenuFacts& facts);

// The popup of `menu` (searched from the last to the first) that holds command `id`, or null.
HMENU popupHolding(HMENU menu, UINT id);

} // namespace kelapp
