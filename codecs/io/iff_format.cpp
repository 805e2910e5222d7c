// BMHD fields, ByteRun1 coding and the plane bit shuffles (layout in iff_format.h).
#include "iff_format.h"

#include "bytes.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace iff {

Bmhd parseBmhd(const uint8_t* b)
{
    Bmhd h;
    h.width = kel::getU16BE(b);
    h.height = kel::getU16BE(b + 2);
    h.x = int16_t(kel::getU16BE(b + 4));
    h.y = int16_t(kel::getU16BE(b + 6));
    h.planes = b[8];
    h.masking = b[9];
    h.compression = b[10];
    h.xAspect = b[14];
    h.yAspect = b[15];
    return h;
}

void writeBmhd(const Bmhd& h, uint8_t* b)
{
    std::memset(b, 0, 20);
    kel::putU16BE(b, h.width);
    kel::putU16BE(b + 2, h.height);
    kel::putU16BE(b + 4, uint16_t(h.x));
    kel::putU16BE(b + 6, uint16_t(h.y));
    b[8] = h.planes;
    b[9] = h.masking;
    b[10] = h.compression;
    b[14] = h.xAspect;
    b[15] = h.yAspect;
    kel::putU16BE(b + 16, h.width);
    kel::putU16BE(b + 18, h.height);
}

void unpackRow(kel::BufferedReader& in, uint8_t* out, size_t n)
{
    size_t done = 0;
    while (done < n) {
        const int h = in.byte();
        if (h < 0)
            break;
        if (h < 128) {
            const size_t want = size_t(h) + 1, k = std::min(want, n - done);
            const size_t got = in.read(out + done, k);
            done += got;
            if (got < k)
                break;
            in.skip(want - k);
        } else if (h > 128) {
            const int v = in.byte();
            if (v < 0)
                break;
            const size_t k = std::min(size_t(257 - h), n - done);
            std::memset(out + done, v, k);
            done += k;
        }
    }
    std::memset(out + done, 0, n - done);
}

namespace {

// Where the next word of a plane coded down its columns goes.
class ColumnCursor {
public:
    ColumnCursor(uint8_t* plane, size_t rowBytes, size_t height) : plane_(plane), rowBytes_(rowBytes), height_(height)
    {
    }
    bool done() const { return x_ + 1 >= rowBytes_ || height_ == 0; }
    void put(uint16_t word)
    {
        if (done())
            return;
        uint8_t* at = plane_ + y_ * rowBytes_ + x_;
        at[0] = uint8_t(word >> 8);
        at[1] = uint8_t(word);
        if (++y_ == height_) {
            y_ = 0;
            x_ += 2;
        }
    }

private:
    uint8_t* plane_;
    size_t rowBytes_, height_, x_ = 0, y_ = 0;
};

} // namespace

void unpackVertical(kel::BufferedReader& in, uint8_t* planes, int count, size_t rowBytes, size_t height,
                    uint64_t fileBytes)
{
    std::vector<uint8_t> data;
    for (int p = 0; p < count; ++p) {
        uint8_t head[8];
        if (in.read(head, sizeof head) != sizeof head || std::memcmp(head, "VDAT", 4) != 0)
            return;
        const uint32_t length = kel::getU32BE(head + 4);
        data.resize(size_t(std::min<uint64_t>(length, fileBytes)));
        data.resize(in.read(data.data(), data.size()));
        if (length & 1)
            in.skip(1);
        kel::ByteReader chunk(data.data(), data.size());
        const uint16_t commandBytes = chunk.u16be();
        const uint8_t* commands = chunk.take(commandBytes >= 2 ? commandBytes - 2u : 0u);
        if (!commands)
            continue;
        ColumnCursor cursor(planes + size_t(p) * rowBytes * height, rowBytes, height);
        for (size_t i = 0; i + 2 < commandBytes && chunk.ok() && !cursor.done(); ++i) {
            const int c = int8_t(commands[i]);
            if (c == 0 || c < 0) {
                for (size_t n = c == 0 ? chunk.u16be() : size_t(-c); n > 0 && chunk.ok() && !cursor.done(); --n)
                    cursor.put(chunk.u16be());
            } else {
                const size_t n = c == 1 ? chunk.u16be() : size_t(c);
                const uint16_t word = chunk.u16be();
                for (size_t k = 0; k < n && chunk.ok() && !cursor.done(); ++k)
                    cursor.put(word);
            }
        }
    }
}

size_t packRow(const uint8_t* in, size_t n, uint8_t* out)
{
    uint8_t* o = out;
    auto literal = [&](size_t at, size_t k) {
        *o++ = uint8_t(k - 1);
        std::memcpy(o, in + at, k);
        o += k;
    };
    auto replicate = [&](size_t k, uint8_t v) {
        *o++ = uint8_t(1 - int(k));
        *o++ = v;
    };
    // Each segment of at most 127 bytes is packed on its own, walking its runs of equal bytes:
    // single bytes and pairs gather into a literal (pairs alone stay pairs), longer runs go out
    // as replicates.
    enum class State { None, Literal, Pairs } state = State::None;
    for (size_t seg = 0; seg < n; seg += 127) {
        const size_t end = std::min(n, seg + 127);
        size_t start = seg, a = 0; // the pending bytes are in[start .. start + a)
        for (size_t i = seg; i < end;) {
            size_t run = 1;
            while (i + run < end && in[i + run] == in[i])
                ++run;
            if (run >= 3) {
                if (state == State::Literal) {
                    literal(start, a);
                } else if (state == State::Pairs) {
                    for (size_t k = 0; k < a; k += 2)
                        replicate(2, in[start + k]);
                }
                replicate(run, in[i]);
                state = State::None;
            } else if (state == State::None) {
                start = i;
                a = run;
                state = run == 1 ? State::Literal : State::Pairs;
            } else {
                if (state == State::Pairs && run == 1)
                    state = State::Literal;
                a += run;
            }
            i += run;
        }
        if (state == State::Literal) {
            literal(start, a);
        } else if (state == State::Pairs) {
            for (size_t k = 0; k < a; k += 2)
                replicate(2, in[start + k]);
        }
        state = State::None;
    }
    return size_t(o - out);
}

uint8_t gatherPlane(uint64_t eightPixels, int plane)
{
    const uint64_t bits = (eightPixels >> plane) & 0x0101010101010101ull;
    return uint8_t((bits * 0x8040201008040201ull) >> 56);
}

uint64_t spreadPlane(uint8_t planeByte)
{
    // Bit 7 - k of the plane byte becomes bit 0 of byte k.
    static const auto table = [] {
        struct T {
            uint64_t v[256];
        } t{};
        for (int b = 0; b < 256; ++b)
            for (int k = 0; k < 8; ++k)
                if (b & (0x80 >> k))
                    t.v[b] |= uint64_t(1) << (8 * k);
        return t;
    }();
    return table.v[planeByte];
}

} // namespace iff
