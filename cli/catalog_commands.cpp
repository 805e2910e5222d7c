// kelcli catalog ...: dump and rebuild-index.
#include "bytes.h"
#include "catalog_index.h"
#include "catalog_paths.h"
#include "catalog_rebuild.h"
#include "catalog_record.h"
#include "cli.h"
#include "file_io.h"
#include "json.h"

#include <vector>

using namespace catfmt;

namespace kelcli {

namespace {

constexpr char kNoPasswordMarker[] = "qqqqqqqq";

// A live entry's record, read and checked against its entry; false when it cannot be.
bool readRecord(const kel::File& cat, const IndexEntry& e, Record* r)
{
    if (e.used < int32_t(kFixedSize) || e.offset < 0)
        return false;
    std::vector<uint8_t> bytes(size_t(e.used));
    if (cat.readAt(e.offset, bytes.data(), bytes.size()) != int64_t(bytes.size()))
        return false;
    if (!decodeRecord(bytes.data(), bytes.size(), r, false))
        return false;
    return _stricmp(r->name.c_str(), entryName(e).c_str()) == 0;
}

int dump(const std::string& path)
{
    const std::string catPath = withCatalogExtension(path, ".CAT");
    const std::string cixPath = withCatalogExtension(path, ".CIX");
    std::vector<uint8_t> index;
    if (!kel::readWholeFile(cixPath.c_str(), &index))
        return fail("cannot read index file " + cixPath);
    kel::File cat = kel::File::openRead(catPath.c_str());
    if (!cat)
        return fail("cannot open catalog file " + catPath);
    const std::vector<IndexEntry> entries = decodeIndexFile(index.data(), index.size());
    if (entries.empty() || index.size() % kEntrySize != 0 || entries.front().flags != kIndexHeaderFlag)
        return fail(cixPath + " is not a catalog index");

    // Catalog name and password: the header record, or a legacy password entry.
    std::string name, password;
    for (const IndexEntry& e : entries) {
        if (e.flags == kIndexHeaderFlag) {
            uint8_t fixed[kFixedSize];
            if (e.offset >= 0 && cat.readAt(e.offset, fixed, kFixedSize) == int64_t(kFixedSize) &&
                fixed[0] == kHeaderRecordByte) {
                name.assign(reinterpret_cast<char*>(fixed + kCatalogName), kel::fieldLength(fixed + kCatalogName, kCatalogNameSize));
                password = decodePassword(fixed + kPassword);
            }
            break;
        }
        if (isLegacyPasswordEntry(e)) {
            uint8_t field[8];
            legacyPasswordBytes(e, field);
            password = decodePassword(field);
            break;
        }
    }
    const bool hasPassword = !password.empty() && password != kNoPasswordMarker && password[0] != ' ';
    printLine(JsonLine().add("catalog", name).addBool("password", hasPassword).add("entries", entries.front().sequence).str());

    int unreadable = 0;
    for (const IndexEntry& e : entries) {
        if (e.flags == kIndexHeaderFlag || isLegacyPasswordEntry(e))
            continue;
        JsonLine line;
        line.add("name", entryName(e)).add("flags", e.flags).add("offset", e.offset).add("allocated", e.allocated)
            .add("used", e.used).add("sequence", e.sequence);
        Record r;
        if (!isFreeName(e.name) && e.used && e.allocated) {
            if (readRecord(cat, e, &r)) {
                line.add("height", r.height).add("width", r.width).add("bits", r.bits).add("format", r.format)
                    .add("file_size", r.fileSize).add("date", r.date).add("time", r.time).add("title", r.title)
                    .add("keywords", r.keywords).add("description", r.description).add("long_name", r.longName)
                    .add("primary_path", r.primaryPath).add("primary_volume", r.primaryVolume)
                    .add("backup_path", r.backupPath).add("backup_volume", r.backupVolume)
                    .add("thumbnail_bytes", r.thumbnailBytes).add("slack", r.slack);
            } else {
                ++unreadable;
            }
        }
        printLine(line.str());
    }
    if (unreadable)
        return fail(std::to_string(unreadable) + " record(s) of " + catPath + " could not be read");
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
    return fail("usage: kelcli catalog dump|rebuild-index CATFILE");
}

} // namespace kelcli
