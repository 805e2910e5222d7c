// The image windows' bookkeeping: where an image sits in its window, fitting the window to the
// image, scroll ranges and the window title.
#include "image_record.h"
#include "ids_app.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "metafile_picture.h"
#include "win_raii.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

using namespace keldll;

namespace {

thread_local bool t_settingRanges = false; // setting a range sends WM_SIZE, which may come back here

} // namespace

namespace keldll {

SIZE recordImageSize(const ImageRecord& record)
{
    if (hasImage(record)) {
        kel::GlobalLocked<BYTE> p(record.image);
        if (p)
            return SIZE{LONG(DIBWidth(p.get())), LONG(DIBHeight(p.get()))};
    }
    BITMAP bm{};
    if (record.deviceBitmap && GetObjectA(record.deviceBitmap, sizeof bm, &bm))
        return SIZE{bm.bmWidth, bm.bmHeight};
    if (record.metafile) {
        kel::GlobalLocked<MetafilePicture> mf(record.metafile);
        if (mf)
            return SIZE{std::abs(mf->pixelWidth), std::abs(mf->pixelHeight)};
    }
    return SIZE{record.width, record.height};
}

} // namespace keldll

POINT GetOrigin(HWND wnd, int width, int height, int centre)
{
    POINT origin{0, 0};
    RECT client;
    if (!centre || !wnd || !GetClientRect(wnd, &client))
        return origin;
    if (width < client.right)
        origin.x = (client.right - width) / 2;
    if (height < client.bottom)
        origin.y = (client.bottom - height) / 2;
    return origin;
}

void SetScrollRanges(HWND wnd, int width, int height)
{
    if (!wnd || t_settingRanges)
        return;
    t_settingRanges = true;
    // The client area as it would be without bars; each bar the image needs narrows the other
    // dimension, which may then need its bar too: two passes settle both.
    RECT client;
    GetClientRect(wnd, &client);
    const LONG_PTR style = GetWindowLongPtrA(wnd, GWL_STYLE);
    const int vbar = GetSystemMetrics(SM_CXVSCROLL), hbar = GetSystemMetrics(SM_CYHSCROLL);
    const int fullWidth = client.right + ((style & WS_VSCROLL) ? vbar : 0);
    const int fullHeight = client.bottom + ((style & WS_HSCROLL) ? hbar : 0);
    bool horizontal = false, vertical = false;
    for (int pass = 0; pass < 2; ++pass) {
        horizontal = width > fullWidth - (vertical ? vbar : 0);
        vertical = height > fullHeight - (horizontal ? hbar : 0);
    }
    const int hRange = horizontal ? width - (fullWidth - (vertical ? vbar : 0)) : 0;
    const int vRange = vertical ? height - (fullHeight - (horizontal ? hbar : 0)) : 0;
    const bool beyond = GetScrollPos(wnd, SB_HORZ) > hRange || GetScrollPos(wnd, SB_VERT) > vRange;
    SetScrollRange(wnd, SB_HORZ, 0, hRange, TRUE);
    SetScrollRange(wnd, SB_VERT, 0, vRange, TRUE);
    if (beyond)
        InvalidateRect(wnd, nullptr, TRUE);
    t_settingRanges = false;
}

void DisplayTitle(HWND wnd)
{
    ImageRecord* record = imageRecordOf(wnd);
    if (!record)
        return;
    char title[400];
    if (record->selectable) {
        // Neither text field is trusted to hold its terminating zero.
        char file[sizeof record->file + 1], format[kFormatTextSize + 1];
        std::snprintf(file, sizeof file, "%.*s", int(sizeof record->file), record->file);
        std::snprintf(format, sizeof format, "%.*s", kFormatTextSize, record->formatText);
        std::snprintf(title, sizeof title, "%s (%dx%dx%s %s)", ExtractFileName(file), record->width, record->height,
                      colourText(record->bitsPerPixel), format);
    } else {
        char name[64];
        loadAppString(IDS_APPNAME, name, sizeof name);
        std::snprintf(title, sizeof title, "%s ", name);
    }
    SetWindowTextA(wnd, title);
}

void SizeWindow(HWND wnd)
{
    ImageRecord* record = imageRecordOf(wnd);
    if (!record)
        return;
    const SIZE size = recordImageSize(*record);
    record->width = uint16_t(size.cx);
    record->height = uint16_t(size.cy);
    DisplayTitle(wnd); // after the size is stored, so that the title shows the new one
    ShowWindow(wnd, SW_HIDE);
    if (IsZoomed(wnd)) {
        SetScrollRanges(wnd, size.cx, size.cy);
    } else {
        RECT frame{0, 0, size.cx, size.cy};
        AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrA(wnd, GWL_STYLE)), FALSE,
                           DWORD(GetWindowLongPtrA(wnd, GWL_EXSTYLE)));
        SetWindowPos(wnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        // Bars the image no longer needs go, so that the client area is the image's size.
        SetScrollRanges(wnd, size.cx, size.cy);
    }
    ShowWindow(wnd, SW_SHOW);
    InvalidateRect(wnd, nullptr, TRUE);
    UpdateWindow(wnd);
}

RECT* NormalizeRect(RECT* rect)
{
    if (!rect)
        return nullptr;
    if (rect->left > rect->right)
        std::swap(rect->left, rect->right);
    if (rect->top > rect->bottom)
        std::swap(rect->top, rect->bottom);
    return rect;
}
