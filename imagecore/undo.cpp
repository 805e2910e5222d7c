// The one undo step of an image window: copies of what an edit is about to replace.
#include "image_record.h"
#include "keldll.h"
#include "metafile_picture.h"
#include "win_raii.h"

int SaveUndoInfo(HWND wnd, ImageRecord* record)
{
    if (!record)
        return 1;
    // Each slot's old content goes first, so that the slot never holds two states.
    if (record->undoImage)
        GlobalFree(record->undoImage);
    record->undoImage = hasImage(*record) ? CopyHandle(record->image) : nullptr;

    if (record->undoPalette)
        DeleteObject(record->undoPalette);
    record->undoPalette = record->palette ? CopyPaletteChangingFlags(record->palette, 255) : nullptr;

    if (record->undoDisplayImage)
        GlobalFree(record->undoDisplayImage);
    record->undoDisplayImage = record->displayImage ? CopyHandle(record->displayImage) : nullptr;

    if (record->previousBitmap)
        DeleteObject(record->previousBitmap);
    record->previousBitmap = record->deviceBitmap ? CopyBitmap(record->deviceBitmap, record->palette) : nullptr;

    record->modified = 1;
    if (record->metafile) {
        kel::GlobalLocked<MetafilePicture> mf(record->metafile);
        if (mf) {
            const int32_t view[8] = {mf->viewportExtX, mf->viewportExtY, mf->viewportOrgX, mf->viewportOrgY,
                                     mf->windowExtX,   mf->windowExtY,   mf->windowOrgX,   mf->windowOrgY};
            for (int i = 0; i < 8; ++i)
                record->savedMetafileView[i] = view[i];
        }
    }
    if (wnd)
        GetClientRect(wnd, &record->savedClientRect);
    return 1;
}
