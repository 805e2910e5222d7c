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

uint32_t storeLongName(CatalogDescriptor* d, const char* longName)
{
    Engine& e = engine(d);
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
    HGLOBAL grown = GlobalReAlloc(d->longNameBlock, std::max(need, GlobalSize(d->longNameBlock) / 2 * 3),
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
        return;
    }
}

bool readLongNameFile(CatalogDescriptor* d)
{
    std::vector<uint8_t> bytes;
    if (!kel::readWholeFile(d->caxPath, &bytes))
        return true; // none yet
    IndexEntry* e = entries(d);
    for (const catfmt::LongNameItem& item : catfmt::decodeLongNameFile(bytes.data(), bytes.size())) {
        const int at = FindCix(d, item.shortName.c_str());
        if (at < 0 || item.longName.empty() || FindLongCix(d, item.longName.c_str()) >= 0)
            continue;
        const uint32_t reference = insertLongName(d, item.shortName.c_str(), item.longName.c_str());
        if (!reference)
            return false;
        if (!e[at].longName)
            e[at].longName = reference;
    }
    return true;
}

bool writeLongNameFile(CatalogDescriptor* d)
{
    if (d->readOnly)
        return true;
    std::vector<uint8_t> bytes;
    const LongNameEntry* l = longNames(d);
    for (int i = 0; l && i < d->longNameCount; ++i)
        catfmt::encodeLongNameItem({std::string(l[i].shortName, strnlen(l[i].shortName, 14)),
                                    longNameText(d, l[i].longName)},
                                   &bytes);
    std::vector<uint8_t> before;
    const bool exists = kel::readWholeFile(d->caxPath, &before);
    if (exists && before == bytes)
        return true;
    // Replaced in one step: a long name of a record without a thumbnail lives only here.
    return kel::replaceFile(d->caxPath, bytes.data(), bytes.size());
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
    int lo = 0, hi = d->longNameCount;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        const int c = compareNames(longNameText(d, l[mid].longName), longName);
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
