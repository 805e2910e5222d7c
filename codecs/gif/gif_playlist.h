// The play list under construction while a file is read (layout in play_list.h): the frames, and
// what is kept of the image as it stood when the list began.
#pragma once

#include "play_list.h"
#include "win_raii.h"

#include <windows.h>

#include <vector>

namespace gif {

// Each image frame holds a bitmap and a palette: a list is cut here so that a hostile file
// cannot use up the process's graphics objects.
constexpr size_t kMaxFrames = 1000;

class PlayList {
public:
    PlayList() = default;
    PlayList(const PlayList&) = delete;
    PlayList& operator=(const PlayList&) = delete;
    ~PlayList();

    bool started() const { return started_; }
    bool startedByImage() const { return byImage_; }
    size_t frames() const { return frames_.size(); }

    // Frame 0: the screen as it stands. Started by an image, the list also keeps a bitmap, a copy
    // of the DIB and of the palette, which become the result of the read.
    bool start(HWND frame, HGLOBAL dib, HPALETTE palette, int autoDither, bool byImage);

    // A text frame (its handle passes to the list on success).
    bool append(const PlayFrame& f);

    // An image frame: a copy of the palette (its transparent entry made magenta, in the DIB's
    // colour table too) and a bitmap of the frame's rectangle cut from the composed screen.
    // False when the list is full.
    bool appendImage(PlayFrame f, HWND frame, HGLOBAL dib, HPALETTE palette, int autoDither, HGLOBAL* techInfo);

    HGLOBAL takeKeptDib() { return keptDib_.release(); }
    HPALETTE takeKeptPalette() { return keptPalette_.release(); }
    HBITMAP takeKeptBitmap() { return keptBitmap_.release(); }

    // The play list block, owned by the caller from then on (null when no memory).
    HGLOBAL publish();

private:
    std::vector<PlayFrame> frames_;
    bool started_ = false, byImage_ = false;
    kel::GlobalMem keptDib_;
    kel::GdiObject<HPALETTE> keptPalette_;
    kel::GdiObject<HBITMAP> keptBitmap_;
};

} // namespace gif
