// The play list of a multi-image GIF: the frames the GIF codec makes and the animation player
// steps through. One movable zero-initialised global block, held by the image's play-list
// variable:
//
//   off size field
//     0    4 frame count
//     4    4 current frame (-1 when created)
//     8    4 reserved, 0
//    12      frame records, frame 0 first (PlayFrame, 44 bytes each in the 32-bit layout)
//
// Frame 0 is the picture before the second image (or the first text overlay): a device bitmap
// of the whole logical screen. The bitmap, palette and text handles inside belong to the block's
// holder, who releases them with freePlayList.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>

enum PlayFrameKind : uint8_t { kFrameImage = 0, kFrameText = 1 };

struct PlayFrame {
    uint8_t kind;             // PlayFrameKind
    uint8_t disposal;         // 0-7, from the graphic control block
    uint32_t userInput;       // 0, or 2 when the frame waits for the user
    uint32_t transparent;     // 0 or 1
    uint32_t interlaced;      // 0 or 1 (image frames)
    int16_t delay;            // milliseconds; -1 when the file gave none (and for GIF87a)
    uint16_t top, left, width, height; // the image's rectangle, or the text grid
    uint8_t foreground, background;    // text colour indices (text frames)
    uint8_t transparentIndex;
    uint8_t cellWidth, cellHeight;     // character cell (text frames)
    HANDLE handle;            // image frames: HBITMAP of the rectangle; text frames: HGLOBAL text
    HPALETTE palette;         // image frames
    uint32_t reserved;
};

struct PlayListHeader {
    int32_t count;
    int32_t current;
    uint32_t reserved;
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(PlayFrame) == 44, "play list frames are 44 bytes in the 32-bit layout");
#endif
static_assert(sizeof(PlayListHeader) == 12, "the play list starts with three 32-bit words");

constexpr size_t kPlayListFramesOffset = sizeof(PlayListHeader);

inline size_t playListBytes(size_t frames) { return kPlayListFramesOffset + frames * sizeof(PlayFrame); }

// Frame `i` of a locked play list block.
inline PlayFrame* playFrame(void* block, size_t i)
{
    return reinterpret_cast<PlayFrame*>(static_cast<uint8_t*>(block) + kPlayListFramesOffset) + i;
}

// Releases a play list with every bitmap, palette and text block its frames hold.
inline void freePlayList(HGLOBAL list)
{
    if (!list)
        return;
    if (void* p = GlobalLock(list)) {
        PlayListHeader h;
        std::memcpy(&h, p, sizeof h);
        const size_t room = (GlobalSize(list) - kPlayListFramesOffset) / sizeof(PlayFrame);
        for (size_t i = 0; i < size_t(h.count > 0 ? h.count : 0) && i < room; ++i) {
            PlayFrame* f = playFrame(p, i);
            if (f->kind == kFrameText) {
                if (f->handle)
                    GlobalFree(f->handle);
            } else if (f->handle) {
                DeleteObject(f->handle);
            }
            if (f->palette)
                DeleteObject(f->palette);
        }
        GlobalUnlock(list);
    }
    GlobalFree(list);
}
