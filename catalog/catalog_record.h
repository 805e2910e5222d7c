// Catalog records (".CAT"): one variable-length record per catalogued image, and the header
// record that marks the catalog as a whole. All integers little-endian; texts are zero-terminated
// single-byte strings inside their fields.
//
// Fixed part, 374 bytes:
//   off size type   field
//     0   13 text   short file name (8.3); the record's identity, equal to its index entry's name
//    13    1 byte   copy of the index entry's flags (written only by verification)
//    14    2 int16  height          16   2 int16 width          18   2 int16 bits per pixel
//    20    5 text   format name of the oldest layout (empty in current records)
//    25   65 text   primary path (network form)      90  12 text  primary volume label
//   102   65 text   backup path (network form)      167  12 text  backup volume label
//   179   60 text   title                            239  88 text  keywords
//   327    8 text   format name                      335   8 text  file size, decimal
//   343   11 text   file date                        354   9 text  file time
//   363    4 uint32 thumbnail byte count T (0: none)
//   367    2 uint16 long-name byte count N including its zero (0: none)
//   369    2 uint16 description length L (characters, without the zero)
//   371    2 uint16 slack S: spare bytes after the record's data
//   373    1 char   first byte of the description (zero when empty)
// Followed without gaps by: the rest of the description (L bytes: L-1 characters and the zero),
// the long name (N bytes), the thumbnail (T bytes: a packed DIB, or a JPEG stream whose first
// byte is 0xFF), then S spare bytes. Used size 374 + L + N + T; allocated size adds S.
//
// Header record, 374 bytes: bytes 0..13 are 0xFE, the enciphered password at 90 (8 bytes), the
// catalog name at 179 (at most 32 bytes), everything else zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace catfmt {

constexpr size_t kFixedSize = 374;
constexpr uint8_t kHeaderRecordByte = 0xFE;

enum Field : size_t {
    kName = 0, kNameSize = 13,
    kFlags = 13,
    kHeight = 14, kWidth = 16, kBits = 18,
    kOldFormat = 20, kOldFormatSize = 5,
    kPrimaryPath = 25, kPathSize = 65,
    kPrimaryVolume = 90, kVolumeSize = 12,
    kBackupPath = 102,
    kBackupVolume = 167,
    kTitle = 179, kTitleSize = 60,
    kKeywords = 239, kKeywordsSize = 88,
    kFormat = 327, kFormatSize = 8,
    kFileSize = 335, kFileSizeSize = 8,
    kDate = 343, kDateSize = 11,
    kTime = 354, kTimeSize = 9,
    kThumbnailCount = 363,
    kLongNameCount = 367,
    kDescriptionLength = 369,
    kSlack = 371,
    kDescription = 373,
    kPassword = 90, kPasswordSize = 8,
    kCatalogName = 179, kCatalogNameSize = 32,
};

// The counts of a fixed part after the legacy normalisation (older versions kept a 16-bit
// thumbnail size where the long-name count now lies).
struct Counts {
    uint32_t thumbnail;
    uint16_t longName;
};
Counts normalisedCounts(const uint8_t* fixed);
// Writes the normalised counts back into the fixed part.
void normaliseFixedPart(uint8_t* fixed);

// Every field of a record, decoded.
struct Record {
    std::string name;
    uint8_t flags = 0;
    int16_t height = 0, width = 0, bits = 0;
    std::string oldFormat, primaryPath, primaryVolume, backupPath, backupVolume;
    std::string title, keywords, format, fileSize, date, time;
    uint32_t thumbnailBytes = 0;
    uint16_t slack = 0;
    std::string description, longName;
    std::vector<uint8_t> thumbnail;
};

// Used size of a fixed part's record: 374 + L + N + T (after normalisation).
uint64_t usedSize(const uint8_t* fixed);

// Decodes a record from its bytes (fixed part, tails and thumbnail as far as they are present).
// False when the fixed part is incomplete or the tails the counts promise are missing.
bool decodeRecord(const uint8_t* data, size_t size, Record* out, bool withThumbnail = true);

// Encodes a record: fixed part, description tail, long name, thumbnail, then slack zero bytes.
// Texts are cut to their fields; the description to 65534 characters. A record without a
// thumbnail is written without its long name (the legacy count rules would misread it); the
// long-name file keeps that name.
std::vector<uint8_t> encodeRecord(const Record& r);

// True when the first 14 bytes are 0xFE (the header record); the rebuild scan tests two.
bool isHeaderRecord(const uint8_t* fixed);
std::vector<uint8_t> encodeHeaderRecord(const char* catalogName, const char* password);

// Password field: 8 bytes, character i (or 0 past the end) exclusive-or key byte i. Eight zero
// bytes mean no password, whatever the key.
void encodePassword(const char* password, uint8_t out[8]);
std::string decodePassword(const uint8_t field[8]);

} // namespace catfmt
