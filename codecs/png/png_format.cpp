#include "png_format.h"

#include "bytes.h"

#include <zlib.h>

#include <algorithm>

namespace png {

Ihdr parseIhdr(const uint8_t* d)
{
    Ihdr h;
    h.width = kel::getU32BE(d);
    h.height = kel::getU32BE(d + 4);
    h.depth = d[8];
    h.colourType = d[9];
    h.compression = d[10];
    h.filter = d[11];
    h.interlace = d[12];
    return h;
}

int channels(uint8_t colourType)
{
    switch (colourType) {
    case 0: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
    }
}

DibForm dibForm(const Ihdr& h)
{
    const bool sizeOk = h.width >= 1 && h.height >= 1 && h.width <= 0x7FFFFFFF && h.height <= 0x7FFFFFFF;
    if (!sizeOk || h.compression != 0 || h.filter != 0 || h.interlace > 1)
        return {};
    const int d = h.depth;
    switch (h.colourType) {
    case 0:
        if (d == 1) return {1, 2};
        if (d == 2) return {4, 4};
        if (d == 4) return {4, 16};
        if (d == 8 || d == 16) return {8, 256};
        return {};
    case 3:
        if (d == 1) return {1, 2};
        if (d == 2) return {4, 4};
        if (d == 4) return {4, 16};
        if (d == 8) return {8, 256};
        return {};
    case 4:
        return d == 8 || d == 16 ? DibForm{8, 256} : DibForm{};
    case 2:
    case 6:
        return d == 8 || d == 16 ? DibForm{24, 0} : DibForm{};
    default: return {};
    }
}

uint64_t filteredBytes(const Ihdr& h)
{
    static const int kX0[] = {0, 4, 0, 2, 0, 1, 0}, kY0[] = {0, 0, 4, 0, 2, 0, 1};
    static const int kDx[] = {8, 8, 4, 4, 2, 2, 1}, kDy[] = {8, 8, 8, 4, 4, 2, 2};
    const uint64_t bits = uint64_t(pixelBits(h));
    auto passBytes = [&](uint64_t w, uint64_t rows) -> uint64_t {
        return w == 0 || rows == 0 ? 0 : rows * (1 + (w * bits + 7) / 8);
    };
    if (h.interlace == 0)
        return passBytes(h.width, h.height);
    uint64_t total = 0;
    for (int p = 0; p < 7; ++p) {
        const uint64_t w = h.width > uint32_t(kX0[p]) ? (h.width - kX0[p] + kDx[p] - 1) / kDx[p] : 0;
        const uint64_t rows = h.height > uint32_t(kY0[p]) ? (h.height - kY0[p] + kDy[p] - 1) / kDy[p] : 0;
        total += passBytes(w, rows);
    }
    return total;
}

ChunkReader::ChunkReader(HANDLE file) : file_(file)
{
    LARGE_INTEGER s{};
    if (GetFileSizeEx(file, &s))
        size_ = s.QuadPart;
}

void ChunkReader::seek(int64_t pos)
{
    LARGE_INTEGER li;
    li.QuadPart = pos;
    SetFilePointerEx(file_, li, nullptr, FILE_BEGIN);
    pos_ = pos;
    bufferPos_ = bufferFill_ = 0;
}

bool ChunkReader::read(void* out, size_t n)
{
    auto* o = static_cast<uint8_t*>(out);
    size_t total = 0;
    while (total < n) {
        if (bufferPos_ < bufferFill_) {
            const size_t k = std::min(n - total, bufferFill_ - bufferPos_);
            std::memcpy(o + total, buffer_.data() + bufferPos_, k);
            bufferPos_ += k;
            total += k;
            continue;
        }
        DWORD got = 0;
        if (n - total >= 64 * 1024) {
            // Large data goes straight to its place.
            const DWORD want = DWORD(std::min<size_t>(n - total, 1u << 30));
            if (!ReadFile(file_, o + total, want, &got, nullptr) || got == 0)
                break;
            total += got;
            continue;
        }
        buffer_.resize(64 * 1024);
        if (!ReadFile(file_, buffer_.data(), DWORD(buffer_.size()), &got, nullptr) || got == 0)
            break;
        bufferPos_ = 0;
        bufferFill_ = got;
    }
    pos_ += int64_t(total);
    return total == n;
}

bool ChunkReader::findSignature()
{
    // Through a buffer: the signature may lie anywhere in a large file.
    std::vector<uint8_t> buffer(64 * 1024);
    for (int64_t base = 0; base + 8 <= size_; base += int64_t(buffer.size()) - 7) {
        seek(base);
        const size_t want = size_t(std::min<int64_t>(int64_t(buffer.size()), size_ - base));
        if (!read(buffer.data(), want))
            return false;
        for (size_t i = 0; i + 8 <= want; ++i)
            if (buffer[i] == 0x89 && std::memcmp(buffer.data() + i, kSignature, 8) == 0) {
                seek(base + int64_t(i) + 8);
                return true;
            }
    }
    return false;
}

bool ChunkReader::next(Chunk* chunk, std::vector<uint8_t>* idatSink)
{
    uint8_t head[8];
    if (!read(head, sizeof head))
        return false;
    const uint32_t length = kel::getU32BE(head);
    // A length beyond what the rest of the file holds is no chunk: nothing is allocated for it.
    if (length > 0x7FFFFFFFu || int64_t(length) + 4 > size_ - pos_)
        return false;
    std::memcpy(chunk->type, head + 4, 4);
    chunk->type[4] = 0;
    const bool toSink = idatSink && std::memcmp(head + 4, "IDAT", 4) == 0;
    std::vector<uint8_t>& to = toSink ? *idatSink : chunk->data;
    const size_t at = toSink ? idatSink->size() : 0;
    to.resize(at + length);
    uint8_t crc[4];
    const bool complete = read(to.data() + at, length) && read(crc, 4);
    uLong c = crc32(0, head + 4, 4);
    c = crc32(c, to.data() + at, length);
    if (!complete || uint32_t(c) != kel::getU32BE(crc)) {
        to.resize(at);
        return false;
    }
    return true;
}

} // namespace png
