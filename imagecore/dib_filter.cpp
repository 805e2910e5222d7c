// Convolution of a DIB with a 5 x 5 kernel into a new 24-bit DIB.
//
// Kernel row 0 is the row two above the target pixel (as displayed), column 0 the pixel two to
// the left. Every channel of every output pixel is sum / divisor + offset (integer division,
// truncating), limited to 0..255, where the sum runs over the non-zero weights whose position
// lies inside the image: at the border only the existing neighbours count and the divisor
// stays as it is.
//
// The sums are built a whole row at a time, one kernel weight after the other, so that the
// inner loop is a plain multiply-add over the row's bytes. They are 16-bit (eight to a vector
// register) when the kernel cannot overflow them, else 32-bit, else 64-bit; the final step is a table lookup when the range of
// possible sums is small (every kernel the editing commands use), a division otherwise.
#include "dib_layout.h"
#include "dib_view.h"
#include "imagecore_internal.h"
#include "keldll.h"
#include "win_raii.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

using namespace keldll;

namespace {

struct Tap {
    int dy;      // memory row offset (memory rows run bottom-up, kernel rows top-down)
    int dx;      // column offset in pixels
    int32_t weight;
};

// The source's rows as blue, green, red bytes: 24-bit rows directly, other depths expanded into
// a ring of five rows (all a 5 x 5 kernel needs at once).
class RgbRows {
public:
    explicit RgbRows(const DibView& src) : src_(src)
    {
        if (src.bits() != 24) {
            ring_.resize(5 * 3 * size_t(src.width()));
            tags_.fill(-1);
            if (src.bits() == 8)
                for (DWORD i = 0; i < 256; ++i)
                    table_[i] = src.tableColour(i);
        }
    }
    const BYTE* row(int r)
    {
        if (src_.bits() == 24)
            return src_.row(r);
        const int slot = r % 5;
        BYTE* out = ring_.data() + size_t(slot) * 3 * size_t(src_.width());
        if (tags_[size_t(slot)] != r) {
            tags_[size_t(slot)] = r;
            const BYTE* in = src_.row(r);
            for (int x = 0; x < src_.width(); ++x) {
                const Rgb c = src_.bits() == 8 ? table_[in[x]] : src_.directColour(in, x);
                out[3 * x] = c.b, out[3 * x + 1] = c.g, out[3 * x + 2] = c.r;
            }
        }
        return out;
    }

private:
    const DibView& src_;
    std::vector<BYTE> ring_;
    std::array<int, 5> tags_{};
    Rgb table_[256] = {};
};

template <typename Acc> void addTap(Acc* __restrict sums, const BYTE* __restrict row, size_t count, Acc weight)
{
    for (size_t i = 0; i < count; ++i)
        sums[i] = Acc(sums[i] + weight * Acc(row[i]));
}

// sum / divisor + offset limited to 0..255, for sums in [low, high].
class Finisher {
public:
    Finisher(int64_t low, int64_t high, int32_t divisor, int32_t offset)
        : low_(low), divisor_(divisor == 0 ? 1 : divisor), offset_(offset)
    {
        if (high - low < (1 << 20)) {
            lut_.resize(size_t(high - low + 1));
            for (int64_t s = low; s <= high; ++s)
                lut_[size_t(s - low)] = slow(s);
        }
    }
    bool table() const { return !lut_.empty(); }
    BYTE fromTable(int64_t s) const { return lut_[size_t(s - low_)]; }
    BYTE slow(int64_t s) const { return BYTE(std::clamp<int64_t>(s / divisor_ + offset_, 0, 255)); }

private:
    int64_t low_;
    int64_t divisor_, offset_;
    std::vector<BYTE> lut_;
};

template <typename Acc>
bool convolve(const DibView& src, const std::vector<Tap>& taps, const Finisher& finish, BYTE* outBits,
              size_t outRow)
{
    const int w = src.width(), h = src.height();
    RgbRows rows(src);
    std::vector<Acc> sums(3 * size_t(w));
    for (int y = 0; y < h; ++y) { // display rows from the top
        const int r = h - 1 - y;
        std::fill(sums.begin(), sums.end(), Acc(0));
        for (const Tap& t : taps) {
            const int sr = r + t.dy;
            if (sr < 0 || sr >= h)
                continue;
            const int x0 = std::max(0, -t.dx), x1 = std::min(w, w - t.dx);
            if (x0 >= x1)
                continue;
            addTap<Acc>(sums.data() + 3 * size_t(x0), rows.row(sr) + 3 * size_t(x0 + t.dx), 3 * size_t(x1 - x0),
                        Acc(t.weight));
        }
        BYTE* out = outBits + outRow * size_t(r);
        const size_t n = 3 * size_t(w);
        if (finish.table())
            for (size_t i = 0; i < n; ++i)
                out[i] = finish.fromTable(sums[i]);
        else
            for (size_t i = 0; i < n; ++i)
                out[i] = finish.slow(sums[i]);
        if (!UpdateStatus(DWORD(y + 1), DWORD(h)))
            return false;
    }
    return true;
}

} // namespace

HGLOBAL ApplyDIBFilter(HGLOBAL dib, const FilterKernel* kernel)
{
    if (!kernel)
        return nullptr;
    DibView src;
    if (!src.open(dib) || src.bits() < 8)
        return nullptr;

    std::vector<Tap> taps;
    int64_t negative = 0, positive = 0;
    for (int ky = 0; ky < 5; ++ky)
        for (int kx = 0; kx < 5; ++kx) {
            const int32_t weight = kernel->weights[5 * ky + kx];
            if (weight == 0)
                continue;
            taps.push_back(Tap{2 - ky, kx - 2, weight});
            (weight < 0 ? negative : positive) += int64_t(weight) * 255;
        }

    BITMAPINFOHEADER bi;
    InitBitmapInfoHeader(&bi, DWORD(src.width()), DWORD(src.height()), 24);
    kel::GlobalMem result(newDib(bi, nullptr, 0));
    if (!result)
        return nullptr;
    kel::GlobalLocked<BYTE> out(result.get());
    if (!out)
        return nullptr;
    BYTE* outBits = FindDIBBits(out.get());
    const size_t outRow = size_t(kel::dibRowBytes(uint64_t(src.width()), 24));

    // A divisor of 0 would divide by zero: such a kernel divides by 1.
    const Finisher finish(negative, positive, kernel->divisor, kernel->offset);
    bool done;
    if (negative >= INT16_MIN && positive <= INT16_MAX) // every kernel the editing commands use
        done = convolve<int16_t>(src, taps, finish, outBits, outRow);
    else if (negative >= INT32_MIN && positive <= INT32_MAX)
        done = convolve<int32_t>(src, taps, finish, outBits, outRow);
    else
        done = convolve<int64_t>(src, taps, finish, outBits, outRow);
    if (!done)
        return nullptr; // cancelled: nothing is returned
    return result.release();
}
