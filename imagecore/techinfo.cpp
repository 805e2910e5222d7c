// The technical information block codecs and the application append to, the format summary in
// the status bar, and free disk space.
//
// Technical information block (movable, zero-initialised global memory):
//   offset 0  u32  allocated size (the block's global size after its last growth)
//   offset 4  u32  text length in bytes, without the terminating zero
//   offset 8  ...  the text: lines each ended by CR LF, zero-terminated
#include "bytes.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "win_raii.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

using namespace keldll;

int TechInfoU(HGLOBAL* techInfo, const char* text)
{
    if (!techInfo || !text || !*text)
        return 1;
    if (!*techInfo) {
        HGLOBAL h = GlobalAlloc(GHND, 12);
        if (!h)
            return 0;
        kel::GlobalLocked<BYTE> p(h);
        if (!p) {
            GlobalFree(h);
            return 0;
        }
        kel::putU32(p.get(), DWORD(GlobalSize(h)));
        *techInfo = h;
    }
    DWORD length;
    {
        kel::GlobalLocked<BYTE> p(*techInfo);
        if (!p)
            return 0;
        length = kel::getU32(p.get() + 4);
    }
    const size_t add = std::strlen(text);
    const bool needsEnd = text[add - 1] != '\n';
    HGLOBAL grown = GlobalReAlloc(*techInfo, length + add + 12 + (needsEnd ? 2 : 0), GHND);
    if (!grown)
        return 0; // the old block stays in the variable
    *techInfo = grown;
    kel::GlobalLocked<BYTE> p(grown);
    if (!p)
        return 0;
    BYTE* end = p.get() + 8 + length;
    std::memcpy(end, text, add);
    length += DWORD(add);
    if (needsEnd) {
        end[add] = '\r';
        end[add + 1] = '\n';
        length += 2;
    }
    p.get()[8 + length] = 0;
    kel::putU32(p.get(), DWORD(GlobalSize(grown)));
    kel::putU32(p.get() + 4, length);
    return 1;
}

int TechInfo(HGLOBAL* techInfo, const char* format, ...)
{
    if (!format)
        return 0;
    char text[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    text[sizeof text - 1] = 0;
    return TechInfoU(techInfo, text);
}

void FormatSpecs(HGLOBAL dibOrInfo, const char* format)
{
    if (!GetStatusWnd() || !dibOrInfo)
        return;
    kel::GlobalLocked<BYTE> p(dibOrInfo);
    if (!p)
        return;
    char pattern[128] = "", text[256];
    loadAppString(1245, pattern, sizeof pattern);
    snprintf(text, sizeof text, pattern, int(DIBWidth(p.get())), int(DIBHeight(p.get())),
             colourText(DIBBitcount(p.get())), format ? format : "");
    setStatusText(2, text);
}

DWORD GetFree(int drive)
{
    char root[] = "A:\\";
    root[0] = char(root[0] + drive);
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return 0;
    return sectorsPerCluster * bytesPerSector * freeClusters;
}
