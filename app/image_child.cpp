#include "image_child.h"

#include "ids_frame.h"
#include "image_record.h"
#include "pending_libraries.h"
#include "shell_state.h"
#include "window_kind.h"

namespace kelapp {

namespace {

// The locked record of an image-kind child, or null (a thumbnail view, a window without one).
ImageRecord* imageRecord(HWND child)
{
    ImageRecord* r = imageRecordOf(child);
    HGLOBAL block = reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(child, kRecordHandleLong));
    if (!r || !block || GlobalSize(block) < sizeof(ImageRecord) || r->kind == KIND_THUMBVIEW)
        return nullptr;
    return r;
}

} // namespace

void imageWindowOptionChanged(HWND child, UINT command)
{
    ImageRecord* r = imageRecord(child);
    if (!r)
        return;
    const Options& o = options();
    switch (command) {
    case IDM_CENTER_IMAGE: r->display.centre = o.centerImage ? 1 : 0; break;
    case IDM_STRETCH_TO_FIT: r->display.stretch = o.stretchToFit ? 1 : 0; break;
    case IDM_DIB_TO_SCREEN:
        if (r->display.displayMode != kDisplayMetafile)
            r->display.displayMode = appState().dibToScreen ? kDisplayDibToDevice : kDisplayDeviceBitmap;
        break;
    case IDM_BACKGROUND_COLOR: {
        // The window gets a brush of its own: the default brush is replaced on the next change.
        HBRUSH old = r->backgroundBrush;
        r->backgroundBrush = CreateSolidBrush(o.backgroundColor);
        if (old && old != appState().backgroundBrush)
            DeleteObject(old);
        break;
    }
    default: return;
    }
    InvalidateRect(child, nullptr, TRUE);
}

void setImageTargetCatalog(HWND child, HWND view)
{
    ImageRecord* r = imageRecord(child);
    if (!r)
        return;
    CatalogDescriptor* target = view ? thumbnailViewCatalog(view) : nullptr;
    r->targetCatalog = target ? target : &appState().currentCatalog;
}

} // namespace kelapp
