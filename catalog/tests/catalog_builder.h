// Builds catalog files in tests, record by record, with the entries a writer would make.
#pragma once

#include "catalog_index.h"
#include "catalog_record.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace catfmt {

// Builds a catalog file record by record, keeping the index entries a writer would make.
struct CatalogBuilder {
    std::vector<uint8_t> bytes;
    std::vector<IndexEntry> entries;

    IndexEntry add(const std::string& name, const std::string& format, size_t thumb, uint16_t slack = 0,
                   const std::string& longName = "", const std::string& description = "")
    {
        Record r;
        r.name = name;
        r.format = format;
        r.title = "title of " + name;
        r.longName = longName;
        r.description = description;
        r.thumbnail.assign(thumb, 0x40);
        r.slack = slack;
        return add(r);
    }
    IndexEntry add(const Record& r)
    {
        std::vector<uint8_t> rec = encodeRecord(r);
        IndexEntry e = makeEntry(r.name, 0, int32_t(bytes.size()), int32_t(rec.size()),
                                 int32_t(rec.size() - r.slack), 0);
        bytes.insert(bytes.end(), rec.begin(), rec.end());
        entries.push_back(e);
        return e;
    }
    void addHeader(const char* name, const char* password = nullptr)
    {
        std::vector<uint8_t> h = encodeHeaderRecord(name, password);
        bytes.insert(bytes.end(), h.begin(), h.end());
    }

    // The index file a writer would flush: header entry, then the entries sorted by name.
    std::vector<uint8_t> indexFile(int32_t headerOffset) const
    {
        std::vector<IndexEntry> sorted = entries;
        std::sort(sorted.begin(), sorted.end(),
                  [](const IndexEntry& a, const IndexEntry& b) { return _stricmp(a.name, b.name) < 0; });
        for (size_t i = 0; i < sorted.size(); ++i)
            sorted[i].sequence = int16_t(i);
        sorted.insert(sorted.begin(), headerEntry(headerOffset, int16_t(sorted.size())));
        return encodeIndexFile(sorted);
    }
};

} // namespace catfmt
