// Making the run-length encoded form (RLE8, RLE4) of an 8- or 4-bit DIB. The stream layout is
// described in rle_decode.cpp.
//
// Each stored row is encoded whole (padding included) as bytes; in RLE4 a byte is a pixel pair
// and every count is doubled. Runs of at least three equal bytes become (count, value) pairs;
// what lies between them is an absolute run when long enough (3 bytes for RLE8, 2 for RLE4:
// shorter ones would read as escapes), else runs of the equal bytes it holds.
#include "dib_view.h"
#include "ids_imagecore.h"
#include "ids_transforms.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "status_scope.h"
#include "win_raii.h"

#include <algorithm>
#include <cstring>

using namespace keldll;

namespace {

constexpr size_t kMinRun = 3;

// Writes the stream into `out`, or only counts its bytes when `out` is null.
struct Encoder {
    BYTE* out;
    size_t room, pos = 0;
    bool four;
    size_t maxBytes() const { return four ? 126 : 254; }
    size_t minAbsolute() const { return four ? 2 : 3; }

    bool put2(int a, int b)
    {
        if (room - pos < 2)
            return false;
        if (out) {
            out[pos] = BYTE(a);
            out[pos + 1] = BYTE(b);
        }
        pos += 2;
        return true;
    }
    bool run(size_t bytes, BYTE value) { return put2(int(four ? 2 * bytes : bytes), value); }
    bool absolute(const BYTE* p, size_t bytes)
    {
        const size_t padded = bytes + (bytes & 1);
        if (room - pos < 2 + padded)
            return false;
        if (out) {
            out[pos] = 0;
            out[pos + 1] = BYTE(four ? 2 * bytes : bytes);
            std::memcpy(out + pos + 2, p, bytes);
            if (bytes & 1)
                out[pos + 2 + bytes] = 0;
        }
        pos += 2 + padded;
        return true;
    }
    // Equal bytes from p[i] on, at most `limit`.
    static size_t same(const BYTE* p, size_t i, size_t n, size_t limit)
    {
        size_t k = i + 1;
        const size_t end = std::min(n, i + limit);
        while (k < end && p[k] == p[i])
            ++k;
        return k - i;
    }

    // One row of n bytes, ended by (0, 0). False when the output room is used up.
    bool row(const BYTE* p, size_t n)
    {
        size_t i = 0;
        while (i < n) {
            const size_t r = same(p, i, n, maxBytes());
            if (r >= kMinRun) {
                if (!run(r, p[i]))
                    return false;
                i += r;
                continue;
            }
            // A stretch up to the next run of kMinRun equal bytes (or the limit).
            size_t j = i;
            while (j < n && j - i < maxBytes() && !(j + 2 < n && p[j] == p[j + 1] && p[j] == p[j + 2]))
                ++j;
            if (j - i >= minAbsolute()) {
                if (!absolute(p + i, j - i))
                    return false;
            } else {
                for (size_t k = i; k < j;) {
                    const size_t e = same(p, k, j, maxBytes());
                    if (!run(e, p[k]))
                        return false;
                    k += e;
                }
            }
            i = j;
        }
        return put2(0, 0);
    }
};

} // namespace

HGLOBAL RGBtoRLE(HWND wnd, HGLOBAL dib, int kind, int warn)
{
    DibView src;
    if (!src.open(dib))
        return nullptr;
    if (!((kind == 1 && src.bits() == 8) || (kind == 2 && src.bits() == 4)))
        return nullptr;
    const size_t rowBytes = src.rowBytes(), height = size_t(src.height());
    const size_t image = rowBytes * height;
    const size_t room = (kind == 1 ? image * 3 / 2 : image) + 2 * rowBytes;
    BITMAPINFOHEADER bi = src.header();
    const std::vector<RGBQUAD> table = src.table();
    const size_t headerBytes = 40 + 4 * table.size();

    // The stream is measured first and made second: only its own bytes are ever allocated, and
    // a stream that would not fit its room costs no allocation at all.
    size_t encoded = 0;
    {
        char text[128];
        loadAppString(IDS_CREATING_BITMAP, text, sizeof text);
        StatusScope status(wnd, text);
        Encoder measure{nullptr, room, 0, kind == 2};
        for (size_t y = 0; y < height; ++y) {
            if (!measure.row(src.row(int(y)), rowBytes))
                return dib; // encoding does not pay: the image stays as it is
            status.progress(int(y + 1), int(height));
        }
        if (!measure.put2(0, 1))
            return dib;
        encoded = measure.pos - 2; // the rows; the end of bitmap is the "+ 2" of the image size
    }
    kel::GlobalMem result = kel::GlobalMem::alloc(headerBytes + encoded + 2);
    {
        kel::GlobalLocked<BYTE> out(result.get());
        if (!out)
            return nullptr;
        bi.biCompression = kind == 1 ? BI_RLE8 : BI_RLE4;
        bi.biSizeImage = DWORD(encoded + 2);
        std::memcpy(out.get(), &bi, sizeof bi);
        std::memcpy(out.get() + 40, table.data(), 4 * table.size());
        Encoder write{out.get() + headerBytes, encoded + 2, 0, kind == 2};
        for (size_t y = 0; y < height; ++y)
            write.row(src.row(int(y)), rowBytes);
        write.put2(0, 1);
    }
    if (warn && encoded + 2 > image)
        showHelpWarning(HELP_RLE_NOT_SMALLER, IDS_WARNING_CAPTION, IDS_RLE_NOT_SMALLER);
    return result.release();
}
