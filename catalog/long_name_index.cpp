// The long-name index: long file names sorted by the engine's collation, each one copy in the
// engine's heap, referenced by a 32-bit heap reference from the index entry and the long-name
// index (so the 32-bit layouts hold on 64-bit Windows too). The long-name file keeps them.
#include "engine.h"

#include "catalog_paths.h"
#include "file_io.h"
#include "long_names.h"

#include <algorithm>
#include <cstring>

namespace kelcat {

const char* longNameText(CatalogDescriptor* d, uint32_t reference)
{
    if (!reference || !d->indexBlock)
        return "";
    const Engine& e = engine(d);
    return reference <= e.heap.size() ? e.heap.data() + reference - 1 : "";
}

namespace {

uint32_t storeIn(Engine& e, const char* longName)
{
    const size_t n = strnlen(longName, catfmt::kMaxLongNameBytes - 1);
    if (e.heap.size() + n + 2 > UINT32_MAX)
        return 0;
    const uint32_t reference = uint32_t(e.heap.size() + 1);
    e.heap.insert(e.heap.end(), longName, longName + n);
    e.heap.push_back(0);
    if (e.heap.size() & 1) // copies start at even offsets, as the file rounds them
        e.heap.push_back(0);
    return reference;
}

} // namespace

uint32_t storeLongName(CatalogDescriptor* d, const char* longName) { return storeIn(engine(d), longName); }

namespace {

bool reserveLongNames(CatalogDescriptor* d, int count)
{
    const size_t need = sizeof(LongNameEntry) * (size_t(count) + 1);
    if (!d->longNameBlock) {
        d->longNameBlock = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, std::max<size_t>(need, 64 * sizeof(LongNameEntry)));
        d->longNames = d->longNameBlock ? GlobalLock(d->longNameBlock) : nullptr;
        return d->longNames != nullptr;
    }
    if (GlobalSize(d->longNameBlock) >= need)
        return true;
    GlobalUnlock(d->longNameBlock);
    HGLOBAL grown = GlobalReAlloc(d->longNameBlock, std::max<size_t>(need, GlobalSize(d->longNameBlock) / 2 * 3),
                                  GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (grown)
        d->longNameBlock = grown;
    d->longNames = GlobalLock(d->longNameBlock);
    return grown && d->longNames;
}

// Inserts a long name for a short name unless known; the reference of the copy (new or known),
// 0 when memory ran out.
uint32_t insertLongName(CatalogDescriptor* d, const char* shortName, const char* longName)
{
    const int found = FindLongCix(d, longName);
    if (found >= 0)
        return longNames(d)[found].longName;
    if (!reserveLongNames(d, d->longNameCount + 1))
        return 0;
    const uint32_t reference = storeLongName(d, longName);
    if (!reference)
        return 0;
    const int at = found == -1 && d->longNameCount == 0 ? 0 : -found - 1;
    LongNameEntry* l = longNames(d);
    std::memmove(l + at + 1, l + at, sizeof(LongNameEntry) * size_t(d->longNameCount - at));
    l[at].longName = reference;
    std::memset(l[at].shortName, 0, sizeof l[at].shortName);
    std::memcpy(l[at].shortName, shortName, strnlen(shortName, sizeof l[at].shortName - 1));
    ++d->longNameCount;
    engine(d).longNamesDirty = true;
    return reference;
}

} // namespace

void removeLongName(CatalogDescriptor* d, const char* shortName, uint32_t reference)
{
    LongNameEntry* l = longNames(d);
    for (int i = 0; l && i < d->longNameCount; ++i) {
        if (l[i].longName != reference && compareNames(l[i].shortName, shortName, 14) != 0)
            continue;
        std::memmove(l + i, l + i + 1, sizeof(LongNameEntry) * size_t(d->longNameCount - i - 1));
        --d->longNameCount;
        engine(d).longNamesDirty = true;
        return;
    }
}

bool readLongNameFile(CatalogDescriptor* d)
{
    std::vector<uint8_t> bytes;
    Engine& state = engine(d);
    if (!kel::readWholeFile(d->caxPath, &bytes)) {
        state.longNamesDirty = d->longNameCount > 0;
        return true; // none yet
    }
    // Items whose short name the index knows, in file order; the file normally holds them sorted,
    // so the whole index is built in one pass instead of one insert per item. The names are read
    // where they lie in the file's bytes (layout in long_names.h).
    struct Item {
        const char* shortName; // 14 bytes, terminated within them or not a short name at all
        const char* longName;  // terminated within its byte count
        int at;
    };
    std::vector<Item> items;
    items.reserve(bytes.size() / 32);
    size_t decoded = 0;
    for (size_t pos = 0; pos + catfmt::kLongNameHead <= bytes.size();) {
        const size_t count = size_t(bytes[pos]) | size_t(bytes[pos + 1]) << 8;
        if (count > catfmt::kMaxLongNameBytes || pos + catfmt::kLongNameHead + count > bytes.size())
            break;
        const char* shortName = reinterpret_cast<const char*>(&bytes[pos + 2]);
        const char* longName = reinterpret_cast<const char*>(&bytes[pos + catfmt::kLongNameHead]);
        pos += catfmt::kLongNameHead + count;
        if (count == 0)
            continue;
        ++decoded;
        const size_t length = strnlen(longName, count);
        const int at = length && length < count ? FindCix(d, shortName) : -1;
        if (at >= 0)
            items.push_back({shortName, longName, at});
    }
    bool clean = items.size() == decoded && d->longNameCount == 0;
    auto less = [](const Item& a, const Item& b) { return compareNames(a.longName, b.longName) < 0; };
    if (!std::is_sorted(items.begin(), items.end(), less)) {
        std::stable_sort(items.begin(), items.end(), less);
        clean = false;
    }
    if (d->longNameCount == 0) {
        if (!reserveLongNames(d, int(items.size())))
            return false;
        IndexEntry* e = entries(d);
        LongNameEntry* l = longNames(d);
        state.heap.reserve(bytes.size());
        int n = 0;
        for (size_t k = 0; k < items.size(); ++k) {
            const Item& item = items[k];
            if (k && compareNames(items[k - 1].longName, item.longName) == 0) {
                clean = false; // a long name already known
                continue;
            }
            const uint32_t reference = storeIn(state, item.longName);
            if (!reference)
                return false;
            l[n].longName = reference;
            std::memset(l[n].shortName, 0, sizeof l[n].shortName);
            std::memcpy(l[n].shortName, item.shortName, strnlen(item.shortName, 13));
            if (!e[item.at].longName)
                e[item.at].longName = reference;
            ++n;
        }
        d->longNameCount = n;
    } else {
        for (const Item& item : items) {
            if (FindLongCix(d, item.longName) >= 0)
                continue;
            char shortName[14] = "";
            std::memcpy(shortName, item.shortName, strnlen(item.shortName, 13));
            const uint32_t reference = insertLongName(d, shortName, item.longName);
            if (!reference)
                return false;
            if (!entries(d)[item.at].longName)
                entries(d)[item.at].longName = reference;
        }
    }
    state.longNamesDirty = !clean;
    return true;
}

bool writeLongNameFile(CatalogDescriptor* d)
{
    if (d->readOnly || !d->indexBlock || !engine(d).longNamesDirty)
        return true;
    std::vector<uint8_t> bytes;
    const LongNameEntry* l = longNames(d);
    for (int i = 0; l && i < d->longNameCount; ++i)
        catfmt::encodeLongNameItem({std::string(l[i].shortName, strnlen(l[i].shortName, 14)),
                                    longNameText(d, l[i].longName)},
                                   &bytes);
    std::vector<uint8_t> before;
    const bool exists = kel::readWholeFile(d->caxPath, &before);
    // Replaced in one step: a long name of a record without a thumbnail lives only here.
    if ((exists && before == bytes) || kel::replaceFile(d->caxPath, bytes.data(), bytes.size())) {
        engine(d).longNamesDirty = false;
        return true;
    }
    return false;
}

void freeLongNames(CatalogDescriptor* d)
{
    if (d->longNameBlock) {
        GlobalUnlock(d->longNameBlock);
        GlobalFree(d->longNameBlock);
    }
    d->longNameBlock = nullptr;
    d->longNames = nullptr;
    d->longNameCount = 0;
    if (d->index) {
        IndexEntry* e = entries(d);
        for (int i = 0; i < d->index->entries; ++i)
            e[i].longName = 0;
        engine(d).heap.clear();
    }
}

} // namespace kelcat

using namespace kelcat;

int FindLongCix(CatalogDescriptor* d, const char* longName)
{
    if (!d || !d->longNames || !longName)
        return -1;
    const LongNameEntry* l = longNames(d);
    const std::vector<char>& heap = engine(d).heap;
    auto text = [&](uint32_t reference) { return reference && reference <= heap.size() ? heap.data() + reference - 1 : ""; };
    int lo = 0, hi = d->longNameCount;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        const int c = compareNames(text(l[mid].longName), longName);
        if (c == 0)
            return mid;
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return -lo - 1;
}

int InsertLongCix(CatalogDescriptor* d, const char* shortName, const char* longName)
{
    if (!d || !d->index || !shortName || !longName || !*longName)
        return 0;
    return insertLongName(d, shortName, longName) ? 1 : 0;
}

char* GetLongShortName(CatalogDescriptor* d, int position)
{
    static char none[1] = "";
    if (!d || !d->longNames || position < 0 || position >= d->longNameCount)
        return none;
    std::string& buffer = engine(d).shortName;
    buffer.assign(longNames(d)[position].shortName, strnlen(longNames(d)[position].shortName, 14));
    return buffer.data();
}

const char* GetLongName(CatalogDescriptor* d, uint32_t reference) { return d ? longNameText(d, reference) : ""; }
