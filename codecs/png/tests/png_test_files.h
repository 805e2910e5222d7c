// PNG files taken apart and put together in the tests: chunks with their CRCs.
#pragma once

#include "bytes.h"

#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

namespace png_test {

struct Chunk {
    std::string type;
    std::vector<uint8_t> data;
};

// The chunks after the signature (at offset 8); stops at the first that does not fit.
inline std::vector<Chunk> chunks(const std::vector<uint8_t>& file)
{
    std::vector<Chunk> out;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t n = kel::getU32BE(&file[at]);
        if (at + 12 + n > file.size())
            break;
        out.push_back({std::string(file.begin() + ptrdiff_t(at) + 4, file.begin() + ptrdiff_t(at) + 8),
                       std::vector<uint8_t>(file.begin() + ptrdiff_t(at) + 8, file.begin() + ptrdiff_t(at + 8 + n))});
        at += 12 + n;
    }
    return out;
}

inline std::vector<uint8_t> chunkBytes(const Chunk& c, bool goodCrc = true)
{
    std::vector<uint8_t> b(8);
    kel::putU32BE(b.data(), uint32_t(c.data.size()));
    std::memcpy(&b[4], c.type.data(), 4);
    b.insert(b.end(), c.data.begin(), c.data.end());
    const uint32_t crc = uint32_t(crc32(0, b.data() + 4, uInt(4 + c.data.size())));
    b.resize(b.size() + 4);
    kel::putU32BE(&b[b.size() - 4], goodCrc ? crc : crc ^ 1);
    return b;
}

// A file of these chunks; `badCrc` names the one whose CRC is spoilt.
inline std::vector<uint8_t> file(const std::vector<Chunk>& list, int badCrc = -1)
{
    std::vector<uint8_t> b = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    for (size_t i = 0; i < list.size(); ++i) {
        const std::vector<uint8_t> c = chunkBytes(list[i], int(i) != badCrc);
        b.insert(b.end(), c.begin(), c.end());
    }
    return b;
}

inline Chunk text(const std::string& keyword, const std::string& value)
{
    Chunk c{"tEXt", std::vector<uint8_t>(keyword.begin(), keyword.end())};
    c.data.push_back(0);
    c.data.insert(c.data.end(), value.begin(), value.end());
    return c;
}

} // namespace png_test
