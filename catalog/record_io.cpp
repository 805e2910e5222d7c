// Looking records up and reading them and their thumbnails; record locks.
#include "engine.h"

#include "bytes.h"
#include "catalog_record.h"
#include "dib_layout.h"
#include "ids_catalog.h"
#include "ids_netpaths.h"
#include "kelhlp.h"
#include "kelint.h"

#include <cstring>

namespace kelcat {

namespace {

constexpr size_t kEmptyRecordBytes = 1574;
// Thumbnails are small pictures; anything claiming more is damage, not a thumbnail.
constexpr uint32_t kMaxThumbnailBytes = 16u << 20;

HGLOBAL emptyRecord() { return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, kEmptyRecordBytes); }

// A record looked up through the view leaves its thumbnail's position here instead of moving the
// file pointer (a file call as dear as the lookup itself); ReadCatDib, which reads at the file's
// position, moves it first.
struct PendingPosition {
    HANDLE file = nullptr;
    int64_t offset = 0;
};
thread_local PendingPosition t_pending;

void mismatch(CatalogDescriptor* d, const IndexEntry& e)
{
    const std::string name = e.name[0] == ' ' ? std::string("unused/deleted") : nameOf(e);
    message(mainWindow(), 5135, EMH_CANCEL | EMH_EXCLAMATION, MAKEINTRESOURCEA(IDS_ERROR_CAPTION),
            MAKEINTRESOURCEA(IDS_CAT_RECORD_MISMATCH), name.c_str());
    d->current = e;
    DeleteCix(d);
}

// A packed DIB whose header, colour table and pixels fit the bytes read.
bool plausibleDib(const uint8_t* p, size_t size)
{
    if (size < 12)
        return false;
    const uint32_t headerSize = kel::getU32(p);
    int64_t width, height;
    uint32_t bits, colours, compression = 0, imageSize = 0, entry = 4;
    if (headerSize == 12) {
        width = kel::getU16(p + 4);
        height = kel::getU16(p + 6);
        bits = kel::getU16(p + 10);
        colours = bits <= 8 ? 1u << bits : 0;
        entry = 3;
    } else if ((headerSize == 40 || headerSize == 36) && size >= headerSize) {
        width = kel::getI32(p + 4);
        height = kel::getI32(p + 8);
        bits = kel::getU16(p + 14);
        compression = kel::getU32(p + 16);
        imageSize = kel::getU32(p + 20);
        colours = kel::getU32(p + 32);
        if (!colours && bits <= 8)
            colours = 1u << bits;
    } else {
        return false;
    }
    if (width <= 0 || height == 0 || width > 65535 || height > 65535 || height < -65535 || colours > 256 ||
        !(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32))
        return false;
    const uint64_t table = uint64_t(colours) * entry;
    const uint64_t rows = height < 0 ? uint64_t(-height) : uint64_t(height);
    const uint64_t pixels = compression == BI_RLE8 || compression == BI_RLE4 ? imageSize
                                                                              : ((uint64_t(width) * bits + 31) / 32) * 4 * rows;
    if (compression != BI_RGB && compression != BI_RLE8 && compression != BI_RLE4 && compression != BI_BITFIELDS)
        return false;
    return headerSize + table + (compression == BI_BITFIELDS ? 12 : 0) + pixels <= size;
}

} // namespace

const uint8_t* viewOf(CatalogDescriptor* d, int64_t offset, size_t n)
{
    Engine& e = engine(d);
    if (offset < 0 || !isOpen(d->hCat))
        return nullptr;
    if (offset + int64_t(n) > e.viewBytes) {
        unmapCatalog(d);
        const int64_t size = fileSize(h(d->hCat));
        if (size <= 0 || offset + int64_t(n) > size || (sizeof(void*) < 8 && size > (256 << 20)))
            return nullptr;
        e.mapping = CreateFileMappingA(h(d->hCat), nullptr, PAGE_READONLY, 0, 0, nullptr);
        e.view = e.mapping ? static_cast<const uint8_t*>(MapViewOfFile(e.mapping, FILE_MAP_READ, 0, 0, 0)) : nullptr;
        if (!e.view) {
            unmapCatalog(d);
            return nullptr;
        }
        e.viewBytes = size;
    }
    return e.view + offset;
}

void unmapCatalog(CatalogDescriptor* d)
{
    if (!d->indexBlock)
        return;
    Engine& e = engine(d);
    if (e.view)
        UnmapViewOfFile(e.view);
    if (e.mapping)
        CloseHandle(e.mapping);
    e.view = nullptr;
    e.mapping = nullptr;
    e.viewBytes = 0;
}

// A record (fixed part and tails) read through the view: the record handle, or null when the
// view cannot give it (the caller then reads the file).
HGLOBAL recordFromView(CatalogDescriptor* d, int64_t offset)
{
    const uint8_t* fixedAt = viewOf(d, offset, catfmt::kFixedSize);
    if (!fixedAt)
        return nullptr;
    uint8_t fixed[catfmt::kFixedSize];
    std::memcpy(fixed, fixedAt, sizeof fixed);
    catfmt::normaliseFixedPart(fixed);
    const size_t tails = size_t(kel::getU16(fixed + catfmt::kDescriptionLength)) + kel::getU16(fixed + catfmt::kLongNameCount);
    const uint8_t* all = viewOf(d, offset, catfmt::kFixedSize + tails);
    if (!all)
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, catfmt::kFixedSize + tails + 1);
    if (!block)
        return nullptr;
    uint8_t* p = static_cast<uint8_t*>(GlobalLock(block));
    std::memcpy(p, fixed, sizeof fixed);
    std::memcpy(p + catfmt::kFixedSize, all + catfmt::kFixedSize, tails);
    GlobalUnlock(block);
    return block;
}

void releaseLock(CatalogDescriptor* d, bool showFailure)
{
    if (!d->lockLength)
        return;
    if (!UnlockFile(h(d->hCat), DWORD(d->lockOffset), 0, DWORD(d->lockLength), 0) && showFailure) {
        const DWORD error = GetLastError();
        char why[256] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, why, sizeof why,
                       nullptr);
        message(mainWindow(), 5030, EMH_EXCLAMATION, "Lock Error", MAKEINTRESOURCEA(IDS_CAT_FILE_IN_USE), d->catPath,
                why);
    }
    d->lockOffset = d->lockLength = 0;
}

} // namespace kelcat

using namespace kelcat;

HGLOBAL ReadCatalog(HANDLE file)
{
    if (t_pending.file == file)
        t_pending.file = nullptr; // the caller placed the file itself
    uint8_t fixed[catfmt::kFixedSize];
    if (!readNext(file, fixed, sizeof fixed))
        return nullptr;
    catfmt::normaliseFixedPart(fixed);
    const size_t tails = size_t(kel::getU16(fixed + catfmt::kDescriptionLength)) + kel::getU16(fixed + catfmt::kLongNameCount);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, catfmt::kFixedSize + tails + 1);
    if (!block)
        return nullptr;
    uint8_t* p = static_cast<uint8_t*>(GlobalLock(block));
    std::memcpy(p, fixed, sizeof fixed);
    const bool ok = readNext(file, p + catfmt::kFixedSize, tails);
    p[catfmt::kFixedSize + tails] = 0; // a damaged long name still ends
    GlobalUnlock(block);
    if (!ok) {
        GlobalFree(block);
        return nullptr;
    }
    return block;
}

HGLOBAL ReadCatDib(const void* fixedPart, HANDLE file)
{
    if (!fixedPart)
        return nullptr;
    const uint32_t count = catfmt::normalisedCounts(static_cast<const uint8_t*>(fixedPart)).thumbnail;
    if (count == 0 || count > kMaxThumbnailBytes)
        return nullptr;
    if (t_pending.file == file) {
        seekTo(file, t_pending.offset);
        t_pending.file = nullptr;
    }
    LARGE_INTEGER zero{}, at{};
    const int64_t size = fileSize(file);
    if (!SetFilePointerEx(file, zero, &at, FILE_CURRENT) || size < 0 || size - at.QuadPart < int64_t(count))
        return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, count);
    if (!block)
        return nullptr;
    uint8_t* p = static_cast<uint8_t*>(GlobalLock(block));
    const bool ok = readNext(file, p, count);
    HGLOBAL result = nullptr;
    if (ok && p[0] == 0xFF) {
        result = ReadJPEGMem(p, count); // a JPEG that does not decode gives nothing to draw
    } else if (ok && plausibleDib(p, count)) {
        GlobalUnlock(block);
        return block;
    }
    GlobalUnlock(block);
    GlobalFree(block);
    return result;
}

HGLOBAL LookupCatalog(CatalogDescriptor* d, const char* name, int lock)
{
    if (!d || !d->index || !name || !d->openCount)
        return nullptr;
    releaseLock(d, false);
    std::string shortName = name;
    bool fromLongName = false;
    const int longAt = FindLongCix(d, name);
    if (longAt >= 0) {
        shortName = GetLongShortName(d, longAt);
        fromLongName = true;
    }
    const int at = FindCix(d, shortName.c_str());
    if (at < 0) {
        std::memset(&d->current, 0, sizeof d->current);
        if (fromLongName)
            setName(&d->current, shortName.c_str());
        return emptyRecord();
    }
    IndexEntry* e = entries(d) + at;
    d->current = *e;
    if (lock && onRemoteDrive(d->catPath)) {
        for (;;) {
            if (LockFile(h(d->hCat), DWORD(e->offset), 0, DWORD(e->allocated), 0)) {
                d->lockOffset = e->offset;
                d->lockLength = e->allocated;
                break;
            }
            char why[256] = "";
            FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0, why,
                           sizeof why, nullptr);
            const int answer = message(mainWindow(), 5030, EMH_CANCEL | EMH_RETRY | EMH_EXCLAMATION, "Lock Error",
                                       MAKEINTRESOURCEA(IDS_CAT_FILE_IN_USE), d->catPath, why);
            if (answer == EMH_RESULT_CANCEL)
                return nullptr;
            if (answer == EMH_RESULT_FIRST)
                break;
        }
    }
    // Unlocked records come through the view; a locked one is read from the file, as the lock
    // is what another machine's writer respects.
    HGLOBAL record = d->lockLength ? nullptr : recordFromView(d, e->offset);
    const bool viewed = record != nullptr;
    if (t_pending.file == h(d->hCat))
        t_pending.file = nullptr;
    if (!record && (!seekTo(h(d->hCat), e->offset) || !(record = ReadCatalog(h(d->hCat)))))
        return nullptr;
    const uint8_t* r = static_cast<const uint8_t*>(GlobalLock(record));
    const bool sameName = compareNames(reinterpret_cast<const char*>(r), e->name, 13) == 0;
    const uint16_t descLength = kel::getU16(r + catfmt::kDescriptionLength);
    const uint16_t longCount = kel::getU16(r + catfmt::kLongNameCount);
    const std::string longName = longCount ? std::string(reinterpret_cast<const char*>(r + catfmt::kFixedSize + descLength)) : "";
    GlobalUnlock(record);
    if (!sameName) {
        GlobalFree(record);
        mismatch(d, *e);
        return nullptr;
    }
    if (!longName.empty()) {
        if (compareNames(name, longName.c_str()) != 0 && compareNames(name, e->name, 13) != 0) {
            GlobalFree(record);
            mismatch(d, *e);
            return nullptr;
        }
        if (FindLongCix(d, longName.c_str()) < 0 && InsertLongCix(d, e->name, longName.c_str())) {
            e = entries(d) + at;
            e->longName = longNames(d)[FindLongCix(d, longName.c_str())].longName;
            d->current.longName = e->longName;
        }
    }
    d->current = *e;
    // The file is at the thumbnail for ReadCatDib: already, or when ReadCatDib reads.
    if (viewed)
        t_pending = {h(d->hCat), int64_t(e->offset) + int64_t(catfmt::kFixedSize) + descLength + longCount};
    return record;
}

int ClearLocks(CatalogDescriptor* d)
{
    if (d)
        releaseLock(d, false);
    return 1;
}
