// kelcli catalog put / get / delete / verify: one record written, read or deleted through the
// catalog engine, and the engine's verification pass.
#include "bmp_file.h"
#include "bytes.h"
#include "catalog_cli.h"
#include "catalog_index.h"
#include "image_load.h"
#include "message_relay.h"
#include "win_raii.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

using namespace catfmt;

namespace kelcli {

namespace {

// "--name value" options after the positional arguments; false on an unknown or incomplete one.
bool options(const Args& args, size_t from, const std::vector<std::string>& known, std::map<std::string, std::string>* out,
             const std::vector<std::string>& flags = {})
{
    for (size_t i = from; i < args.size(); ++i) {
        if (std::find(flags.begin(), flags.end(), args[i]) != flags.end()) {
            (*out)[args[i]] = "1";
            continue;
        }
        if (std::find(known.begin(), known.end(), args[i]) == known.end() || i + 1 >= args.size())
            return false;
        (*out)[args[i]] = args[i + 1];
        ++i;
    }
    return true;
}

std::string why(const MessageRelay& relay, const std::string& otherwise)
{
    return relay.last().empty() ? otherwise : relay.last();
}

// The record of a name (null when the index does not know it); the file is left at its thumbnail.
HGLOBAL lookup(CatalogDescriptor* d, const std::string& name, Record* r)
{
    HGLOBAL h = LookupCatalog(d, name.c_str(), 0);
    if (!h)
        return nullptr;
    if (!d->current.name[0]) {
        GlobalFree(h);
        return nullptr;
    }
    decodeRecord(static_cast<uint8_t*>(GlobalLock(h)), GlobalSize(h), r, false);
    GlobalUnlock(h);
    if (r->longName.empty())
        r->longName = GetLongName(d, d->current.longName);
    return h;
}

int put(const Args& args)
{
    std::map<std::string, std::string> o;
    if (args.size() < 3 || !options(args, 3,
                                    {"--long-name", "--title", "--keywords", "--description", "--format", "--width",
                                     "--height", "--bits", "--thumbnail"},
                                    &o, {"--jpeg"}))
        return fail("usage: kelcli catalog put CATFILE NAME [--long-name L] [--title T] [--keywords K] "
                    "[--description D] [--format F] [--width W --height H --bits B] [--thumbnail IMAGE] [--jpeg]");
    const std::string& name = args[2];
    if (name.empty() || name.size() > 12)
        return fail("a catalog name is 1 to 12 characters: " + name);
    kel::GlobalMem thumbnail;
    if (o.count("--thumbnail")) {
        pipeline::ImageInfo info;
        std::string error;
        thumbnail.reset(pipeline::loadImage(o["--thumbnail"], &info, &error));
        if (!thumbnail)
            return fail(error);
    }
    catalogApp().jpegThumbnails = o.count("--jpeg") ? 1 : 0;
    MessageRelay relay;
    OpenedCatalog c(args[1], false);
    if (!c.ok())
        return fail(why(relay, "cannot open catalog " + args[1]));
    CatalogDescriptor* d = c.d();
    if (d->readOnly)
        return fail("catalog " + args[1] + " is read-only");

    // An existing record keeps what the options do not change, its thumbnail and its place.
    Record r;
    HGLOBAL old = lookup(d, name, &r);
    const bool existing = old != nullptr;
    int sequence = 0x7FFFFFFF;
    if (existing) {
        sequence = d->current.sequence;
        if (!thumbnail && r.thumbnailBytes)
            thumbnail.reset(ReadCatDib(GlobalLock(old), reinterpret_cast<HANDLE>(d->hCat)));
        GlobalUnlock(old);
        GlobalFree(old);
    } else {
        r = Record{};
        r.name = name;
    }
    std::string longName = o.count("--long-name") ? o["--long-name"] : r.longName;
    auto text = [&](const char* key, std::string* field) {
        if (o.count(key))
            *field = o[key];
    };
    text("--title", &r.title);
    text("--keywords", &r.keywords);
    text("--description", &r.description);
    text("--format", &r.format);
    if (o.count("--width"))
        r.width = int16_t(std::atoi(o["--width"].c_str()));
    if (o.count("--height"))
        r.height = int16_t(std::atoi(o["--height"].c_str()));
    if (o.count("--bits"))
        r.bits = int16_t(std::atoi(o["--bits"].c_str()));
    if (thumbnail && !o.count("--bits")) {
        const BITMAPINFOHEADER* bi = static_cast<const BITMAPINFOHEADER*>(GlobalLock(thumbnail.get()));
        if (!existing || o.count("--thumbnail"))
            r.bits = int16_t(bi->biBitCount);
        GlobalUnlock(thumbnail.get());
    }
    Record plain = r;
    plain.longName.clear();
    plain.thumbnail.clear();
    plain.slack = 0;
    const std::vector<uint8_t> bytes = encodeRecord(plain);
    kel::GlobalMem record(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    std::memcpy(GlobalLock(record.get()), bytes.data(), bytes.size());
    GlobalUnlock(record.get());
    if (!WriteCatalog(d, nullptr, thumbnail.get(), record.get(), sequence, name.c_str(), longName.c_str()))
        return fail(why(relay, "cannot write " + name + " into " + args[1]));
    if (!c.close())
        return fail(why(relay, "cannot write the index of " + args[1]));
    return 0;
}

int get(const Args& args)
{
    std::map<std::string, std::string> o;
    if (args.size() < 3 || !options(args, 3, {"--thumbnail"}, &o))
        return fail("usage: kelcli catalog get CATFILE NAME [--thumbnail OUT.bmp]");
    MessageRelay relay;
    OpenedCatalog c(args[1], true);
    if (!c.ok())
        return fail(why(relay, "cannot open catalog " + args[1]));
    CatalogDescriptor* d = c.d();
    Record r;
    HGLOBAL h = lookup(d, args[2], &r);
    if (!h)
        return fail(why(relay, args[2] + " is not in catalog " + args[1]));
    kel::GlobalMem dib(r.thumbnailBytes ? ReadCatDib(GlobalLock(h), reinterpret_cast<HANDLE>(d->hCat)) : nullptr);
    if (r.thumbnailBytes)
        GlobalUnlock(h);
    GlobalFree(h);
    printLine(entryJson(d->current, &r).str());
    if (o.count("--thumbnail")) {
        std::string error;
        if (!dib)
            return fail(args[2] + " has no readable thumbnail");
        if (!pipeline::writeBmpFile(o["--thumbnail"].c_str(), dib.get(), &error))
            return fail(error);
    }
    return 0;
}

int remove(const Args& args)
{
    if (args.size() != 3)
        return fail("usage: kelcli catalog delete CATFILE NAME");
    MessageRelay relay;
    OpenedCatalog c(args[1], false);
    if (!c.ok())
        return fail(why(relay, "cannot open catalog " + args[1]));
    CatalogDescriptor* d = c.d();
    Record r;
    HGLOBAL h = lookup(d, args[2], &r);
    if (!h)
        return fail(why(relay, args[2] + " is not in catalog " + args[1]));
    GlobalFree(h);
    if (DeleteCix(d) < 0 || d->readOnly)
        return fail(why(relay, "cannot delete " + args[2] + " from " + args[1]));
    if (!c.close())
        return fail(why(relay, "cannot write the index of " + args[1]));
    return 0;
}

int verify(const Args& args)
{
    if (args.size() != 2)
        return fail("usage: kelcli catalog verify CATFILE");
    catalogApp().verifyCatalog = 1;
    // Mismatching records are reported and dropped, as the program does when the user answers.
    MessageRelay relay(IDOK);
    OpenedCatalog c(args[1], false);
    catalogApp().verifyCatalog = 0;
    if (!c.ok())
        return fail(why(relay, "cannot open catalog " + args[1]));
    CatalogVerifyReport report{};
    GetCatalogVerifyReport(&report);
    printLine(JsonLine().add("checked", report.checked).add("dropped", report.dropped).add("repaired", report.repaired)
                  .add("rewritten", report.rewritten).add("entries", c.d()->index->activeEntries).str());
    if (!c.close())
        return fail(why(relay, "cannot write the index of " + args[1]));
    return 0;
}

} // namespace

int catalogEditCommand(const Args& args)
{
    if (args[0] == "put")
        return put(args);
    if (args[0] == "get")
        return get(args);
    if (args[0] == "delete")
        return remove(args);
    return verify(args);
}

} // namespace kelcli
