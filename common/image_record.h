// The per-window record of every MDI child (image windows, thumbnail views, video, sound and
// animation windows): one zero-initialised movable global block. The window keeps the block's
// handle and a pointer to the locked block in its window extra bytes. The image core's display
// helpers, the editing commands, the catalog engine and the players all work on the same record,
// so field order and widths are part of the interface between separately built libraries.
//
// Fields follow the image window's table in order. The fields that the editing and display
// routines keep for undo and titles (undo palette, format text, saved client rectangle, saved
// metafile view, resize target) come after it. On 64-bit Windows handles and pointers widen.
#pragma once

#include "catalog_types.h"

#include <windows.h>

#include <cstdint>

// The first 16-bit field of every child's record says what kind of window it belongs to.
enum WindowKind : int16_t {
    KIND_IMAGE = 0,
    KIND_THUMBVIEW = 1,
    KIND_VIDEO = 2,
    KIND_SOUND = 4,
    KIND_ANIMATION = 5,
};

// Display modes of the display settings.
constexpr int16_t kDisplayDibToDevice = 604;
constexpr int16_t kDisplayDeviceBitmap = 605;
constexpr int16_t kDisplayMetafile = 606;

// Subformats: the header variant of an image.
constexpr uint16_t kSubformatRgb = 0;
constexpr uint16_t kSubformatRle8 = 1;
constexpr uint16_t kSubformatRle4 = 2;
constexpr uint16_t kSubformatOs2 = 3;

// The block edited by the display and print options dialog, copied in and out as a whole.
struct DisplaySettings {
    int32_t stretch;          // stretch to the window
    int16_t displayMode;      // kDisplayDibToDevice, kDisplayDeviceBitmap or kDisplayMetafile
    int16_t printerFitMode;   // 608 best fit, 609 stretch to page, 610 scale
    float xScale, yScale;     // 1.0
    int32_t centre;
    int32_t autoDither;
    int32_t pastePending;
    int32_t metafile;
    int32_t animationPlaying;
    int32_t hasDib;
    int32_t hasDeviceBitmap;
};

constexpr int kFormatTextSize = 32; // short format name of the codec ("PCX", "JPEG", ...)

struct ImageRecord {
    int16_t kind;              // WindowKind; KIND_IMAGE for image windows
    HGLOBAL image;             // the DIB; 0 or 1 when there is none
    HPALETTE palette;
    HBITMAP deviceBitmap;      // device-dependent copy for the device bitmap display mode
    HGLOBAL displayImage;      // dithered copy painted in DIB mode when present
    uint16_t subformat;        // kSubformat*
    uint16_t bitsPerPixel;
    uint16_t width, height;
    uint16_t colourUse;        // colour-table usage for DIB painting (0 = RGB values)
    char file[260];            // full path, or the window title of an image without a file
    RECT marquee;              // selection in image coordinates (empty = none)
    RECT pasteTarget;          // pending paste position (empty = none)
    int32_t tracking;          // a mouse drag is in progress
    int32_t paletteUndo;       // a palette change can be undone
    HBITMAP previousBitmap;    // device bitmap before the last area move or edit
    HGLOBAL undoImage;
    HGLOBAL undoDisplayImage;
    HGLOBAL header;            // header and colour table of the image (CopyBitmapInfo)
    HGLOBAL metafile;          // MetafilePicture of a vector image
    HGLOBAL animation;         // frame list of an animation
    HGLOBAL techInfo;          // technical information block
    int32_t animated;
    int32_t selectable;        // marquee allowed; also chooses the long window title
    int32_t modified;
    int32_t ditherState;
    HBRUSH backgroundBrush;
    HWND window;
    int32_t loop;
    int32_t savable;
    int32_t hasFile;
    int32_t areaMove;
    int32_t noDelete;
    CatalogDescriptor* targetCatalog;
    DisplaySettings display;
    char* keywords;
    HANDLE creationThread;
    DWORD creationThreadId;
    HANDLE loadThread;
    HANDLE saveThread;
    HANDLE creationSemaphore;
    int32_t scaled;            // the last paint was scaled
    int32_t forceRepaint;
    int32_t realiseCount;
    int32_t busy;              // commands of this window in progress
    int32_t transparent;
    COLORREF transparentColour;
    HBITMAP pattern;
    // Kept by the editing and display routines.
    HPALETTE undoPalette;
    char formatText[kFormatTextSize];
    RECT savedClientRect;      // client rectangle before an edit that may change the size
    int32_t savedMetafileView[8]; // viewport ext x, y, viewport org x, y, window ext x, y, window org x, y
    RECT resizeTarget;
};

// Window extra bytes of every MDI child: the record's handle, then the pointer to the locked record.
constexpr int kRecordHandleLong = 0;
constexpr int kRecordPointerLong = int(sizeof(LONG_PTR));
constexpr int kRecordWindowBytes = 2 * int(sizeof(LONG_PTR));

inline ImageRecord* imageRecordOf(HWND wnd)
{
    return wnd ? reinterpret_cast<ImageRecord*>(GetWindowLongPtrA(wnd, kRecordPointerLong)) : nullptr;
}

// An image handle of 0 or 1 means "no image".
inline bool hasImage(const ImageRecord& record) { return reinterpret_cast<UINT_PTR>(record.image) > 1; }
