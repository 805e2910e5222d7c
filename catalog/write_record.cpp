// Writing a record (WriteCatalog).
//
// A record is never overwritten where it lies. The new version goes to the smallest free record
// that holds it, or to the end of the file, with its name written last; only then is the index
// changed and the old version's name blanked. A writer killed at any point leaves the old
// version whole, and an unnamed (free) stretch where the new one was going.
#include "engine.h"

#include "bytes.h"
#include "catalog_record.h"
#include "ids_catalog.h"
#include "ids_netpaths.h"
#include "jpeg_options.h"
#include "kelhlp.h"
#include "keldll.h"
#include "kelint.h"
#include "long_names.h"

#include <algorithm>
#include <cstring>

namespace kelcat {

namespace {

// The bytes of a packed DIB: header, colour table and pixels as its header describes them.
size_t packedDibBytes(const uint8_t* p, size_t blockSize)
{
    if (blockSize < 12)
        return 0;
    const uint32_t headerSize = kel::getU32(p);
    if (headerSize == 12) {
        const uint32_t bits = kel::getU16(p + 10), width = kel::getU16(p + 4), height = kel::getU16(p + 6);
        const uint64_t total = 12 + (bits <= 8 ? 3u << bits : 0) + ((uint64_t(width) * bits + 31) / 32) * 4 * height;
        return size_t(std::min<uint64_t>(total, blockSize));
    }
    if (blockSize < 40 || (headerSize != 40 && headerSize != 36))
        return 0;
    const int64_t width = kel::getI32(p + 4), height = kel::getI32(p + 8);
    const uint32_t bits = kel::getU16(p + 14), compression = kel::getU32(p + 16), imageSize = kel::getU32(p + 20);
    uint32_t colours = kel::getU32(p + 32);
    if (!colours && bits <= 8)
        colours = 1u << bits;
    const uint64_t rows = uint64_t(height < 0 ? -height : height);
    const uint64_t pixels = compression == BI_RGB || compression == BI_BITFIELDS || !imageSize
                                ? ((uint64_t(width < 0 ? 0 : width) * bits + 31) / 32) * 4 * rows
                                : imageSize;
    const uint64_t total = headerSize + uint64_t(colours) * 4 + (compression == BI_BITFIELDS ? 12 : 0) + pixels;
    return size_t(std::min<uint64_t>(total, blockSize));
}

std::string text(const uint8_t* p, size_t size) { return std::string(reinterpret_cast<const char*>(p), kel::fieldLength(p, size)); }

bool keywordsDiffer(const uint8_t* a, const uint8_t* b)
{
    const std::string x = text(a + catfmt::kKeywords, catfmt::kKeywordsSize);
    const std::string y = text(b + catfmt::kKeywords, catfmt::kKeywordsSize);
    return x.size() != y.size() || _stricmp(x.c_str(), y.c_str()) != 0;
}

} // namespace

} // namespace kelcat

using namespace kelcat;

int WriteCatalog(CatalogDescriptor* d, HWND owner, HGLOBAL thumbnail, HGLOBAL record, int q, const char* shortName,
                 const char* longName)
{
    if (!d || !d->index || !d->openCount || d->readOnly || !record || !shortName)
        return 0;

    // R: the caller's fixed part and description tail.
    std::vector<uint8_t> r;
    {
        const size_t size = GlobalSize(record);
        const uint8_t* p = static_cast<const uint8_t*>(GlobalLock(record));
        if (!p)
            return 0;
        if (size >= catfmt::kFixedSize) {
            const size_t tail = kel::getU16(p + catfmt::kDescriptionLength);
            r.assign(p, p + std::min(size, catfmt::kFixedSize + tail));
            r.resize(catfmt::kFixedSize + tail, 0);
        }
        GlobalUnlock(record);
        if (r.empty())
            return 0;
    }
    if (!r[0])
        kel::putField(r.data(), catfmt::kNameSize, shortName);
    const std::string name = text(r.data(), catfmt::kNameSize);
    if (name.empty() || name.size() > 12 || name[0] == ' ')
        return 0;
    const uint16_t descLength = kel::getU16(&r[catfmt::kDescriptionLength]);
    if (descLength)
        r[catfmt::kFixedSize + descLength - 1] = 0; // the description ends inside its tail

    // O: the record as it stands now.
    HGLOBAL old = LookupCatalog(d, shortName, 0);
    if (!old)
        return 0;
    bool keywordsChanged;
    {
        const uint8_t* o = static_cast<const uint8_t*>(GlobalLock(old));
        const bool isNew = compareNames(reinterpret_cast<const char*>(o), name.c_str(), 13) != 0;
        keywordsChanged = keywordsDiffer(o, r.data());
        if (isNew) {
            const std::string other = keywordLinkCatalog(r.data());
            if (!other.empty() && IsItemCataloged(name.c_str(), other.c_str()) &&
                message(owner, 5157, EMH_YESNO | EMH_QUESTION, MAKEINTRESOURCEA(IDS_CAT_ERROR_CAPTION),
                        MAKEINTRESOURCEA(IDS_CAT_ALREADY_CATALOGED), name.c_str(), other.c_str()) != EMH_RESULT_FIRST) {
                GlobalUnlock(old);
                GlobalFree(old);
                return 0;
            }
        } else if (keywordsChanged) {
            keywordsRemove(d, r.data(), d->current.offset);
        }
        GlobalUnlock(old);
        GlobalFree(old);
    }

    // D: the thumbnail, JPEG-coded when that is on, the picture has 8 bits or more and the JPEG
    // form is smaller.
    std::vector<uint8_t> thumb;
    if (thumbnail) {
        const size_t size = GlobalSize(thumbnail);
        const uint8_t* p = static_cast<const uint8_t*>(GlobalLock(thumbnail));
        if (p) {
            thumb.assign(p, p + packedDibBytes(p, size));
            GlobalUnlock(thumbnail);
        }
        if (!thumb.empty() && app() && app()->jpegThumbnails && kel::getI16(&r[catfmt::kBits]) >= 8) {
            std::vector<uint8_t> jpeg(thumb.size() * 2);
            JpegOptions options;
            options.quality = 75;
            const DWORD n = WriteJPEGMem(thumbnail, &options, jpeg.data(), DWORD(jpeg.size()));
            if (n > 0 && n < thumb.size())
                thumb.assign(jpeg.begin(), jpeg.begin() + n);
        }
    }
    // Counts that older readers would misread get one byte more: a thumbnail whose low 16 bits
    // read 260 (the old layout's marker) and a long-name count equal to them.
    if ((thumb.size() & 0xFFFF) == 260)
        thumb.push_back(0);
    std::string recordLongName;
    if (longName && *longName && std::strcmp(longName, shortName) != 0)
        recordLongName.assign(longName, strnlen(longName, catfmt::kMaxLongNameBytes - 1));
    // A record without a thumbnail cannot carry its long name (older readers take that count for
    // a thumbnail size): the long-name file keeps it.
    size_t longBytes = recordLongName.empty() || thumb.empty() ? 0 : recordLongName.size() + 1;
    if (longBytes && longBytes == (thumb.size() & 0xFFFF))
        ++longBytes;
    const uint64_t n = catfmt::kFixedSize + uint64_t(descLength) + longBytes + thumb.size();
    if (n > uint64_t(INT32_MAX) / 2)
        return 0;
    // The drive is asked again only when what was written since could have used up the room.
    Engine& state = engine(d);
    if (state.freeSpace < int64_t(n) + (64 << 20))
        state.freeSpace = freeDiskSpace(d->catPath);
    const int64_t space = state.freeSpace;
    if (space >= 0)
        state.freeSpace -= int64_t(n);
    if (space >= 0 && space < int64_t(n) + 32) {
        message(owner, 5027, EMH_EXCLAMATION, MAKEINTRESOURCEA(IDS_ERROR_CAPTION), MAKEINTRESOURCEA(IDS_CAT_NO_DISK_SPACE));
        return 0;
    }

    // Where the index knows the record (by the short name a long name stands for, else by name).
    const int longAt = recordLongName.empty() ? -1 : FindLongCix(d, recordLongName.c_str());
    const std::string indexName = longAt >= 0 ? std::string(GetLongShortName(d, longAt)) : name;
    const int found = FindCix(d, indexName.c_str());
    const bool existing = found >= 0;

    // Placement: the smallest free record that holds it, else the end of the file.
    const int freeAt = smallestFreeEntry(d, int64_t(n));
    int64_t offset;
    int32_t allocated;
    if (freeAt >= 0) {
        offset = entries(d)[freeAt].offset;
        allocated = entries(d)[freeAt].allocated;
    } else {
        offset = fileSize(h(d->hCat));
        allocated = int32_t(n);
        if (offset < 0 || offset + int64_t(n) > INT32_MAX)
            return 0;
    }
    int32_t spare = allocated - int32_t(n);
    const bool split = spare > int32_t(n) && spare >= int32_t(catfmt::kFixedSize);
    if (split)
        allocated = int32_t(n), spare = 0;

    // The bytes: fixed part, description tail, long name, thumbnail.
    std::vector<uint8_t> bytes(size_t(n), 0);
    std::memcpy(bytes.data(), r.data(), r.size());
    kel::putField(bytes.data(), catfmt::kNameSize, name.c_str());
    kel::putU32(&bytes[catfmt::kThumbnailCount], uint32_t(thumb.size()));
    kel::putU16(&bytes[catfmt::kLongNameCount], uint16_t(longBytes));
    kel::putU16(&bytes[catfmt::kSlack], uint16_t(std::clamp<int32_t>(spare, 0, 65535)));
    std::memcpy(bytes.data() + catfmt::kFixedSize + descLength, recordLongName.data(), longBytes ? recordLongName.size() : 0);
    if (!thumb.empty())
        std::memcpy(bytes.data() + catfmt::kFixedSize + descLength + longBytes, thumb.data(), thumb.size());
    uint8_t nameField[catfmt::kNameSize];
    std::memcpy(nameField, bytes.data(), sizeof nameField);
    std::memset(bytes.data(), ' ', 12); // written unnamed; the name goes last
    bytes[12] = 0;

    if (!markIndexDirty(d) || !writeAt(h(d->hCat), offset, bytes.data(), bytes.size()))
        return 0;
    if (split) {
        std::vector<uint8_t> freePart(catfmt::kFixedSize, 0);
        std::memset(freePart.data(), ' ', 11);
        kel::putU16(&freePart[catfmt::kSlack], uint16_t(std::min<int64_t>(entries(d)[freeAt].allocated - int64_t(n) - 374, 65535)));
        if (!writeAt(h(d->hCat), offset + int64_t(n), freePart.data(), freePart.size()))
            return 0;
    }
    // A long name that the record cannot carry is in the long-name file before the record has
    // its name, so that a named record never lacks it.
    if (!recordLongName.empty() && (!InsertLongCix(d, name.c_str(), recordLongName.c_str()) ||
                                    (!longBytes && !writeLongNameFile(d))))
        return 0;
    if (!writeAt(h(d->hCat), offset, nameField, sizeof nameField))
        return 0;

    // The index follows the file.
    if (!reserveEntries(d, entryCount(d) + 2) || !reserveSequence(d, entryCount(d) + 2)) {
        ErrMsg("Out of Memory %d %s", __LINE__, "CATUTIL");
        return 0;
    }
    IndexHeader* x = header(d);
    IndexEntry entry{};
    int position;
    int64_t oldOffset = -1;
    IndexEntry splitOff{};
    if (split) {
        splitOff.offset = int32_t(offset + int64_t(n));
        splitOff.allocated = entries(d)[freeAt].allocated - int32_t(n);
        splitOff.used = int32_t(catfmt::kFixedSize);
        setFreeName(&splitOff);
    }
    if (!existing) {
        position = -found - 1;
        setName(&entry, name.c_str());
        entry.flags = kEntryNew;
        if (freeAt >= 0) {
            removeEntryAt(d, freeAt);
            sequenceShift(d, freeAt + 1, position, -1);
            --position;
            if (x->currentPosition > 0 && x->currentPosition <= position)
                --x->currentPosition;
        } else {
            sequenceShift(d, position, x->entries, 1);
            if (x->currentPosition >= position)
                ++x->currentPosition;
        }
        insertEntryAt(d, position, entry);
        sequenceInsert(d, q, position);
        ++x->activeEntries;
        ++x->shownEntries;
        ++x->highestSequence;
    } else {
        position = found;
        IndexEntry& e = entries(d)[position];
        e.flags &= uint8_t(~kEntryNew);
        oldOffset = e.offset;
        IndexEntry freed = e; // the old version's stretch becomes free
        setFreeName(&freed);
        freed.flags = 0;
        freed.longName = 0;
        freed.sequence = 0;
        x->activeBytes -= e.used;
        if (freeAt >= 0) {
            entries(d)[freeAt] = freed;
        } else {
            insertEntryAt(d, 0, freed);
            sequenceShift(d, 0, x->entries, 1);
            ++position;
            ++x->currentPosition;
        }
        if (uint16_t(entries(d)[position].sequence) != uint16_t(q))
            sequenceMove(d, position, q);
    }
    IndexEntry& e = entries(d)[position];
    e.offset = int32_t(offset);
    e.allocated = allocated;
    e.used = int32_t(n);
    x->activeBytes += e.used;
    if (position < x->firstChanged)
        x->firstChanged = position;
    if (split) {
        insertEntryAt(d, 0, splitOff);
        sequenceShift(d, 0, x->entries, 1);
        ++position;
        ++x->currentPosition;
    }
    // Long name: one heap copy, referenced by the entry and the long-name index.
    if (!recordLongName.empty()) {
        IndexEntry& at = entries(d)[position];
        if (at.longName && compareNames(longNameText(d, at.longName), recordLongName.c_str()) != 0)
            removeLongName(d, at.name, at.longName);
        const int known = FindLongCix(d, recordLongName.c_str());
        if (known >= 0)
            at.longName = longNames(d)[known].longName;
    }
    d->current = entries(d)[position];
    if (oldOffset >= 0) {
        static const char spaces[12] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
        writeAt(h(d->hCat), oldOffset, spaces, sizeof spaces);
    }
    if (keywordsChanged && r[catfmt::kKeywords])
        keywordsAdd(d, r.data(), int32_t(offset));
    keywordLinkUpdate(d, r.data());
    d->modified = 1;
    return 1;
}
