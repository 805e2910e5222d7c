// The long-name file (".CAX"): items mapping a long file name to its short (8.3) name.
//
//   off size field
//     0    2 uint16 byte count B of the long name: length + zero, rounded up to even; at most 256
//     2   14 short name, zero-terminated, zero-padded
//    16    B the long name, zero-terminated, one zero pad byte when length + zero is odd
// An item with B = 0 is skipped; one with B above 256 ends the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace catfmt {

constexpr size_t kLongNameHead = 16;
constexpr uint16_t kMaxLongNameBytes = 256;

struct LongNameItem {
    std::string shortName;
    std::string longName;
};

std::vector<LongNameItem> decodeLongNameFile(const uint8_t* data, size_t size);
// Appends one item; names longer than 255 characters are cut so the item stays readable.
void encodeLongNameItem(const LongNameItem& item, std::vector<uint8_t>* out);

} // namespace catfmt
