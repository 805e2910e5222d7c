// Catalogs for the engine's tests: a descriptor filled from a path (as the registry will fill
// it), record handles made field by field, and reading back what the engine wrote.
#pragma once

#include "catalog_record.h"
#include "kelcat.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace ct {

// A descriptor for the catalog `path` (".CAT"), registered under `name`.
inline void fillDescriptor(CatalogDescriptor* d, const std::string& path, const char* name = "Test catalog")
{
    std::memset(d, 0, sizeof *d);
    lstrcpynA(d->catPath, path.c_str(), sizeof d->catPath);
    lstrcpynA(d->catName, name, sizeof d->catName);
    d->hCat = d->hCix = d->hCax = -1;
}

// A record handle (fixed part and description tail) for the fields of `r`; no long name, no
// thumbnail (those are WriteCatalog's arguments).
inline HGLOBAL recordHandle(const catfmt::Record& r)
{
    catfmt::Record plain = r;
    plain.longName.clear();
    plain.thumbnail.clear();
    plain.slack = 0;
    std::vector<uint8_t> bytes = catfmt::encodeRecord(plain);
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size());
    std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    return h;
}

inline catfmt::Record sampleRecord(const std::string& name, int n = 0)
{
    catfmt::Record r;
    r.name = name;
    r.height = int16_t(100 + n);
    r.width = int16_t(200 + n);
    r.bits = 8;
    r.format = "GIF89a";
    r.title = "Title of " + name;
    r.keywords = "key" + std::to_string(n);
    r.description = n % 2 ? "" : "Description of " + name + "\r\nline two";
    r.primaryPath = "\\\\PC\\PICS\\";
    r.primaryVolume = "PHOTOS";
    r.fileSize = std::to_string(1000 + n);
    r.date = "12/31/1996";
    r.time = "02:05:08";
    return r;
}

// Decodes a record handle (fixed part, description, long name).
inline catfmt::Record decodeHandle(HGLOBAL h)
{
    catfmt::Record r;
    const uint8_t* p = static_cast<const uint8_t*>(GlobalLock(h));
    catfmt::decodeRecord(p, GlobalSize(h), &r, false);
    GlobalUnlock(h);
    return r;
}

// The bytes of a global block.
inline std::vector<uint8_t> blockBytes(HGLOBAL h)
{
    const uint8_t* p = static_cast<const uint8_t*>(GlobalLock(h));
    std::vector<uint8_t> out(p, p + GlobalSize(h));
    GlobalUnlock(h);
    return out;
}

// The message of the system's message dialog (its text control).
inline std::string dialogText(const kt::Shown& s)
{
    const kt::ShownControl* c = s.control(103);
    return c ? c->text : s.text;
}

// A catalog in a fresh folder, with its descriptor.
struct TestCatalog {
    kt::TempDir dir;
    std::string path = dir.file("TEST.CAT");
    CatalogDescriptor d{};

    TestCatalog() { fillDescriptor(&d, path); }
    ~TestCatalog()
    {
        if (d.openCount)
            CloseCatalog(&d, nullptr, 1);
        if (d.mutex)
            CloseHandle(d.mutex);
    }
    std::string file(const char* extension) const { return dir.file(std::string("TEST") + extension); }

    // Writes a record through the engine; the sequence position is the end of the sequence.
    int write(const catfmt::Record& r, HGLOBAL thumbnail = nullptr, const std::string& longName = "", int q = 32767)
    {
        HGLOBAL h = recordHandle(r);
        const int ok = WriteCatalog(&d, nullptr, thumbnail, h, q, r.name.c_str(), longName.c_str());
        GlobalFree(h);
        return ok;
    }
    // The record of a name as the engine reads it; `found` false when the index does not know it.
    catfmt::Record lookup(const std::string& name, bool* found = nullptr)
    {
        HGLOBAL h = LookupCatalog(&d, name.c_str(), 0);
        catfmt::Record r;
        if (h) {
            r = decodeHandle(h);
            GlobalFree(h);
        }
        if (found)
            *found = h && FindCix(&d, d.current.name) >= 0 && d.current.name[0];
        return r;
    }
    // Live entry names in index order.
    std::vector<std::string> names()
    {
        std::vector<std::string> out;
        for (int i = 0; d.index && i < d.index->entries; ++i) {
            const IndexEntry* e = GetIndex(&d, i);
            if (e->name[0] && e->name[0] != ' ')
                out.emplace_back(e->name, strnlen(e->name, 13));
        }
        return out;
    }
};

} // namespace ct
