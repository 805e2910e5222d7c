#include "sgi_format.h"

#include "bytes.h"

#include <algorithm>
#include <cstring>

namespace sgi {

Header parseHeader(const uint8_t* b)
{
    Header h;
    h.magic = kel::getU16BE(b);
    h.storage = b[2];
    h.bytesPerChannel = b[3];
    h.dimension = kel::getU16BE(b + 4);
    h.width = kel::getU16BE(b + 6);
    h.height = kel::getU16BE(b + 8);
    h.channels = kel::getU16BE(b + 10);
    kel::getField(b + 24, kNameSize, h.name);
    h.colourMap = kel::getU32BE(b + 104);
    return h;
}

void buildHeader(uint8_t* out, uint16_t width, uint16_t height, uint16_t channels, bool runLength, const char* name)
{
    std::memset(out, 0, kHeaderSize);
    kel::putU16BE(out, kMagic);
    out[2] = runLength ? 1 : 0;
    out[3] = 1;
    kel::putU16BE(out + 4, 3);
    kel::putU16BE(out + 6, width);
    kel::putU16BE(out + 8, height);
    kel::putU16BE(out + 10, channels);
    kel::putU32BE(out + 16, 255);
    kel::putField(out + 24, kNameSize, name);
}

int dibChannels(const Header& h)
{
    const int channels = h.dimension == 2 ? 1 : h.channels;
    if (channels == 0)
        return 0;
    return channels == 2 ? 1 : std::min(channels, 3);
}

size_t expandScanline(const uint8_t* in, size_t n, uint8_t* out, size_t step, size_t count)
{
    size_t done = 0, i = 0;
    while (i < n && done < count) {
        const uint8_t code = in[i++];
        size_t run = code & 0x7F;
        if (run == 0)
            break;
        run = std::min(run, count - done); // a run past the row's end is cut there
        if (code & 0x80) {
            const size_t k = std::min(run, n - i);
            for (size_t j = 0; j < k; ++j, out += step)
                *out = in[i + j];
            i += code & 0x7F;
            done += k;
            if (k < run)
                break;
        } else {
            if (i >= n)
                break;
            const uint8_t value = in[i++];
            for (size_t j = 0; j < run; ++j, out += step)
                *out = value;
            done += run;
        }
    }
    return done;
}

namespace {

void literal(std::vector<uint8_t>& out, const uint8_t* from, size_t n)
{
    out.push_back(uint8_t(0x80 | n));
    out.insert(out.end(), from, from + n);
}

void repeat(std::vector<uint8_t>& out, uint8_t value, size_t n)
{
    out.push_back(uint8_t(n));
    out.push_back(value);
}

void encodeChunk(const uint8_t* in, size_t n, std::vector<uint8_t>& out)
{
    enum { None, Literal, Pairs } state = None;
    size_t start = 0, pending = 0; // the pending bytes are in[start .. start + pending)
    auto flushPairs = [&] {
        for (size_t k = 0; k < pending; k += 2)
            repeat(out, in[start + k], 2);
    };
    for (size_t i = 0; i < n;) {
        size_t j = i + 1;
        while (j < n && in[j] == in[i])
            ++j;
        const size_t run = j - i;
        switch (state) {
        case None:
            if (run >= 3)
                repeat(out, in[i], run);
            else {
                state = run == 1 ? Literal : Pairs;
                start = i;
                pending = run;
            }
            break;
        case Literal:
            if (run <= 2) {
                pending += run;
            } else {
                literal(out, in + start, pending);
                repeat(out, in[i], run);
                state = None;
            }
            break;
        case Pairs:
            if (run == 1) {
                state = Literal;
                pending += 1;
            } else if (run == 2) {
                pending += 2;
            } else {
                flushPairs();
                repeat(out, in[i], run);
                state = None;
            }
            break;
        }
        i = j;
    }
    if (state == Literal)
        literal(out, in + start, pending);
    else if (state == Pairs)
        flushPairs();
}

} // namespace

void encodeScanline(const uint8_t* in, size_t n, std::vector<uint8_t>& out)
{
    for (size_t at = 0; at < n; at += kMaxPacket)
        encodeChunk(in + at, std::min<size_t>(kMaxPacket, n - at), out);
}

} // namespace sgi
