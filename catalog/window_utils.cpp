// Window helpers the application shares with the players: an image window's record, releasing
// a record, switching the MDI menu, and taking down the start-up cover.
#include "engine.h"

#include "image_record.h"
#include "kel_messages.h"
#include "metafile_picture.h"
#include "play_list.h"

#include <algorithm>
#include <vector>

namespace {

// The window long of a child's class word 14 holds the index of the record's handle.
constexpr int kRecordIndexClassWord = 14;

// Each handle is released once, even where two fields hold the same one.
template <typename H>
class ReleaseOnce {
public:
    void add(H h)
    {
        if (h && std::find(seen_.begin(), seen_.end(), h) == seen_.end())
            seen_.push_back(h);
    }
    const std::vector<H>& all() const { return seen_; }

private:
    std::vector<H> seen_;
};

void waitAndClose(HANDLE* thread)
{
    if (!*thread)
        return;
    WaitForSingleObject(*thread, INFINITE);
    CloseHandle(*thread);
    *thread = nullptr;
}

// The metafile picture of a vector image: its metafile (kept twice in the record) and the record.
void freeMetafile(HGLOBAL block)
{
    if (auto* m = static_cast<MetafilePicture*>(GlobalLock(block))) {
        const HMETAFILE described = kel::pictureOf(*m).hMF;
        if (m->metafile)
            DeleteMetaFile(m->metafile);
        if (described && described != m->metafile)
            DeleteMetaFile(described);
        GlobalUnlock(block);
    }
    GlobalFree(block);
}

} // namespace

HGLOBAL GetDIBhInfo(HWND wnd)
{
    if (!wnd)
        return nullptr;
    const int index = int(uint16_t(GetClassWord(wnd, kRecordIndexClassWord)));
    return reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(wnd, index));
}

int FreeDib(HGLOBAL imageRecord)
{
    auto* r = imageRecord ? static_cast<ImageRecord*>(GlobalLock(imageRecord)) : nullptr;
    if (!r)
        return 0;
    waitAndClose(&r->loadThread);
    waitAndClose(&r->saveThread);

    ReleaseOnce<HGDIOBJ> gdi;
    for (HGDIOBJ h : {HGDIOBJ(r->palette), HGDIOBJ(r->deviceBitmap), HGDIOBJ(r->previousBitmap),
                      HGDIOBJ(r->pattern), HGDIOBJ(r->undoPalette)})
        gdi.add(h);
    // The application's own background brush is shared by every window; only a brush of the
    // image's own (a GIF's background colour) belongs to the record.
    const AppState* a = kelcat::app();
    if (r->backgroundBrush && !(a && r->backgroundBrush == a->backgroundBrush))
        gdi.add(r->backgroundBrush);
    for (HGDIOBJ h : gdi.all())
        DeleteObject(h);

    ReleaseOnce<HGLOBAL> blocks;
    if (hasImage(*r))
        blocks.add(r->image);
    for (HGLOBAL h : {r->displayImage, r->undoImage, r->undoDisplayImage, r->header, r->techInfo})
        if (reinterpret_cast<UINT_PTR>(h) > 1)
            blocks.add(h);
    for (HGLOBAL h : blocks.all())
        GlobalFree(h);
    if (r->metafile)
        freeMetafile(r->metafile);
    if (r->animation)
        freePlayList(r->animation);

    r->palette = nullptr;
    r->deviceBitmap = r->previousBitmap = r->pattern = nullptr;
    r->undoPalette = nullptr;
    r->backgroundBrush = nullptr;
    r->image = r->displayImage = r->undoImage = r->undoDisplayImage = r->header = r->techInfo = nullptr;
    r->metafile = r->animation = nullptr;
    SetRectEmpty(&r->marquee);
    SetRectEmpty(&r->pasteTarget);
    r->display.hasDib = r->display.hasDeviceBitmap = 0;
    r->display.metafile = r->display.animationPlaying = r->display.pastePending = 0;
    r->animated = 0;
    r->tracking = 0;
    r->paletteUndo = 0;
    GlobalUnlock(imageRecord);
    return 1;
}

void ChangeMDIMenu(HWND wnd, HWND, HMENU menu, UINT id)
{
    if (!menu)
        return;
    HMENU windowList = nullptr;
    for (int i = GetMenuItemCount(menu) - 1; i >= 0 && !windowList; --i) {
        HMENU popup = GetSubMenu(menu, i);
        if (popup && GetMenuState(popup, id, MF_BYCOMMAND) != UINT(-1))
            windowList = popup;
    }
    SendMessageA(wnd, WMU_SETMDIMENU, reinterpret_cast<WPARAM>(menu), reinterpret_cast<LPARAM>(windowList));
}

void EnableWindowAndOptionsMenus(const int16_t* counter, int, HWND* window)
{
    if (!counter || !window || !*counter || !*window)
        return;
    HWND w = *window;
    *window = nullptr;
    // Image windows run on threads of their own, while the cover belongs to the main thread,
    // which alone may destroy it: from another thread it is asked to close.
    if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId())
        DestroyWindow(w);
    else
        PostMessageA(w, WM_CLOSE, 0, 0);
}
