// Index entry encoding and decoding (layout in catalog_index.h).
#include "catalog_index.h"

#include "bytes.h"

#include <algorithm>
#include <cstring>

namespace catfmt {

IndexEntry decodeEntry(const uint8_t* p)
{
    IndexEntry e{};
    std::memcpy(e.name, p, sizeof e.name);
    e.flags = p[13];
    e.offset = kel::getI32(p + 14);
    e.allocated = kel::getI32(p + 18);
    e.used = kel::getI32(p + 22);
    e.sequence = kel::getI16(p + 26);
    e.longName = kel::getU32(p + 28);
    return e;
}

void encodeEntry(const IndexEntry& e, uint8_t* p)
{
    std::memcpy(p, e.name, sizeof e.name);
    p[13] = e.flags;
    kel::putU32(p + 14, uint32_t(e.offset));
    kel::putU32(p + 18, uint32_t(e.allocated));
    kel::putU32(p + 22, uint32_t(e.used));
    kel::putU16(p + 26, uint16_t(e.sequence));
    kel::putU32(p + 28, e.flags == kIndexHeaderFlag ? e.longName : 0);
}

IndexEntry headerEntry(int32_t headerOffset, int16_t count)
{
    IndexEntry e{};
    e.flags = kIndexHeaderFlag;
    e.offset = headerOffset;
    e.allocated = e.used = 374;
    e.sequence = count;
    e.longName = kIndexHeaderMarker;
    return e;
}

IndexEntry makeEntry(const std::string& name, uint8_t flags, int32_t offset, int32_t allocated, int32_t used,
                     int16_t sequence)
{
    IndexEntry e{};
    std::memcpy(e.name, name.data(), std::min(name.size(), sizeof e.name - 1));
    e.flags = flags;
    e.offset = offset;
    e.allocated = allocated;
    e.used = used;
    e.sequence = sequence;
    return e;
}

std::string entryName(const IndexEntry& e)
{
    return std::string(e.name, kel::fieldLength(reinterpret_cast<const uint8_t*>(e.name), sizeof e.name));
}

bool isFreeName(const char* name) { return name[0] == 0 || name[0] == ' '; }

bool isLegacyPasswordEntry(const IndexEntry& e) { return e.flags == kIndexPasswordFlag && isFreeName(e.name); }

void legacyPasswordBytes(const IndexEntry& e, uint8_t out[8])
{
    uint8_t raw[kEntrySize];
    encodeEntry(e, raw);
    std::memcpy(out, raw + 14, 8);
}

std::vector<IndexEntry> decodeIndexFile(const uint8_t* data, size_t size)
{
    std::vector<IndexEntry> entries;
    entries.reserve(size / kEntrySize);
    for (size_t at = 0; at + kEntrySize <= size; at += kEntrySize)
        entries.push_back(decodeEntry(data + at));
    return entries;
}

std::vector<uint8_t> encodeIndexFile(const std::vector<IndexEntry>& entries)
{
    std::vector<uint8_t> out(entries.size() * kEntrySize);
    for (size_t i = 0; i < entries.size(); ++i)
        encodeEntry(entries[i], out.data() + i * kEntrySize);
    return out;
}

} // namespace catfmt
