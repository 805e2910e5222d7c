// Opening and closing catalogs: the named mutex, the three files, loading, verifying, merging
// and recovering the index, the password rules, and writing back on close.
#include "engine.h"

#include "catalog_index.h"
#include "catalog_paths.h"
#include "catalog_rebuild.h"
#include "catalog_record.h"
#include "bytes.h"
#include "file_io.h"
#include "ids_catalog.h"
#include "ids_netpaths.h"
#include "kelhlp.h"
#include "keldll.h"
#include "kelnet.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace kelcat {
std::vector<uint8_t> encodeIndex(CatalogDescriptor* d);
bool replaceIndexFile(CatalogDescriptor* d, const std::vector<uint8_t>& bytes);
void noteIndexTime(CatalogDescriptor* d);
} // namespace kelcat

namespace kelcat {

namespace {

constexpr DWORD kMutexWaitMs = 10000;

// Open descriptors of this process: a second descriptor of the same catalog opened by the thread
// that owns its mutex must see what the first one has not flushed yet.
std::mutex g_openLock;
std::vector<CatalogDescriptor*> g_open;

void noteOpen(CatalogDescriptor* d, bool open)
{
    std::lock_guard<std::mutex> guard(g_openLock);
    g_open.erase(std::remove(g_open.begin(), g_open.end(), d), g_open.end());
    if (open)
        g_open.push_back(d);
}

void flushOtherDescriptors(CatalogDescriptor* d)
{
    std::vector<CatalogDescriptor*> others;
    {
        std::lock_guard<std::mutex> guard(g_openLock);
        for (CatalogDescriptor* o : g_open)
            if (o != d && o->index && _stricmp(o->catPath, d->catPath) == 0 && engine(o).dirty)
                others.push_back(o);
    }
    for (CatalogDescriptor* o : others)
        FlushCatIndex(o);
}

// The mutex is named by the catalog name; a descriptor without one (filled from a path only)
// uses its catalog file's full path, so that every process naming the same file meets.
std::string mutexName(const CatalogDescriptor* d)
{
    std::string name = d->catName[0] ? std::string(d->catName, strnlen(d->catName, sizeof d->catName)) : std::string();
    if (name.empty()) {
        char full[MAX_PATH];
        name = "KelgroveCatalog:";
        name += GetFullPathNameA(d->catPath, sizeof full, full, nullptr) ? full : d->catPath;
        CharUpperA(name.data());
    }
    std::replace(name.begin(), name.end(), '\\', '/'); // a backslash would name a namespace
    return name;
}

struct ErrorModeScope {
    UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    ~ErrorModeScope() { SetErrorMode(previous); }
};

void closeFiles(CatalogDescriptor* d)
{
    for (intptr_t* f : {&d->hCat, &d->hCix, &d->hCax}) {
        if (isOpen(*f))
            CloseHandle(h(*f));
        *f = -1;
    }
}

DWORD shareFlags(int share)
{
    switch (share) {
    case 0x10: return 0;
    case 0x20: return FILE_SHARE_READ;
    case 0x30: return FILE_SHARE_WRITE;
    default: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
}

std::string systemText(DWORD error)
{
    char text[256] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, sizeof text,
                   nullptr);
    std::string s(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s;
}

enum class Opened { Ok, Cancelled, Failed };

// Opens one of the catalog's files with the descriptor's modes, with the messages and retries of
// an interactive open. `created` tells whether a missing file was made.
Opened openFile(CatalogDescriptor* d, const char* path, int share, intptr_t* handle, OFSTRUCT* state, bool* created)
{
    for (;;) {
        const DWORD access = d->readOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
        DWORD sharing = d->readOnly ? FILE_SHARE_READ | FILE_SHARE_WRITE : shareFlags(share);
        HANDLE f = CreateFileA(path, access, sharing | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        DWORD error = f == INVALID_HANDLE_VALUE ? GetLastError() : 0;
        if (f == INVALID_HANDLE_VALUE && error == ERROR_ACCESS_DENIED && !d->readOnly) {
            d->readOnly = 1;
            continue;
        }
        if (f == INVALID_HANDLE_VALUE && error == ERROR_FILE_NOT_FOUND && !d->readOnly) {
            f = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, sharing | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
            error = f == INVALID_HANDLE_VALUE ? GetLastError() : 0;
            if (f != INVALID_HANDLE_VALUE) {
                *created = true;
                d->accessMode = CAT_READWRITE;
            }
        }
        state->cBytes = sizeof *state;
        state->nErrCode = WORD(error);
        if (f != INVALID_HANDLE_VALUE) {
            char full[MAX_PATH] = "";
            GetFullPathNameA(path, sizeof full, full, nullptr);
            lstrcpynA(state->szPathName, full, sizeof state->szPathName);
            *handle = reinterpret_cast<intptr_t>(f);
            return Opened::Ok;
        }
        const std::string why = systemText(error);
        int answer;
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED)
            answer = message(mainWindow(), 5030, EMH_CANCEL | EMH_RETRY | EMH_EXCLAMATION, "Access Error",
                             MAKEINTRESOURCEA(IDS_CAT_FILE_IN_USE), path, why.c_str());
        else
            answer = message(mainWindow(), 5031, EMH_CANCEL | EMH_RETRY | EMH_EXCLAMATION, "Open Error",
                             MAKEINTRESOURCEA(IDS_CAT_CANNOT_OPEN), path, why.c_str());
        if (answer == EMH_RESULT_CANCEL)
            return Opened::Cancelled;
    }
}

// Compares the wanted volume label with the label of the catalog's drive; false when the user
// cancelled.
bool volumeCheck(CatalogDescriptor* d)
{
    if (!d->volumeLabel[0] || d->volumeLabel[0] == ' ' || !isalpha(uint8_t(d->catPath[0])) || d->catPath[1] != ':')
        return true;
    for (;;) {
        std::string found = get_volid(d->catPath[0]);
        while (!found.empty() && found.back() == ' ')
            found.pop_back();
        if (_stricmp(found.c_str(), d->volumeLabel) == 0)
            return true;
        const int answer = message(mainWindow(), 5007, EMH_CANCEL | EMH_RETRY | EMH_EXCLAMATION,
                                   MAKEINTRESOURCEA(IDS_CAT_WRONG_VOLUME), MAKEINTRESOURCEA(IDS_CAT_NEED_VOLUME),
                                   d->volumeLabel, found.c_str(), int(toupper(uint8_t(d->catPath[0]))));
        if (answer == EMH_RESULT_CANCEL)
            return false;
        if (answer == EMH_RESULT_FIRST)
            return true;
    }
}

int driveOf(const char* path)
{
    return isalpha(uint8_t(path[0])) && path[1] == ':' ? toupper(uint8_t(path[0])) - 'A' : -1;
}

// ---- Loading ------------------------------------------------------------------------------

// The duplicate of a raw handle as a kel::File, for the format library's scan.
kel::File fileOf(intptr_t handle)
{
    HANDLE dup = nullptr;
    DuplicateHandle(GetCurrentProcess(), h(handle), GetCurrentProcess(), &dup, 0, FALSE, DUPLICATE_SAME_ACCESS);
    return kel::File(dup);
}

struct Stored {
    std::string password;     // decoded stored password
    bool seen = false;        // a header entry or legacy password entry was found
};

// Verifies one live entry against its record's fixed part (the "Verify Catalog" option); false
// when the entry is to be dropped.
bool verifyEntry(CatalogDescriptor* d, IndexEntry* e)
{
    CatalogVerifyReport& report = verifyReport();
    ++report.checked;
    uint8_t fixed[catfmt::kFixedSize];
    if (readAt(h(d->hCat), e->offset, fixed, sizeof fixed) != int64_t(sizeof fixed)) {
        ++report.dropped;
        return false;
    }
    const catfmt::Counts c = catfmt::normalisedCounts(fixed);
    const uint16_t descLength = kel::getU16(fixed + catfmt::kDescriptionLength);
    const uint16_t slack = kel::getU16(fixed + catfmt::kSlack);
    const bool sizesAddUp = int64_t(e->allocated) == int64_t(catfmt::kFixedSize) + c.longName + descLength + slack + c.thumbnail;
    const bool namesMatch = compareNames(reinterpret_cast<char*>(fixed), e->name, 13) == 0;
    if (sizesAddUp && namesMatch) {
        if (!c.longName && !d->readOnly && (std::memcmp(fixed, e->name, 13) != 0 || fixed[13] != e->flags)) {
            uint8_t head[14];
            std::memcpy(head, e->name, 13);
            head[13] = e->flags;
            writeAt(h(d->hCat), e->offset, head, sizeof head);
            ++report.rewritten;
        }
        return true;
    }
    if (sizesAddUp) {
        const char* shown = e->name[0] == ' ' ? "unused/deleted" : e->name;
        const std::string name(shown, strnlen(shown, 14));
        message(mainWindow(), 5135, EMH_CANCEL | EMH_EXCLAMATION, MAKEINTRESOURCEA(IDS_ERROR_CAPTION),
                MAKEINTRESOURCEA(IDS_CAT_RECORD_MISMATCH), name.c_str());
        ++report.dropped;
        return false;
    }
    // The sizes do not add up: make the fixed part describe the stretch the entry reserves.
    std::vector<uint8_t> text(size_t(std::clamp<int64_t>(int64_t(e->allocated) - 373, 1, 65536)));
    const int64_t got = readAt(h(d->hCat), e->offset + 373, text.data(), text.size());
    size_t length = got > 0 ? strnlen(reinterpret_cast<char*>(text.data()), size_t(got)) : 0;
    length = std::min<size_t>(length, 65534);
    uint32_t thumbnail = c.thumbnail;
    if (int64_t(catfmt::kFixedSize) + int64_t(length) + thumbnail > e->allocated)
        thumbnail = 0;
    const int64_t spare = int64_t(e->allocated) - int64_t(catfmt::kFixedSize) - int64_t(length) - thumbnail;
    kel::putU32(fixed + catfmt::kThumbnailCount, thumbnail);
    kel::putU16(fixed + catfmt::kLongNameCount, 0);
    kel::putU16(fixed + catfmt::kDescriptionLength, uint16_t(length));
    kel::putU16(fixed + catfmt::kSlack, uint16_t(std::clamp<int64_t>(spare, 0, 65535)));
    if (!d->readOnly && markIndexDirty(d))
        writeAt(h(d->hCat), e->offset, fixed, sizeof fixed);
    e->used = int32_t(catfmt::kFixedSize + length + thumbnail);
    ++report.repaired;
    return true;
}

// Puts loaded entries into a fresh index block: sorted, live duplicates dropped (the first
// stays), free entries that could overwrite something dropped, counters set.
bool fillIndex(CatalogDescriptor* d, std::vector<IndexEntry>& loaded, int64_t catalogBytes)
{
    // A free entry is space a write may fill: it must lie inside the file and clear of every
    // other entry, or a damaged index would let a write overwrite a record.
    const bool anyFree = std::any_of(loaded.begin(), loaded.end(), [](const IndexEntry& e) { return isFree(e); });
    std::vector<size_t> byOffset(anyFree ? loaded.size() : 0);
    for (size_t i = 0; i < byOffset.size(); ++i)
        byOffset[i] = i;
    std::sort(byOffset.begin(), byOffset.end(), [&](size_t a, size_t b) {
        return loaded[a].offset != loaded[b].offset ? loaded[a].offset < loaded[b].offset : !isFree(loaded[a]) && isFree(loaded[b]);
    });
    std::vector<bool> drop(loaded.size(), false);
    int64_t reachedEnd = 0;
    for (size_t k = 0; k < byOffset.size(); ++k) {
        IndexEntry& e = loaded[byOffset[k]];
        const int64_t end = int64_t(e.offset) + e.allocated;
        if (isFree(e) && (e.offset < 0 || e.allocated < int32_t(catfmt::kFixedSize) || end > catalogBytes ||
                          e.offset < reachedEnd))
            drop[byOffset[k]] = true;
        else
            reachedEnd = std::max(reachedEnd, end);
    }
    std::vector<IndexEntry> kept;
    kept.reserve(loaded.size());
    for (size_t i = 0; i < loaded.size(); ++i)
        if (!drop[i])
            kept.push_back(loaded[i]);
    auto byName = [](const IndexEntry& a, const IndexEntry& b) { return compareNames(a.name, b.name, 13) < 0; };
    if (!std::is_sorted(kept.begin(), kept.end(), byName)) // an index file is normally sorted already
        std::stable_sort(kept.begin(), kept.end(), byName);
    if (!newIndexBlock(d, int(kept.size())))
        return false;
    IndexHeader* x = header(d);
    IndexEntry* out = entries(d);
    int n = 0;
    for (const IndexEntry& e : kept) {
        if (!isFree(e) && n > 0 && !isFree(out[n - 1]) && compareNames(out[n - 1].name, e.name, 13) == 0)
            continue;
        out[n] = e;
        out[n].longName = 0;
        x->allocatedBytes += e.allocated;
        if (!isFree(e)) {
            ++x->activeEntries;
            ++x->shownEntries;
            x->activeBytes += e.used;
            if (e.flags & kEntryMarked)
                ++x->markedEntries;
        }
        ++n;
    }
    x->entries = n;
    return true;
}

// The entries a rebuild scan finds. `stale` (may be empty) is the index the writer left behind:
// its sequence numbers and flags are kept for the names it knows, and where a name has two
// records (the writer was killed between writing a new version and freeing the old one) the one
// the stale index does not point at is the newer.
bool scanCatalog(CatalogDescriptor* d, const std::vector<IndexEntry>& stale, std::vector<IndexEntry>* out)
{
    kel::File cat = fileOf(d->hCat);
    catfmt::RebuildPlan plan;
    if (!cat || !catfmt::planRebuild(cat, &plan))
        return false;
    if (!d->readOnly)
        for (const auto& [offset, bytes] : plan.catalogWrites)
            if (!writeAt(h(d->hCat), offset, bytes.data(), bytes.size()))
                return false;
    std::unordered_map<std::string, const IndexEntry*> known;
    for (const IndexEntry& e : stale)
        if (!isFree(e)) {
            std::string key = nameOf(e);
            CharUpperA(key.data());
            known.emplace(key, &e);
        }
    std::unordered_map<std::string, size_t> chosen;
    out->clear();
    d->headerOffset = plan.entries.front().offset;
    for (size_t i = 1; i < plan.entries.size(); ++i) {
        IndexEntry e = plan.entries[i];
        if (isFree(e)) {
            out->push_back(e);
            continue;
        }
        std::string key = nameOf(e);
        CharUpperA(key.data());
        const auto k = known.find(key);
        if (k != known.end()) {
            e.sequence = k->second->sequence;
            e.flags = uint8_t(k->second->flags & ~kEntryHidden);
        }
        const auto c = chosen.find(key);
        if (c == chosen.end()) {
            chosen.emplace(key, out->size());
            out->push_back(e);
            continue;
        }
        IndexEntry& other = (*out)[c->second];
        const bool otherIsOld = k != known.end() && other.offset == k->second->offset;
        IndexEntry older = otherIsOld ? other : e;
        if (otherIsOld)
            other = e;
        setFreeName(&older); // the superseded version becomes free space
        older.flags = 0;
        out->push_back(older);
    }
    return true;
}

enum class Load { Ok, Cancelled, Failed };

// Reads the index file into a fresh index block (steps of a first open).
Load loadIndex(CatalogDescriptor* d, Stored* stored)
{
    const int64_t catBytes = fileSize(h(d->hCat));
    const int64_t cixBytes = fileSize(h(d->hCix));
    if (catBytes < 0 || cixBytes < 0 || cixBytes > int64_t(INT32_MAX))
        return Load::Failed;
    std::vector<uint8_t> bytes(static_cast<size_t>(cixBytes));
    if (readAt(h(d->hCix), 0, bytes.data(), bytes.size()) != cixBytes)
        return Load::Failed;
    const std::vector<IndexEntry> raw = catfmt::decodeIndexFile(bytes.data(), bytes.size());

    d->headerSeen = 0;
    d->headerOffset = -1;
    enum { Plain, Rebuild, Recover } how = raw.empty() && catBytes > 0 ? Rebuild : Plain;
    std::vector<IndexEntry> loaded;
    loaded.reserve(raw.size());
    for (const IndexEntry& e : raw) {
        const bool special = e.flags == kIndexHeaderFlag || catfmt::isLegacyPasswordEntry(e);
        if (special) {
            if (stored->seen)
                continue;
            stored->seen = true;
            if (e.flags == kIndexPasswordFlag) {
                uint8_t field[8];
                catfmt::legacyPasswordBytes(e, field);
                stored->password = catfmt::decodePassword(field);
                continue;
            }
            uint8_t record[catfmt::kFixedSize];
            if (e.offset >= 0 && readAt(h(d->hCat), e.offset, record, sizeof record) == int64_t(sizeof record) &&
                record[0] == catfmt::kHeaderRecordByte) {
                d->headerSeen = 1;
                d->headerOffset = e.offset;
                engine(d).headerRecord.assign(record, record + sizeof record);
                const size_t n = kel::fieldLength(record + catfmt::kCatalogName, catfmt::kCatalogNameSize);
                if (n)
                    lstrcpynA(d->catName, reinterpret_cast<char*>(record + catfmt::kCatalogName), int(std::min<size_t>(n + 1, sizeof d->catName)));
                stored->password = catfmt::decodePassword(record + catfmt::kPassword);
            }
            if (e.longName == kIndexDirtyMarker) {
                how = Recover;
            } else if (e.longName == kIndexHeaderMarker && cixBytes < 32 * (int64_t(uint16_t(e.sequence)) + 1)) {
                const int answer = message(mainWindow(), 5031, EMH_CANCEL | EMH_EXCLAMATION, "Index Error",
                                           MAKEINTRESOURCEA(IDS_CAT_INDEX_CORRUPT));
                if (answer != EMH_RESULT_FIRST)
                    return Load::Cancelled;
                how = Rebuild;
            }
            continue;
        }
        if (e.used == 0 || e.allocated == 0)
            continue;
        IndexEntry kept = e;
        kept.flags &= uint8_t(~kEntryHidden);
        loaded.push_back(kept);
    }

    if (how != Plain) {
        std::vector<IndexEntry> scanned;
        if (!scanCatalog(d, how == Recover ? loaded : std::vector<IndexEntry>{}, &scanned))
            return Load::Failed;
        loaded.swap(scanned);
        d->headerSeen = 0; // the index is written afresh below
        engine(d).headerRecord.clear();
    } else if (app() && app()->verifyCatalog) {
        verifyReport() = CatalogVerifyReport{};
        std::vector<IndexEntry> verified;
        verified.reserve(loaded.size());
        for (IndexEntry& e : loaded)
            if (isFree(e) || verifyEntry(d, &e))
                verified.push_back(e);
        loaded.swap(verified);
    }
    const std::string headerRecord = std::string(engine(d).headerRecord.begin(), engine(d).headerRecord.end());
    const int32_t headerOffset = d->headerOffset;
    const int32_t headerSeen = d->headerSeen;
    if (!fillIndex(d, loaded, catBytes)) {
        ErrMsg("Out of Memory %d %s", __LINE__, "CATUTIL");
        return Load::Failed;
    }
    engine(d).headerRecord.assign(headerRecord.begin(), headerRecord.end());
    engine(d).storedPassword = stored->password == CAT_NO_PASSWORD ? "" : stored->password.substr(0, 8);
    d->headerOffset = headerOffset;
    d->headerSeen = headerSeen;
    buildSequence(d);
    // The index file is written afresh after the load unless it already reads as it would be
    // written (the common case: nothing changed since the last flush).
    engine(d).dirty = how != Plain || encodeIndex(d) != bytes;
    return Load::Ok;
}

// The merge of a reopen: the index file changed since this descriptor cached it. The file's
// entries are taken as they stand; live entries the cache knew keep their flags and long name.
bool mergeIndex(CatalogDescriptor* d, Stored* stored)
{
    struct Cached {
        uint8_t flags;
        uint32_t longName;
    };
    std::unordered_map<std::string, Cached> cached;
    const IndexEntry* e = entries(d);
    for (int i = 0; i < entryCount(d); ++i)
        if (!isFree(e[i])) {
            std::string key = nameOf(e[i]);
            CharUpperA(key.data());
            cached[key] = {e[i].flags, e[i].longName};
        }
    Engine keep = engine(d);
    const HGLOBAL longNameBlock = d->longNameBlock;
    void* longNamesAt = d->longNames;
    const int longNameCount = d->longNameCount;
    d->longNameBlock = nullptr; // kept across the reload
    const Load load = loadIndex(d, stored);
    d->longNameBlock = longNameBlock;
    d->longNames = longNamesAt;
    d->longNameCount = longNameCount;
    if (load != Load::Ok)
        return false;
    Engine& now = engine(d);
    now.heap = std::move(keep.heap);
    IndexEntry* n = entries(d);
    for (int i = 0; i < entryCount(d); ++i) {
        if (isFree(n[i]))
            continue;
        std::string key = nameOf(n[i]);
        CharUpperA(key.data());
        const auto c = cached.find(key);
        if (c != cached.end()) {
            n[i].flags = c->second.flags;
            n[i].longName = c->second.longName;
        }
    }
    return true;
}

// The password rules; false when the user cancelled.
bool checkPassword(CatalogDescriptor* d, const Stored& stored, bool* closeFailed)
{
    static std::mutex cacheLock;
    static std::vector<std::pair<std::string, std::string>> cache; // (catalog name, password)
    *closeFailed = false;
    std::string storedPassword = stored.password.substr(0, 8);
    if (storedPassword == CAT_NO_PASSWORD || (app() && app()->overridePasswords))
        storedPassword.clear();
    d->hasPassword = !storedPassword.empty() && storedPassword[0] != ' ';
    for (;;) {
        const std::string supplied(d->password, strnlen(d->password, 8));
        if (storedPassword.empty() || storedPassword == supplied) {
            std::lock_guard<std::mutex> guard(cacheLock);
            cache.emplace_back(d->catName, supplied);
            if (storedPassword.empty() && std::string(d->password, strnlen(d->password, sizeof d->password)) == CAT_BYPASS_PASSWORD)
                d->password[0] = 0;
            return true;
        }
        if (std::string(d->password, strnlen(d->password, sizeof d->password)) == CAT_BYPASS_PASSWORD) {
            lstrcpynA(d->password, storedPassword.c_str(), sizeof d->password);
            return true;
        }
        {
            std::lock_guard<std::mutex> guard(cacheLock);
            const auto c = std::find_if(cache.begin(), cache.end(), [&](const auto& p) {
                return p.first == d->catName && p.second == storedPassword;
            });
            if (c != cache.end()) {
                lstrcpynA(d->password, c->second.c_str(), sizeof d->password);
                continue;
            }
        }
        char typed[16] = "";
        const int answer = message(mainWindow(), 5118, EMH_CANCEL | EMH_FIELD | EMH_PASSWORD, "Need Password",
                                   MAKEINTRESOURCEA(IDS_CAT_NEED_PASSWORD), d->catName, typed);
        if (answer != EMH_RESULT_FIRST) {
            *closeFailed = true;
            return false;
        }
        lstrcpynA(d->password, typed, 9);
    }
}

void failOpen(CatalogDescriptor* d, bool cancelled)
{
    unmapCatalog(d);
    closeFiles(d);
    freeLongNames(d);
    freeIndexBlocks(d);
    d->openCount = 0;
    if (cancelled)
        d->openCancelled = 1;
    ReleaseMutex(d->mutex);
}

} // namespace

bool onRemoteDrive(const char* path)
{
    if (path[0] == '\\' && path[1] == '\\')
        return true;
    if (!isalpha(uint8_t(path[0])) || path[1] != ':')
        return false;
    const char root[] = {path[0], ':', '\\', 0};
    return GetDriveTypeA(root) == DRIVE_REMOTE;
}

} // namespace kelcat

using namespace kelcat;

namespace {
// KEL_CATALOG_TRACE=1 prints how long the phases of an open take (for tuning).
void trace(const char* phase)
{
    static const bool on = GetEnvironmentVariableA("KEL_CATALOG_TRACE", nullptr, 0) > 0;
    if (!on)
        return;
    static LARGE_INTEGER f, last;
    LARGE_INTEGER t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    std::fprintf(stderr, "%-24s %8.2f ms\n", phase, last.QuadPart ? double(t.QuadPart - last.QuadPart) * 1000 / double(f.QuadPart) : 0.0);
    last = t;
}
} // namespace

int OpenCatalog(CatalogDescriptor* d, int accessMode, int shareMode)
{
    trace("open");
    if (!d)
        return 0;
    if (!d->mutex) {
        d->mutex = CreateMutexA(nullptr, FALSE, mutexName(d).c_str());
        if (!d->mutex)
            return 0;
    }
    const DWORD wait = WaitForSingleObject(d->mutex, kMutexWaitMs);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
        return 0;
    if (d->openCount) {
        ReleaseMutex(d->mutex);
        return 1;
    }
    d->openCancelled = 0;
    ErrorModeScope quiet;

    // A cached index whose block cannot be reached, or is not an index, is loaded afresh.
    if (d->indexBlock) {
        d->index = static_cast<IndexHeader*>(GlobalLock(d->indexBlock));
        if (d->index)
            GlobalUnlock(d->indexBlock); // it stays locked once, from its creation
        d->sequence = d->sequenceBlock ? GlobalLock(d->sequenceBlock) : nullptr;
        if (d->sequence)
            GlobalUnlock(d->sequenceBlock);
        d->longNames = d->longNameBlock ? GlobalLock(d->longNameBlock) : nullptr;
        if (d->longNames)
            GlobalUnlock(d->longNameBlock);
        if (!d->index || d->index->headerSize != kIndexHeaderSize || !d->sequence) {
            freeLongNames(d);
            freeIndexBlocks(d);
        }
    }
    const bool cached = d->index != nullptr;

    d->accessMode = !cached || (app() && app()->verifyCatalog) ? CAT_READWRITE : accessMode;
    if (d->catPath[0] == '\\' && d->catPath[1] == '\\' && !ConvertToLocal(d->catPath)) {
        ReleaseMutex(d->mutex);
        return 0;
    }
    const int drive = driveOf(d->catPath);
    if (drive >= 0 && CDDriveCheck(drive))
        d->readOnly = 1;
    if (d->accessMode == CAT_READ)
        d->readOnly = 1;
    int share = d->readOnly ? CAT_SHARE_DENY_NONE : shareMode;
    if (!onRemoteDrive(d->catPath))
        share = 0;
    d->shareMode = uint16_t(share);

    bool created = false;
    for (;;) {
        if (!volumeCheck(d)) {
            failOpen(d, true);
            return 0;
        }
        const std::string catPath = catfmt::withCatalogExtension(d->catPath, ".CAT");
        lstrcpynA(d->catPath, catPath.c_str(), sizeof d->catPath);
        const Opened o = openFile(d, d->catPath, share, &d->hCat, &d->catOpen, &created);
        if (o == Opened::Cancelled) {
            failOpen(d, true);
            return 0;
        }
        if (o == Opened::Ok)
            break;
    }
    lstrcpynA(d->catPath, d->catOpen.szPathName, sizeof d->catPath);
    if (GetFileAttributesA(d->catPath) == FILE_ATTRIBUTE_READONLY)
        d->readOnly = 1;

    std::string cixPath = d->cixPath[0] ? std::string(d->cixPath) : std::string(d->catPath);
    if (cixPath[0] == '\\' && cixPath[1] == '\\') {
        char local[MAX_PATH];
        lstrcpynA(local, cixPath.c_str(), sizeof local);
        if (!ConvertToLocal(local)) {
            failOpen(d, false);
            return 0;
        }
        cixPath = local;
    }
    lstrcpynA(d->cixPath, catfmt::withCatalogExtension(cixPath, ".CIX").c_str(), sizeof d->cixPath);
    bool cixCreated = false;
    if (openFile(d, d->cixPath, share, &d->hCix, &d->cixOpen, &cixCreated) != Opened::Ok) {
        failOpen(d, true);
        return 0;
    }
    lstrcpynA(d->cixPath, d->cixOpen.szPathName, sizeof d->cixPath);
    lstrcpynA(d->caxPath, catfmt::withCatalogExtension(d->catPath, ".CAX").c_str(), sizeof d->caxPath);
    flushOtherDescriptors(d);

    trace("files opened");
    Stored stored;
    int result = 1;
    if (cached) {
        Engine& e = engine(d);
        WIN32_FILE_ATTRIBUTE_DATA a{};
        GetFileAttributesExA(d->cixPath, GetFileExInfoStandard, &a);
        const int64_t bytes = int64_t(a.nFileSizeHigh) << 32 | a.nFileSizeLow;
        // The exact time and size, not only the two-second date and time of the descriptor: a
        // change made within the same two seconds must not be missed.
        if (CompareFileTime(&a.ftLastWriteTime, &e.indexWrite) != 0 || bytes != e.indexBytes) {
            const std::string before(d->password, strnlen(d->password, 8));
            if (!mergeIndex(d, &stored)) {
                failOpen(d, false);
                return 0;
            }
            std::string storedPassword = stored.password.substr(0, 8);
            if (!storedPassword.empty() && storedPassword != before && storedPassword != CAT_NO_PASSWORD &&
                !(app() && app()->overridePasswords)) {
                ErrMsg("Internal error processing password");
                failOpen(d, false);
                return 0;
            }
            noteIndexTime(d);
            result = 2;
        }
    } else {
        const Load load = loadIndex(d, &stored);
        if (load != Load::Ok) {
            failOpen(d, load == Load::Cancelled);
            return 0;
        }
        if (std::string(d->password, strnlen(d->password, 8)) == CAT_NO_PASSWORD &&
            strnlen(d->password, sizeof d->password) == 8)
            d->password[0] = 0;
        trace("index loaded");
        bool closeFailed = false;
        if (!checkPassword(d, stored, &closeFailed)) {
            failOpen(d, true);
            return 0;
        }
        const bool overridden = app() && app()->overridePasswords;
        if (d->password[0] && engine(d).storedPassword.empty() && !overridden) {
            char typed[16] = "";
            lstrcpynA(typed, d->password, 9);
            const int answer = message(mainWindow(), 5121, EMH_YESNO | EMH_FIELD | EMH_PASSWORD | EMH_QUESTION,
                                       "Add Password?", MAKEINTRESOURCEA(IDS_CAT_ADD_PASSWORD), d->catName, typed);
            if (answer == EMH_RESULT_FIRST && typed[0]) {
                lstrcpynA(d->password, typed, 9);
                d->hasPassword = 1;
                engine(d).dirty = true;
            } else {
                d->password[0] = 0;
            }
        }
        if (!d->readOnly && (engine(d).dirty || !d->headerSeen) && !FlushCatIndex(d)) {
            failOpen(d, false);
            return 0;
        }
        noteIndexTime(d);
        trace("index flushed");
        readLongNameFile(d);
        trace("long names read");
        writeLongNameFile(d);
        trace("long names written");
    }
    if (cached && result == 2)
        readLongNameFile(d);
    d->openCount = 1;
    noteOpen(d, true);
    return result;
}

int CloseCatalog(CatalogDescriptor* d, HGLOBAL record, int final)
{
    if (!d || !d->openCount)
        return 0;
    releaseLock(d, true);
    if (!d->headerSeen || final || engine(d).dirty)
        FlushCatIndex(d);
    writeLongNameFile(d);
    if (final)
        freeLongNames(d);
    unmapCatalog(d);
    for (intptr_t* f : {&d->hCat, &d->hCix, &d->hCax}) {
        if (isOpen(*f))
            CloseHandle(h(*f));
        *f = -1;
    }
    d->openCount = 0;
    noteOpen(d, false);
    if (d->index)
        noteIndexTime(d);
    if (final) {
        freeIndexBlocks(d);
        std::memset(&d->catOpen, 0, sizeof d->catOpen);
        std::memset(&d->cixOpen, 0, sizeof d->cixOpen);
    }
    if (record && GlobalFree(record))
        ErrMsg("Error freeing catalog buffer");
    d->modified = 0;
    while (ReleaseMutex(d->mutex)) {
    }
    return 1;
}
