// The ICS header file as this codec reads it.
//
// Byte 0 is the field separator and byte 1 the line separator. The line after them must start
// with "ICS" or "ics" (ics_version) and gives the version after its first field separator; the
// next must be the "filename" line. Every further line is a category, a key and values,
// separated by the field separator:
//   category         key                 kept
//   layout           parameters          count (more than 5 refuses the file)
//   layout           order               up to 10 names (bits, x, y, ...)
//   layout           sizes               bits per sample, then the extent of each dimension
//   layout           coordinates         "video" (first letter v or V): the data's first row is the top
//   layout           significant_bits    integer
//   representation   format              text ("integer", "real", ...)
//   representation   sign                "unsigned", or signed otherwise
//   representation   compression         text
//   representation   byte_order          integers: 1 2 ... = least significant byte first
//   parameter        origin, scale       reals
//   parameter        units, labels       texts
// Lines of other categories or keys are kept as free text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ics {

// Results of the header reader besides 0 (read).
enum Result {
    kNoMemory = -1,
    kCannotOpen = -2,
    kCannotRead = -3,
    kNoIcsLine = -4,
    kNoFilenameLine = -5,
    kTooManyParameters = -6,
};

constexpr int kMaxParameters = 5;
constexpr size_t kMaxOrder = 10;

struct Header {
    std::string version;
    int parameters = 0;
    std::vector<std::string> order;
    std::vector<long> sizes;
    std::string coordinates;
    int significantBits = 0;
    std::string format, sign, compression;
    std::vector<int> byteOrder;
    std::vector<double> origin, scale;
    std::vector<std::string> units, labels;
    std::vector<std::string> freeText; // whole lines, fields separated by spaces

    bool video() const { return !coordinates.empty() && (coordinates[0] == 'v' || coordinates[0] == 'V'); }
    bool isUnsigned() const { return sign == "unsigned"; }
    // The byte order lists the significance of each byte in file order: 1 first means the least
    // significant byte comes first. Without one the data is big-endian.
    bool littleEndian() const { return byteOrder.size() > 1 && byteOrder.front() < byteOrder.back(); }
    bool compressed() const;
};

// Reads the header text: 0, or a Result.
int parseHeader(std::string_view text, Header* out);

// Reads the header file: 0, or a Result.
int readHeader(const char* path, Header* out);

} // namespace ics
