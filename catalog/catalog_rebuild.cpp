// The rebuild scan: walks the catalog file record by record from its start, building an index
// entry for each (sequence numbers 0, catalog-file order; loading sorts it). Damaged records
// are bridged by searching for the next record start.
#include "catalog_rebuild.h"

#include "bytes.h"
#include "catalog_index.h"
#include "catalog_record.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace catfmt {

namespace {

constexpr int64_t kChunk = 748;
constexpr const char* kFormatNames[] = {"GIF87a", "GIF89a", "JPEG", "BMP", "PNG", "CGM", "TARGA", "DRW", "TIFF"};

// The zero-terminated text at p equals name, case-insensitively.
bool textIs(const uint8_t* p, const char* name)
{
    size_t n = std::strlen(name);
    return _strnicmp(reinterpret_cast<const char*>(p), name, n) == 0 && p[n] == 0;
}

// A file name of single-byte characters, no control bytes.
bool printable(const std::string& name)
{
    return std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x20; });
}

// A format name alone is weak evidence: "PNG" also ends the name "THREE.PNG" and many titles.
// A real record start has a short name in its first 13 bytes: 1 to 12 characters and a zero.
bool plausibleRecordStart(const kel::File& catalog, int64_t start)
{
    uint8_t name[kNameSize];
    if (catalog.readAt(start, name, kNameSize) != int64_t(kNameSize))
        return false;
    const size_t n = kel::fieldLength(name, kNameSize);
    return n >= 1 && n <= 12 && std::all_of(name, name + n, [](uint8_t c) { return c >= 0x20; });
}

} // namespace

int64_t findNextRecordStart(const kel::File& catalog, int64_t from, int64_t minStart)
{
    uint8_t chunk[kChunk];
    for (int64_t pos = from;;) {
        const int64_t got = catalog.readAt(pos, chunk, kChunk);
        if (got <= 8) // fewer than 8 bytes came back, or only the 8 already looked at
            return -1;
        for (int64_t i = 0; got - i > 8; ++i) {
            const int64_t start = pos + i - int64_t(kFormat);
            if (start < minStart)
                continue;
            for (const char* name : kFormatNames)
                if (textIs(chunk + i, name) && plausibleRecordStart(catalog, start))
                    return start;
        }
        pos += got - 8; // the last bytes are looked at again at the start of the next chunk
    }
}

bool planRebuild(const kel::File& catalog, RebuildPlan* plan)
{
    *plan = RebuildPlan{};
    const int64_t fileEnd = catalog.size();
    if (fileEnd < 0)
        return false;
    plan->entries.push_back(makeEntry("", kIndexHeaderFlag, -1, int32_t(kFixedSize), int32_t(kFixedSize), 0));

    int64_t headerAt = -1;
    int64_t a = 0;
    uint8_t fixed[kFixedSize];
    for (;;) {
        const int64_t got = catalog.readAt(a, fixed, kFixedSize);
        if (got < 0)
            return false;
        if (got < int64_t(kFixedSize))
            break;
        normaliseFixedPart(fixed);
        if (fixed[0] == kHeaderRecordByte && fixed[1] == kHeaderRecordByte) {
            headerAt = a;
            a += kFixedSize;
            continue;
        }
        const Counts c = normalisedCounts(fixed);
        const uint64_t allocated = kFixedSize + uint64_t(c.longName) + kel::getU16(fixed + kDescriptionLength) +
                                   kel::getU16(fixed + kSlack) + c.thumbnail;
        const uint64_t used = allocated - kel::getU16(fixed + kSlack);
        const size_t nameLength = kel::fieldLength(fixed + kName, kNameSize);
        // A name that fills its field has no terminator: the record is treated as free.
        std::string name = nameLength > 12 ? std::string(12, ' ') : std::string(reinterpret_cast<char*>(fixed), nameLength);
        IndexEntry e = makeEntry(name, 0, int32_t(a), int32_t(allocated), int32_t(used), 0);
        if (uint64_t(fileEnd - a) >= allocated) {
            plan->entries.push_back(e);
            plan->liveEntries += !isFreeName(e.name);
            plan->intactRecords += !isFreeName(e.name) && printable(name);
            a += int64_t(allocated);
            continue;
        }

        // Damaged: the record claims more than the file holds. Bridge it to the next record start;
        // with none, to the end of the file, so that no entry claims bytes the file does not have.
        ++plan->damagedRecords;
        int64_t d = findNextRecordStart(catalog, a, a);
        if (d == a)
            d = findNextRecordStart(catalog, a + int64_t(kFixedSize), a + 1);
        if (d < 0)
            d = fileEnd;
        e.allocated = e.used = int32_t(d - a);
        if (d - a > int64_t(kFixedSize) - 1) {
            std::vector<uint8_t> repaired(fixed, fixed + kFixedSize);
            kel::putU32(&repaired[kThumbnailCount], 0);
            kel::putU16(&repaired[kLongNameCount], 0);
            kel::putU16(&repaired[kDescriptionLength], 0);
            kel::putU16(&repaired[kSlack], uint16_t(std::min<int64_t>(d - a - int64_t(kFixedSize), 65535)));
            plan->catalogWrites.emplace_back(a, std::move(repaired));
            plan->entries.push_back(e);
            plan->liveEntries += !isFreeName(e.name);
        }
        a = d;
    }

    plan->headerFound = headerAt >= 0;
    if (!plan->headerFound) {
        headerAt = a;
        plan->catalogWrites.emplace_back(a, encodeHeaderRecord("", nullptr));
        // A fresh header record has an empty password field, not an enciphered empty password.
        std::memset(plan->catalogWrites.back().second.data() + kPassword, 0, kPasswordSize);
    }
    IndexEntry& header = plan->entries.front();
    header.offset = int32_t(headerAt);
    header.sequence = int16_t(plan->entries.size() - 1);
    header.longName = 0; // no count check on a rebuilt index: loading sorts and rewrites it
    return true;
}

int64_t applyRebuild(const kel::File& catalog, const char* indexPath, const RebuildPlan& plan)
{
    for (const auto& [offset, bytes] : plan.catalogWrites)
        if (!catalog.writeAt(offset, bytes.data(), bytes.size()))
            return -1;
    if (!plan.catalogWrites.empty() && !catalog.flush())
        return -1;
    const std::vector<uint8_t> index = encodeIndexFile(plan.entries);
    if (!kel::replaceFile(indexPath, index.data(), index.size()))
        return -1;
    return int64_t(index.size());
}

} // namespace catfmt
