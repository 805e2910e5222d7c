// Catalog record encoding and decoding (layout in catalog_record.h).
#include "catalog_record.h"

#include "bytes.h"

#include <algorithm>
#include <cstring>

namespace catfmt {

namespace {

// One key for every catalog. Every byte has its high bit set, so no plain ASCII password
// character enciphers to the zero that ends the decoded text.
constexpr uint8_t kPasswordKey[8] = {0xA7, 0xC3, 0x9E, 0xB5, 0xE1, 0x8D, 0xF2, 0x96};

std::string text(const uint8_t* p, size_t size) { return std::string(reinterpret_cast<const char*>(p), kel::fieldLength(p, size)); }

void put(uint8_t* fixed, size_t offset, size_t size, const std::string& s) { kel::putField(fixed + offset, size, s.c_str()); }

} // namespace

Counts normalisedCounts(const uint8_t* fixed)
{
    const uint32_t t = kel::getU32(fixed + kThumbnailCount);
    const uint16_t n = kel::getU16(fixed + kLongNameCount);
    if ((t & 0xFFFF) == 260)
        return {uint32_t(n) * 65536 + (t >> 16), 0};
    if (t == 0)
        return {n, 0};
    if (n == (t & 0xFFFF))
        return {t, 0};
    return {t, n};
}

void normaliseFixedPart(uint8_t* fixed)
{
    Counts c = normalisedCounts(fixed);
    kel::putU32(fixed + kThumbnailCount, c.thumbnail);
    kel::putU16(fixed + kLongNameCount, c.longName);
}

uint64_t usedSize(const uint8_t* fixed)
{
    Counts c = normalisedCounts(fixed);
    return kFixedSize + kel::getU16(fixed + kDescriptionLength) + c.longName + uint64_t(c.thumbnail);
}

bool decodeRecord(const uint8_t* data, size_t size, Record* r, bool withThumbnail)
{
    if (size < kFixedSize)
        return false;
    const Counts c = normalisedCounts(data);
    const uint16_t descLength = kel::getU16(data + kDescriptionLength);
    r->name = text(data + kName, kNameSize);
    r->flags = data[kFlags];
    r->height = kel::getI16(data + kHeight);
    r->width = kel::getI16(data + kWidth);
    r->bits = kel::getI16(data + kBits);
    r->oldFormat = text(data + kOldFormat, kOldFormatSize);
    r->primaryPath = text(data + kPrimaryPath, kPathSize);
    r->primaryVolume = text(data + kPrimaryVolume, kVolumeSize);
    r->backupPath = text(data + kBackupPath, kPathSize);
    r->backupVolume = text(data + kBackupVolume, kVolumeSize);
    r->title = text(data + kTitle, kTitleSize);
    r->keywords = text(data + kKeywords, kKeywordsSize);
    r->format = text(data + kFormat, kFormatSize);
    r->fileSize = text(data + kFileSize, kFileSizeSize);
    r->date = text(data + kDate, kDateSize);
    r->time = text(data + kTime, kTimeSize);
    r->thumbnailBytes = c.thumbnail;
    r->slack = kel::getU16(data + kSlack);

    // The description starts inside the fixed part at 373 and runs on for L more bytes.
    const uint64_t tails = uint64_t(descLength) + c.longName;
    if (size - kFixedSize < tails)
        return false;
    r->description = descLength ? text(data + kDescription, size_t(descLength) + 1) : std::string();
    const uint8_t* longName = data + kFixedSize + descLength;
    r->longName = c.longName ? text(longName, c.longName) : std::string();
    r->thumbnail.clear();
    if (withThumbnail && c.thumbnail) {
        const uint8_t* thumb = longName + c.longName;
        if (size - kFixedSize - tails < c.thumbnail)
            return false;
        r->thumbnail.assign(thumb, thumb + c.thumbnail);
    }
    return true;
}

std::vector<uint8_t> encodeRecord(const Record& r)
{
    const std::string description = r.description.substr(0, 65534);
    const uint16_t descLength = uint16_t(description.size());
    // A thumbnail count of 0 makes readers take the long-name count for a legacy thumbnail size,
    // so a record without a thumbnail cannot carry its long name: it stays in the long-name file.
    const uint16_t longNameBytes = r.longName.empty() || r.thumbnail.empty()
                                       ? 0
                                       : uint16_t(std::min<size_t>(r.longName.size(), 65534) + 1);
    const uint32_t thumbBytes = uint32_t(r.thumbnail.size());
    std::vector<uint8_t> out(kFixedSize + descLength + longNameBytes + thumbBytes + r.slack, 0);
    uint8_t* f = out.data();
    put(f, kName, kNameSize, r.name);
    f[kFlags] = r.flags;
    kel::putU16(f + kHeight, uint16_t(r.height));
    kel::putU16(f + kWidth, uint16_t(r.width));
    kel::putU16(f + kBits, uint16_t(r.bits));
    put(f, kOldFormat, kOldFormatSize, r.oldFormat);
    put(f, kPrimaryPath, kPathSize, r.primaryPath);
    put(f, kPrimaryVolume, kVolumeSize, r.primaryVolume);
    put(f, kBackupPath, kPathSize, r.backupPath);
    put(f, kBackupVolume, kVolumeSize, r.backupVolume);
    put(f, kTitle, kTitleSize, r.title);
    put(f, kKeywords, kKeywordsSize, r.keywords);
    put(f, kFormat, kFormatSize, r.format);
    put(f, kFileSize, kFileSizeSize, r.fileSize);
    put(f, kDate, kDateSize, r.date);
    put(f, kTime, kTimeSize, r.time);
    kel::putU32(f + kThumbnailCount, thumbBytes);
    kel::putU16(f + kLongNameCount, longNameBytes);
    kel::putU16(f + kDescriptionLength, descLength);
    kel::putU16(f + kSlack, r.slack);
    std::memcpy(f + kDescription, description.data(), descLength); // its zero follows at 373 + L
    if (longNameBytes)
        std::memcpy(f + kFixedSize + descLength, r.longName.data(), longNameBytes - 1);
    if (thumbBytes)
        std::memcpy(f + kFixedSize + descLength + longNameBytes, r.thumbnail.data(), thumbBytes);
    return out;
}

bool isHeaderRecord(const uint8_t* fixed)
{
    return std::all_of(fixed, fixed + 14, [](uint8_t b) { return b == kHeaderRecordByte; });
}

std::vector<uint8_t> encodeHeaderRecord(const char* catalogName, const char* password)
{
    std::vector<uint8_t> out(kFixedSize, 0);
    std::memset(out.data(), kHeaderRecordByte, 14);
    encodePassword(password, out.data() + kPassword);
    kel::putField(out.data() + kCatalogName, kCatalogNameSize, catalogName);
    return out;
}

void encodePassword(const char* password, uint8_t out[8])
{
    const size_t n = password ? std::min<size_t>(std::strlen(password), 8) : 0;
    for (size_t i = 0; i < 8; ++i)
        out[i] = uint8_t((i < n ? uint8_t(password[i]) : 0) ^ kPasswordKey[i]);
}

std::string decodePassword(const uint8_t field[8])
{
    if (std::all_of(field, field + 8, [](uint8_t b) { return b == 0; }))
        return {};
    std::string s;
    for (size_t i = 0; i < 8; ++i) {
        const char c = char(field[i] ^ kPasswordKey[i]);
        if (!c)
            break;
        s += c;
    }
    return s;
}

} // namespace catfmt
