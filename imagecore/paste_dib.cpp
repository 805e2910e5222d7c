// Pasting a rectangle of one DIB into a rectangle of another, scaled by nearest neighbour and
// mirrored by negative sizes.
//
// Rectangles are in image coordinates (rows counted from the top). A rectangle of positive size
// spans [x, x + width); one of negative size spans [x + width, x), so a source of width -W
// starting at x = W is the whole image read from its right edge. Target row i (counted from the
// rectangle's bottom) takes source row i x |source height| / |height| counted from the source
// rectangle's bottom, or from its top when the heights' signs differ; columns likewise from the
// left, or from the right when the widths' signs differ.
#include "dib_view.h"
#include "ids_transforms.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "nearest_colour.h"
#include "status_scope.h"
#include "win_raii.h"

#include <cstdlib>
#include <new>
#include <optional>
#include <vector>

using namespace keldll;

namespace {

struct Span {
    int64_t start, length; // first position and |size|
};

Span spanOf(int position, int size)
{
    return size > 0 ? Span{position, size} : Span{int64_t(position) + size, -int64_t(size)};
}

void setIndex(BYTE* row, int x, int bits, int v)
{
    switch (bits) {
    case 1: {
        const BYTE mask = BYTE(0x80 >> (x & 7));
        row[x >> 3] = BYTE((v & 1) ? row[x >> 3] | mask : row[x >> 3] & ~mask);
        break;
    }
    case 4: row[x >> 1] = BYTE((x & 1) ? (row[x >> 1] & 0xF0) | (v & 15) : (row[x >> 1] & 0x0F) | (v & 15) << 4); break;
    default: row[x] = BYTE(v); break;
    }
}

} // namespace

int PasteDIB(HGLOBAL target, int x, int y, int width, int height, HGLOBAL source, int srcX, int srcY, int srcWidth,
             int srcHeight)
{
    if (!target || !source || width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0)
        return 0;
    DibView src, dst;
    if (!src.open(source) || !dst.open(target))
        return 0;
    const int tb = dst.bits(), sb = src.bits();
    if (tb != 1 && tb != 4 && tb != 8 && tb != 24)
        return 0;

    // How a source pixel becomes a target pixel. Indices pass unchanged when the target's depth
    // can hold them; a deeper indexed source, like a true-colour one, goes to the nearest colour
    // of the target's table.
    std::vector<int> indexMap;
    std::vector<Rgb> targetColours;
    try {
        std::optional<NearestColour> nearest;
        if (tb <= 8) {
            for (DWORD i = 0; i < dst.tableEntries() && i < (1u << tb); ++i)
                targetColours.push_back(dst.tableColour(i));
            if (targetColours.empty())
                targetColours.push_back(Rgb{0, 0, 0});
            nearest.emplace(targetColours.data(), int(targetColours.size()));
        }
        if (tb <= 8 && src.indexed() && sb > tb)
            for (int i = 0; i < (1 << sb); ++i) {
                const Rgb c = src.tableColour(DWORD(i));
                indexMap.push_back(nearest->find(c.r, c.g, c.b));
            }

        const Span ts = spanOf(x, width), tr = spanOf(y, height);
        const Span ss = spanOf(srcX, srcWidth), sr = spanOf(srcY, srcHeight);
        const bool mirrorX = (width < 0) != (srcWidth < 0), mirrorY = (height < 0) != (srcHeight < 0);
        // Source column of every target column (-1: outside one of the images).
        std::vector<int> columns(size_t(ts.length), -1);
        for (int64_t j = 0; j < ts.length; ++j) {
            const int64_t tx = ts.start + j;
            const int64_t m = j * ss.length / ts.length;
            const int64_t sx = mirrorX ? ss.start + ss.length - 1 - m : ss.start + m;
            if (tx >= 0 && tx < dst.width() && sx >= 0 && sx < src.width())
                columns[size_t(j)] = int(sx);
        }

        char text[128];
        loadAppString(IDS_PASTING_BITMAP, text, sizeof text);
        StatusScope status(app() ? app()->frameWnd : nullptr, text);
        for (int64_t i = 0; i < tr.length; ++i) { // from the target rectangle's bottom
            const int64_t ty = tr.start + tr.length - 1 - i;
            const int64_t k = i * sr.length / tr.length;
            const int64_t sy = mirrorY ? sr.start + k : sr.start + sr.length - 1 - k;
            if (ty >= 0 && ty < dst.height() && sy >= 0 && sy < src.height()) {
                const BYTE* s = src.row(src.height() - 1 - int(sy));
                BYTE* d = const_cast<BYTE*>(dst.row(dst.height() - 1 - int(ty)));
                for (int64_t j = 0; j < ts.length; ++j) {
                    const int sx = columns[size_t(j)];
                    if (sx < 0)
                        continue;
                    const int tx = int(ts.start + j);
                    if (tb == 24) {
                        const Rgb c = src.indexed() ? src.tableColour(DWORD(src.indexAt(s, sx))) : src.directColour(s, sx);
                        d[3 * tx] = c.b, d[3 * tx + 1] = c.g, d[3 * tx + 2] = c.r;
                    } else if (src.indexed()) {
                        const int v = src.indexAt(s, sx);
                        setIndex(d, tx, tb, indexMap.empty() ? v : indexMap[size_t(v)]);
                    } else {
                        const Rgb c = src.directColour(s, sx);
                        setIndex(d, tx, tb, nearest->find(c.r, c.g, c.b));
                    }
                }
            }
            if (!status.progress(int(i + 1), int(tr.length)))
                break;
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}
