// Searching, inserting and deleting index entries, and writing the index file.
//
// The index file is never rewritten in place: a flush writes the whole index to a temporary file
// beside it and renames that over the old one, so a writer killed during a flush leaves the old
// index or the new one, never a mixture. Between flushes the index file's header entry carries
// kIndexDirtyMarker while the catalog file holds changes it does not describe.
#include "engine.h"

#include "catalog_index.h"
#include "catalog_record.h"
#include "file_io.h"
#include "kelcat.h"
#include "keldll.h"

#include <cstring>

namespace kelcat {

namespace {

// Writes the header record (when the catalog has none yet, or it changed) into the catalog file.
bool writeHeaderRecord(CatalogDescriptor* d)
{
    Engine& e = engine(d);
    // A catalog opened without its password ("Override Passwords") keeps the one it has.
    const char* password = d->password[0] ? d->password : e.storedPassword.c_str();
    const std::vector<uint8_t> bytes = catfmt::encodeHeaderRecord(d->catName, password);
    if (d->headerOffset >= 0 && e.headerRecord == bytes)
        return true;
    int64_t at = d->headerOffset;
    if (at < 0) {
        at = fileSize(h(d->hCat));
        if (at < 0 || at > INT32_MAX)
            return false;
    }
    if (!writeAt(h(d->hCat), at, bytes.data(), bytes.size()))
        return false;
    d->headerOffset = int32_t(at);
    d->headerSeen = 1;
    e.headerRecord = bytes;
    return true;
}

void recordIndexTime(CatalogDescriptor* d)
{
    Engine& e = engine(d);
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (GetFileAttributesExA(d->cixPath, GetFileExInfoStandard, &a)) {
        e.indexWrite = a.ftLastWriteTime;
        e.indexBytes = int64_t(a.nFileSizeHigh) << 32 | a.nFileSizeLow;
        FileTimeToDosDateTime(&a.ftLastWriteTime, &d->indexDate, &d->indexTime);
    } else {
        e.indexWrite = FILETIME{};
        e.indexBytes = -1;
        d->indexDate = d->indexTime = 0;
    }
}

} // namespace

std::vector<uint8_t> encodeIndex(CatalogDescriptor* d)
{
    const int n = entryCount(d);
    std::vector<uint8_t> out(32 * (size_t(n) + 1));
    catfmt::encodeEntry(catfmt::headerEntry(d->headerOffset, int16_t(n)), out.data());
    const IndexEntry* e = entries(d);
    for (int i = 0; i < n; ++i)
        catfmt::encodeEntry(e[i], out.data() + 32 * (size_t(i) + 1));
    return out;
}

void noteIndexTime(CatalogDescriptor* d) { recordIndexTime(d); }

bool markIndexDirty(CatalogDescriptor* d)
{
    Engine& e = engine(d);
    e.dirty = true;
    if (e.markerOnDisk || d->readOnly || !isOpen(d->hCix))
        return true;
    uint8_t head[32];
    catfmt::encodeEntry(catfmt::headerEntry(d->headerOffset, int16_t(entryCount(d))), head);
    std::memcpy(head + 28, &kIndexDirtyMarker, 4);
    if (!writeAt(h(d->hCix), 0, head, sizeof head))
        return false;
    e.markerOnDisk = true;
    return true;
}

// Replaces the index file with `bytes`. The index handle is closed around the rename and opened
// again as it was.
bool replaceIndexFile(CatalogDescriptor* d, const std::vector<uint8_t>& bytes)
{
    const bool wasOpen = isOpen(d->hCix);
    if (wasOpen)
        CloseHandle(h(d->hCix));
    d->hCix = -1;
    bool ok = kel::replaceFile(d->cixPath, bytes.data(), bytes.size());
    if (!ok) {
        // Someone else holds the file open without letting it be replaced (a reader elsewhere on
        // the network): write it in place, which is what the other holder can cope with.
        HANDLE f = CreateFileA(d->cixPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            ok = writeAt(f, 0, bytes.data(), bytes.size()) && SetEndOfFile(f);
            CloseHandle(f);
        }
    }
    if (wasOpen) {
        HANDLE f = CreateFileA(d->cixPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        d->hCix = f == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(f);
    }
    return ok;
}

} // namespace kelcat

using namespace kelcat;

int FindCix(CatalogDescriptor* d, const char* shortName)
{
    if (!d || !d->index || !shortName || strnlen(shortName, 14) > 13 || d->index->entries == 0)
        return -1; // not found, at 0
    const IndexEntry* e = entries(d);
    int lo = 0, hi = d->index->entries;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        const int c = compareNames(e[mid].name, shortName, 13);
        if (c == 0)
            return mid;
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return -lo - 1;
}

int InsertCix(CatalogDescriptor* d, int position, const IndexEntry* entry, int updateSequence)
{
    if (!d || !d->index || !entry || position < 0 || position > d->index->entries)
        return 0;
    if (!reserveEntries(d, d->index->entries + 1)) {
        ErrMsg("Out of Memory %d %s", __LINE__, "CATUTIL");
        return 0;
    }
    insertEntryAt(d, position, *entry);
    if (position < d->index->firstChanged)
        d->index->firstChanged = position;
    if (updateSequence)
        sequenceShift(d, position, d->index->entries, 1);
    // The new entry itself is not in the sequence yet; a pair that pointed at `position` before
    // the insert now points one further, where that entry went.
    return 1;
}

int DeleteCix(CatalogDescriptor* d)
{
    if (!d || !d->index)
        return -1;
    const std::string name = nameOf(d->current);
    const int at = FindCix(d, name.c_str());
    if (at < 0) {
        ErrMsg("Internal err, %s not found", name.c_str());
        d->modified = 1;
        return at;
    }
    IndexEntry* e = entries(d);
    d->current = e[at];
    uint8_t fixed[catfmt::kFixedSize];
    if (readAt(h(d->hCat), e[at].offset, fixed, sizeof fixed) != int64_t(sizeof fixed))
        return 0;
    keywordsRemove(d, fixed, e[at].offset);
    keywordLinkDelete(d, fixed);
    if (e[at].longName)
        removeLongName(d, e[at].name, e[at].longName);

    IndexHeader* x = header(d);
    const bool hidden = e[at].flags & kEntryHidden, marked = e[at].flags & kEntryMarked;
    if (!hidden)
        --x->shownEntries;
    if (marked)
        --x->markedEntries;
    IndexEntry gone = e[at];
    setFreeName(&gone);
    gone.longName = 0;
    gone.flags = 0;
    sequenceRemovePosition(d, at);
    removeEntryAt(d, at);
    insertEntryAt(d, 0, gone);
    sequenceShift(d, 0, at, 1); // entries before it moved up by one
    --x->highestSequence;
    --x->activeEntries;
    x->activeBytes -= gone.used;
    x->firstChanged = 0;

    // The mark first, then the name: a writer killed in between leaves an index that the next
    // open rebuilds from the catalog file, where the record is gone.
    static const char spaces[12] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
    if (!markIndexDirty(d) || !writeAt(h(d->hCat), gone.offset, spaces, sizeof spaces))
        return 0;
    d->modified = 1;
    return at;
}

int FlushCatIndex(CatalogDescriptor* d)
{
    if (!d || !d->index)
        return 0;
    if (d->readOnly)
        return 1;
    Engine& e = engine(d);
    const bool ok = writeHeaderRecord(d) && FlushFileBuffers(h(d->hCat)) && replaceIndexFile(d, encodeIndex(d));
    if (!ok) {
        d->readOnly = 1;
        ReleaseMutex(d->mutex);
        return 0;
    }
    e.dirty = false;
    e.markerOnDisk = false;
    recordIndexTime(d);
    return 1;
}
