// Index entries (".CIX"): a header entry, then one 32-byte entry per record.
//
//   off size type   field
//     0   13 text   short file name; 12 spaces for a free record; all zero in the header entry
//    13    1 byte   flags: 0xFE header entry, 0xFF legacy password entry, else kEntry* bits
//    14    4 int32  record offset in the catalog file (header entry: the header record's)
//    18    4 int32  allocated size            22   4 int32  used size
//    26    2 int16  sequence number (header entry: the number of entries that follow)
//    28    4 uint32 0 on disk, except 0xFFFF0001 in the header entry
// A legacy password entry keeps its 8 enciphered password bytes at 14..21.
#pragma once

#include "catalog_types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace catfmt {

constexpr size_t kEntrySize = 32;

IndexEntry decodeEntry(const uint8_t* p);
// Encodes an entry for the file: the in-memory long-name reference is never written.
void encodeEntry(const IndexEntry& e, uint8_t* p);

IndexEntry headerEntry(int32_t headerOffset, int16_t count);
IndexEntry makeEntry(const std::string& name, uint8_t flags, int32_t offset, int32_t allocated, int32_t used,
                     int16_t sequence);

std::string entryName(const IndexEntry& e);
bool isFreeName(const char* name); // empty or led by a space: a free record
bool isLegacyPasswordEntry(const IndexEntry& e);
// The enciphered password bytes a legacy password entry keeps at offsets 14..21.
void legacyPasswordBytes(const IndexEntry& e, uint8_t out[8]);

// Every entry of an index file's bytes, in file order (a trailing partial entry is ignored).
std::vector<IndexEntry> decodeIndexFile(const uint8_t* data, size_t size);
std::vector<uint8_t> encodeIndexFile(const std::vector<IndexEntry>& entries);

} // namespace catfmt
