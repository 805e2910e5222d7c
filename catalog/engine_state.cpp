// The engine's shared pieces: the application state, messages, the name collation, file access
// on raw handles, the per-index state and the index and sequence blocks.
#include "engine.h"

#include "bytes.h"
#include "kelhlp.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace kelcat {

namespace {
AppState* g_app;
std::mutex g_enginesLock;
std::unordered_map<HGLOBAL, Engine> g_engines;
CatalogVerifyReport g_verify;
} // namespace

AppState* app() { return g_app; }
HWND mainWindow() { return g_app ? g_app->frameWnd : nullptr; }
CatalogVerifyReport& verifyReport() { return g_verify; }

int message(HWND owner, DWORD helpTopic, DWORD flags, const char* caption, const char* text, ...)
{
    // ErrMsgHelp takes its inserts as variable arguments: pass the caller's on, up to four.
    va_list args;
    va_start(args, text);
    void* a[4];
    for (void*& p : a)
        p = va_arg(args, void*);
    va_end(args);
    return ErrMsgHelp(owner, g_app ? g_app->appInstance : nullptr, helpTopic, flags, g_app ? g_app->helpFile : "",
                      caption, text, a[0], a[1], a[2], a[3]);
}

std::string loadText(UINT id)
{
    char text[512] = "";
    LoadStringA(g_app ? g_app->appInstance : nullptr, id, text, sizeof text);
    return text;
}

// ---- Names ----------------------------------------------------------------------------------

namespace {

// One weight per byte: the order of the single characters by the user's locale, ignoring case;
// characters the locale takes as equal share a weight. Zero ends a name; a space comes next.
struct Collation {
    uint16_t weight[256];
    Collation()
    {
        std::vector<int> order;
        for (int c = 1; c < 256; ++c)
            if (c != ' ')
                order.push_back(c);
        auto cmp = [](int a, int b) {
            const char x[2] = {char(a), 0}, y[2] = {char(b), 0};
            return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, x, 1, y, 1) - 2;
        };
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return cmp(a, b) < 0; });
        weight[0] = 0;
        weight[' '] = 1;
        uint16_t w = 2;
        for (size_t i = 0; i < order.size(); ++i) {
            if (i && cmp(order[i - 1], order[i]) != 0)
                ++w;
            weight[order[i]] = w;
        }
    }
};

const Collation& collation()
{
    static const Collation c;
    return c;
}

} // namespace

int compareNames(const char* a, const char* b, size_t limit)
{
    const uint16_t* w = collation().weight;
    for (size_t i = 0; i < limit; ++i) {
        const uint16_t x = w[uint8_t(a[i])], y = w[uint8_t(b[i])];
        if (x != y)
            return x < y ? -1 : 1;
        if (!a[i] || !b[i]) // equal weights and one ended: both ended
            return 0;
    }
    return 0;
}

std::string nameOf(const IndexEntry& e) { return std::string(e.name, strnlen(e.name, sizeof e.name)); }
bool isFree(const IndexEntry& e) { return e.name[0] == 0 || e.name[0] == ' '; }

void setName(IndexEntry* e, const char* name)
{
    std::memset(e->name, 0, sizeof e->name);
    std::memcpy(e->name, name, strnlen(name, sizeof e->name));
}

void setFreeName(IndexEntry* e)
{
    std::memset(e->name, 0, sizeof e->name);
    std::memset(e->name, ' ', 12);
}

// ---- Files ----------------------------------------------------------------------------------

bool seekTo(HANDLE f, int64_t offset)
{
    LARGE_INTEGER li;
    li.QuadPart = offset;
    return offset >= 0 && SetFilePointerEx(f, li, nullptr, FILE_BEGIN);
}

int64_t readAt(HANDLE f, int64_t offset, void* buffer, size_t n)
{
    if (!seekTo(f, offset))
        return -1;
    DWORD got = 0;
    if (n > 0x7FFFFFFF || !ReadFile(f, buffer, DWORD(n), &got, nullptr))
        return -1;
    return got;
}

bool readNext(HANDLE f, void* buffer, size_t n)
{
    DWORD got = 0;
    return n <= 0x7FFFFFFF && ReadFile(f, buffer, DWORD(n), &got, nullptr) && got == n;
}

bool writeAt(HANDLE f, int64_t offset, const void* data, size_t n)
{
    if (!seekTo(f, offset))
        return false;
    DWORD put = 0;
    return n <= 0x7FFFFFFF && WriteFile(f, data, DWORD(n), &put, nullptr) && put == n;
}

int64_t fileSize(HANDLE f)
{
    LARGE_INTEGER s;
    return GetFileSizeEx(f, &s) ? s.QuadPart : -1;
}

int64_t freeDiskSpace(const char* path)
{
    std::string root(path);
    const size_t slash = root.find_last_of("\\/");
    root = slash == std::string::npos ? "." : root.substr(0, slash + 1);
    ULARGE_INTEGER avail;
    return GetDiskFreeSpaceExA(root.c_str(), &avail, nullptr, nullptr) ? int64_t(avail.QuadPart) : -1;
}

// ---- Engine state ---------------------------------------------------------------------------

Engine& engine(CatalogDescriptor* d)
{
    std::lock_guard<std::mutex> guard(g_enginesLock);
    return g_engines[d->indexBlock];
}

void dropEngine(HGLOBAL indexBlock)
{
    std::lock_guard<std::mutex> guard(g_enginesLock);
    g_engines.erase(indexBlock);
}

// ---- Blocks ---------------------------------------------------------------------------------

namespace {

// Grows a locked movable block to at least `need` bytes (half as much again, so that a run of
// inserts does not copy the block each time); the address is refreshed.
bool growBlock(HGLOBAL* block, void** address, size_t need)
{
    if (GlobalSize(*block) >= need)
        return true;
    const size_t size = std::max<size_t>(need, GlobalSize(*block) / 2 * 3);
    GlobalUnlock(*block);
    HGLOBAL grown = GlobalReAlloc(*block, size, GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (grown)
        *block = grown;
    *address = GlobalLock(*block);
    return grown != nullptr && *address != nullptr;
}

} // namespace

bool reserveEntries(CatalogDescriptor* d, int count)
{
    const size_t need = kIndexHeaderSize + 32 * (size_t(count) + 1);
    const HGLOBAL before = d->indexBlock;
    void* p = d->index;
    const bool ok = growBlock(&d->indexBlock, &p, need);
    d->index = static_cast<IndexHeader*>(p);
    if (d->indexBlock != before) { // a block that moved keeps its state under the new handle
        std::lock_guard<std::mutex> guard(g_enginesLock);
        auto node = g_engines.extract(before);
        if (!node.empty()) {
            node.key() = d->indexBlock;
            g_engines.insert(std::move(node));
        }
    }
    return ok;
}

bool newIndexBlock(CatalogDescriptor* d, int count)
{
    freeIndexBlocks(d);
    const size_t entryBytes = kIndexHeaderSize + 32 * (size_t(count) + 1);
    d->indexBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, entryBytes);
    d->sequenceBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(SequencePair) * (size_t(count) + 1) + 8);
    d->index = d->indexBlock ? static_cast<IndexHeader*>(GlobalLock(d->indexBlock)) : nullptr;
    d->sequence = d->sequenceBlock ? GlobalLock(d->sequenceBlock) : nullptr;
    if (!d->index || !d->sequence) {
        freeIndexBlocks(d);
        return false;
    }
    d->index->headerSize = kIndexHeaderSize;
    engine(d) = Engine{};
    return true;
}

void freeIndexBlocks(CatalogDescriptor* d)
{
    if (d->indexBlock) {
        dropEngine(d->indexBlock);
        GlobalUnlock(d->indexBlock);
        GlobalFree(d->indexBlock);
    }
    if (d->sequenceBlock) {
        GlobalUnlock(d->sequenceBlock);
        GlobalFree(d->sequenceBlock);
    }
    d->indexBlock = d->sequenceBlock = nullptr;
    d->index = nullptr;
    d->sequence = nullptr;
}

void removeEntryAt(CatalogDescriptor* d, int position)
{
    IndexEntry* e = entries(d);
    const int n = d->index->entries;
    std::memmove(e + position, e + position + 1, sizeof(IndexEntry) * size_t(n - position - 1));
    d->index->entries = n - 1;
}

void insertEntryAt(CatalogDescriptor* d, int position, const IndexEntry& entry)
{
    IndexEntry* e = entries(d);
    const int n = d->index->entries;
    std::memmove(e + position + 1, e + position, sizeof(IndexEntry) * size_t(n - position));
    e[position] = entry;
    d->index->entries = n + 1;
}

int smallestFreeEntry(CatalogDescriptor* d, int64_t size)
{
    const IndexEntry* e = entries(d);
    int best = -1;
    for (int i = 0; i < d->index->entries && isFree(e[i]); ++i)
        if (e[i].allocated >= size && (best < 0 || e[i].allocated < e[best].allocated))
            best = i;
    return best;
}

// ---- Sequence -------------------------------------------------------------------------------

bool reserveSequence(CatalogDescriptor* d, int count)
{
    void* p = d->sequence;
    const bool ok = growBlock(&d->sequenceBlock, &p, sizeof(SequencePair) * (size_t(count) + 1) + 8);
    d->sequence = p;
    return ok;
}

bool sequenceInsert(CatalogDescriptor* d, int q, int position)
{
    SequenceArray* s = sequence(d);
    if (!reserveSequence(d, s->count + 1))
        return false;
    s = sequence(d);
    q = std::clamp(q, 0, s->count);
    std::memmove(s->pairs + q + 1, s->pairs + q, sizeof(SequencePair) * size_t(s->count - q));
    s->pairs[q] = {q, position};
    ++s->count;
    renumberSequence(d, q);
    return true;
}

void sequenceRemovePosition(CatalogDescriptor* d, int position)
{
    SequenceArray* s = sequence(d);
    for (int k = 0; k < s->count; ++k) {
        if (s->pairs[k].position != position)
            continue;
        std::memmove(s->pairs + k, s->pairs + k + 1, sizeof(SequencePair) * size_t(s->count - k - 1));
        --s->count;
        renumberSequence(d, k);
        return;
    }
}

void sequenceShift(CatalogDescriptor* d, int from, int to, int by)
{
    SequenceArray* s = sequence(d);
    if (from >= to)
        return;
    for (int k = 0; k < s->count; ++k)
        if (s->pairs[k].position >= from && s->pairs[k].position < to)
            s->pairs[k].position += by;
}

void sequenceMove(CatalogDescriptor* d, int position, int q)
{
    SequenceArray* s = sequence(d);
    int k = uint16_t(entries(d)[position].sequence);
    if (k >= s->count || s->pairs[k].position != position) // numbers wrap past 65535 entries
        for (k = 0; k < s->count && s->pairs[k].position != position; ++k) {
        }
    if (k >= s->count)
        return;
    q = std::clamp(q, 0, s->count - 1);
    if (q == k)
        return;
    const SequencePair moved = s->pairs[k];
    if (q < k)
        std::memmove(s->pairs + q + 1, s->pairs + q, sizeof(SequencePair) * size_t(k - q));
    else
        std::memmove(s->pairs + k, s->pairs + k + 1, sizeof(SequencePair) * size_t(q - k));
    s->pairs[q] = moved;
    renumberSequence(d, std::min(q, k));
}

void renumberSequence(CatalogDescriptor* d, int from)
{
    SequenceArray* s = sequence(d);
    IndexEntry* e = entries(d);
    for (int k = std::max(from, 0); k < s->count; ++k)
        if (s->pairs[k].position >= 0 && s->pairs[k].position < d->index->entries)
            e[s->pairs[k].position].sequence = int16_t(k);
}

void buildSequence(CatalogDescriptor* d)
{
    IndexEntry* e = entries(d);
    const int n = d->index->entries;
    SequenceArray* s = sequence(d);
    s->count = 0;
    for (int i = 0; i < n; ++i)
        if (!isFree(e[i]))
            s->pairs[s->count++] = {uint16_t(e[i].sequence), i};
    // Stored numbers are 16 bits: read unsigned, they keep their order up to 65535 entries.
    std::stable_sort(s->pairs, s->pairs + s->count,
                     [](const SequencePair& a, const SequencePair& b) { return a.oldNumber < b.oldNumber; });
    for (int k = 0; k < s->count; ++k)
        s->pairs[k].oldNumber = k;
    renumberSequence(d, 0);
    d->index->highestSequence = int16_t(s->count - 1);
    d->index->firstChanged = n;
}

} // namespace kelcat

// ---- Exports ----------------------------------------------------------------------------------

AppState* InitCatDll(AppState* app)
{
    kelcat::g_app = app;
    return app;
}

IndexEntry* GetIndex(CatalogDescriptor* d, int position)
{
    return d && d->index ? kelcat::entries(d) + position : nullptr;
}

IndexEntry* GetIndexX(void* indexBlock, int position)
{
    return reinterpret_cast<IndexEntry*>(static_cast<char*>(indexBlock) + kIndexHeaderSize + 32 * size_t(position));
}

int CDDriveCheck(int drive)
{
    char root[] = "A:\\";
    root[0] = char('A' + drive);
    return drive >= 0 && drive < 26 && GetDriveTypeA(root) == DRIVE_CDROM ? 1 : 0;
}

int GetCatalogVerifyReport(CatalogVerifyReport* report)
{
    if (!report)
        return 0;
    *report = kelcat::verifyReport();
    return 1;
}
