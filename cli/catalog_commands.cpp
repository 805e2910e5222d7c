// kelcli catalog dump / rebuild-index (and the dispatch of the catalog commands).
#include "bytes.h"
#include "catalog_cli.h"
#include "catalog_index.h"
#include "catalog_paths.h"
#include "catalog_rebuild.h"
#include "file_io.h"
#include "kelint.h"
#include "message_relay.h"

#include <cstring>
#include <vector>

using namespace catfmt;

namespace kelcli {

AppState& catalogApp()
{
    static AppState app = [] {
        AppState a{};
        a.size = kAppStateSize;
        a.appInstance = GetModuleHandleA(nullptr);
        std::strcpy(a.appName, "Kelgrove");
        return a;
    }();
    static bool initialised = [] {
        InitCatDll(&app);
        InitKelInt(&app);
        return true;
    }();
    (void)initialised;
    return app;
}

OpenedCatalog::OpenedCatalog(const std::string& path, bool readOnly)
{
    catalogApp();
    lstrcpynA(d_.catPath, withCatalogExtension(path, ".CAT").c_str(), sizeof d_.catPath);
    d_.hCat = d_.hCix = d_.hCax = -1;
    // The registered name, as the header record keeps it.
    std::vector<uint8_t> index;
    kel::File cat = kel::File::openRead(d_.catPath);
    if (cat && kel::readWholeFile(withCatalogExtension(path, ".CIX").c_str(), &index) && index.size() >= kEntrySize) {
        const IndexEntry head = decodeEntry(index.data());
        uint8_t fixed[kFixedSize];
        if (head.flags == kIndexHeaderFlag && head.offset >= 0 &&
            cat.readAt(head.offset, fixed, kFixedSize) == int64_t(kFixedSize) && fixed[0] == kHeaderRecordByte)
            kel::putField(reinterpret_cast<uint8_t*>(d_.catName), sizeof d_.catName,
                          std::string(reinterpret_cast<char*>(fixed + kCatalogName),
                                      kel::fieldLength(fixed + kCatalogName, kCatalogNameSize)).c_str());
    }
    cat.close();
    std::strcpy(d_.password, CAT_BYPASS_PASSWORD);
    d_.readOnly = readOnly ? 1 : 0;
    opened_ = OpenCatalog(&d_, readOnly ? CAT_READ : CAT_READWRITE, CAT_SHARE_DENY_NONE) != 0;
}

bool OpenedCatalog::close()
{
    if (!opened_)
        return true;
    opened_ = false;
    const bool flushed = d_.readOnly || FlushCatIndex(&d_);
    return CloseCatalog(&d_, nullptr, 1) && flushed;
}

OpenedCatalog::~OpenedCatalog()
{
    close();
    if (d_.mutex)
        CloseHandle(d_.mutex);
}

JsonLine entryJson(const IndexEntry& e, const Record* r)
{
    JsonLine line;
    line.add("name", entryName(e)).add("flags", e.flags).add("offset", e.offset).add("allocated", e.allocated)
        .add("used", e.used).add("sequence", e.sequence);
    if (r)
        line.add("height", r->height).add("width", r->width).add("bits", r->bits).add("format", r->format)
            .add("file_size", r->fileSize).add("date", r->date).add("time", r->time).add("title", r->title)
            .add("keywords", r->keywords).add("description", r->description).add("long_name", r->longName)
            .add("primary_path", r->primaryPath).add("primary_volume", r->primaryVolume)
            .add("backup_path", r->backupPath).add("backup_volume", r->backupVolume)
            .add("thumbnail_bytes", r->thumbnailBytes).add("slack", r->slack);
    return line;
}

namespace {

// A live entry's record as the engine reads it, checked against its entry.
bool readRecord(CatalogDescriptor* d, const IndexEntry& e, Record* r)
{
    HANDLE cat = reinterpret_cast<HANDLE>(d->hCat);
    LARGE_INTEGER at;
    at.QuadPart = e.offset;
    if (e.offset < 0 || !SetFilePointerEx(cat, at, nullptr, FILE_BEGIN))
        return false;
    HGLOBAL h = ReadCatalog(cat);
    if (!h)
        return false;
    const bool ok = decodeRecord(static_cast<uint8_t*>(GlobalLock(h)), GlobalSize(h), r, false) &&
                    _stricmp(r->name.c_str(), entryName(e).c_str()) == 0;
    GlobalUnlock(h);
    GlobalFree(h);
    if (ok && r->longName.empty())
        r->longName = GetLongName(d, e.longName);
    return ok;
}

int dump(const std::string& path)
{
    const std::string cixPath = withCatalogExtension(path, ".CIX");
    std::vector<uint8_t> index;
    if (!kel::readWholeFile(cixPath.c_str(), &index))
        return fail("cannot read index file " + cixPath);
    if (index.empty() || index.size() % kEntrySize != 0 || decodeEntry(index.data()).flags != kIndexHeaderFlag)
        return fail(cixPath + " is not a catalog index");
    MessageRelay relay;
    OpenedCatalog c(path, true);
    if (!c.ok())
        return fail(relay.last().empty() ? "cannot open catalog " + path : relay.last());
    CatalogDescriptor* d = c.d();
    printLine(JsonLine().add("catalog", d->catName).addBool("password", d->hasPassword != 0)
                  .add("entries", d->index->entries).str());
    int unreadable = 0;
    for (int i = 0; i < d->index->entries; ++i) {
        const IndexEntry e = *GetIndex(d, i);
        Record r;
        const bool live = !isFreeName(e.name);
        const bool read = live && readRecord(d, e, &r);
        unreadable += live && !read;
        printLine(entryJson(e, read ? &r : nullptr).str());
    }
    if (unreadable)
        return fail(std::to_string(unreadable) + " record(s) of " + path + " could not be read");
    return 0;
}

int rebuildIndex(const std::string& path)
{
    const std::string catPath = withCatalogExtension(path, ".CAT");
    const std::string cixPath = withCatalogExtension(path, ".CIX");
    kel::File cat = kel::File::open(catPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    if (!cat)
        return fail("cannot open catalog file " + catPath);
    RebuildPlan plan;
    if (!planRebuild(cat, &plan))
        return fail("cannot read catalog file " + catPath);
    // A file in which the scan finds neither a header record nor a single named record is not a
    // catalog: leave it as it is.
    if (!plan.headerFound && plan.intactRecords == 0 && cat.size() > 0)
        return fail(catPath + " is not a catalog file");
    if (applyRebuild(cat, cixPath.c_str(), plan) < 0)
        return fail("cannot write index file " + cixPath);
    printLine(std::to_string(plan.entries.size() - 1));
    return 0;
}

} // namespace

int catalogCommand(const Args& args)
{
    if (args.size() == 2 && args[0] == "dump")
        return dump(args[1]);
    if (args.size() == 2 && args[0] == "rebuild-index")
        return rebuildIndex(args[1]);
    if (!args.empty() && (args[0] == "put" || args[0] == "get" || args[0] == "delete" || args[0] == "verify"))
        return catalogEditCommand(args);
    return fail("usage: kelcli catalog dump|rebuild-index|verify CATFILE | put|get|delete CATFILE NAME [options]");
}

} // namespace kelcli
