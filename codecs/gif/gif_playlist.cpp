#include "gif_playlist.h"

#include "keldll.h"

#include <cstring>

namespace gif {

PlayList::~PlayList()
{
    for (PlayFrame& f : frames_) {
        if (f.kind == kFrameText && f.handle)
            GlobalFree(f.handle);
        else if (f.handle)
            DeleteObject(f.handle);
        if (f.palette)
            DeleteObject(f.palette);
    }
}

bool PlayList::start(HWND frame, HGLOBAL dib, HPALETTE palette, int autoDither, bool byImage)
{
    started_ = true;
    byImage_ = byImage;
    PlayFrame f{};
    kel::GlobalLocked<BITMAPINFOHEADER> bi(dib);
    if (!bi)
        return false;
    f.width = uint16_t(bi->biWidth);
    f.height = uint16_t(bi->biHeight);
    f.palette = CopyPaletteChangingFlags(palette, 255);
    f.handle = BitmapFromDib(frame, dib, f.palette, 0, autoDither);
    frames_.push_back(f);
    if (byImage) {
        keptBitmap_.reset(BitmapFromDib(frame, dib, palette, 0, autoDither));
        keptDib_.reset(CopyHandle(dib));
        keptPalette_.reset(CopyPaletteChangingFlags(palette, 255));
    }
    return f.handle && (!byImage || (keptDib_ && keptBitmap_));
}

bool PlayList::append(const PlayFrame& f)
{
    if (frames_.size() >= kMaxFrames)
        return false;
    frames_.push_back(f);
    return true;
}

bool PlayList::appendImage(PlayFrame f, HWND frame, HGLOBAL dib, HPALETTE palette, int autoDither, HGLOBAL* techInfo)
{
    if (frames_.size() >= kMaxFrames)
        return false;
    f.palette = CopyPaletteChangingFlags(palette, 255);
    if (f.transparent && f.transparentIndex != 0) {
        const PALETTEENTRY magenta{255, 0, 255, 0};
        if (f.palette && f.transparentIndex < ColorsInPalette(f.palette))
            SetPaletteEntries(f.palette, f.transparentIndex, 1, &magenta);
        kel::GlobalLocked<uint8_t> p(dib);
        if (p && f.transparentIndex < reinterpret_cast<BITMAPINFOHEADER*>(p.get())->biClrUsed) {
            uint8_t* e = p.get() + 40 + 4 * f.transparentIndex;
            e[0] = 255;
            e[1] = 0;
            e[2] = 255;
        }
    }
    kel::GdiObject<HBITMAP> whole(BitmapFromDib(frame, dib, f.palette, 0, autoDither));
    if (!whole) {
        TechInfoU(techInfo, "Could not create bitmap\r\n");
    } else {
        kel::WindowDC screen;
        kel::MemoryDC from(screen.get()), to(screen.get());
        HBITMAP part = CreateCompatibleBitmap(screen.get(), f.width, f.height);
        if (part && from.get() && to.get()) {
            kel::Selected source(from.get(), whole.get()), target(to.get(), part);
            const RECT all{0, 0, f.width, f.height};
            FillRect(to.get(), &all, static_cast<HBRUSH>(GetCurrentObject(to.get(), OBJ_BRUSH)));
            BitBlt(to.get(), 0, 0, f.width, f.height, from.get(), f.left, f.top, SRCCOPY);
        }
        f.handle = part;
    }
    frames_.push_back(f);
    return true;
}

HGLOBAL PlayList::publish()
{
    HGLOBAL block = GlobalAlloc(GHND, playListBytes(frames_.size()));
    void* p = block ? GlobalLock(block) : nullptr;
    if (!p) {
        if (block)
            GlobalFree(block);
        return nullptr;
    }
    const PlayListHeader h{int32_t(frames_.size()), -1, 0};
    std::memcpy(p, &h, sizeof h);
    for (size_t i = 0; i < frames_.size(); ++i)
        *playFrame(p, i) = frames_[i];
    GlobalUnlock(block);
    frames_.clear();
    return block;
}

} // namespace gif
