// The catalog engine's side of the catalog benchmark: records written through WriteCatalog, the
// catalog opened and its index loaded, lookups by short and long name, late inserts in random
// order, and the verification pass. Prints "figure value" lines.
#include "catalog_bench_data.h"
#include "catalog_record.h"
#include "kelcat.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

AppState g_app;

double now()
{
    static LARGE_INTEGER f = [] {
        LARGE_INTEGER x;
        QueryPerformanceFrequency(&x);
        return x;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(f.QuadPart);
}

void fill(CatalogDescriptor* d, const std::string& path)
{
    *d = CatalogDescriptor{};
    lstrcpynA(d->catPath, path.c_str(), sizeof d->catPath);
    std::strcpy(d->catName, "Benchmark catalog");
    d->hCat = d->hCix = d->hCax = -1;
}

HGLOBAL recordHandle(const BenchRecord& b)
{
    catfmt::Record r;
    r.name = b.name;
    r.title = b.title;
    r.keywords = b.keywords;
    r.description = b.description;
    r.format = b.format;
    r.fileSize = b.fileSize;
    r.date = b.date;
    r.time = b.time;
    r.primaryPath = b.path;
    r.primaryVolume = b.volume;
    r.width = int16_t(b.width);
    r.height = int16_t(b.height);
    r.bits = int16_t(b.bits);
    const std::vector<uint8_t> bytes = catfmt::encodeRecord(r);
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    return h;
}

// Writes records [from, to) of the data set, in the given order; false on a failed write.
bool writeRecords(CatalogDescriptor* d, const std::vector<unsigned>& order)
{
    HGLOBAL thumb = GlobalAlloc(GMEM_MOVEABLE, BENCH_THUMB_BYTES);
    bool ok = true;
    for (unsigned i : order) {
        BenchRecord b;
        benchRecord(i, &b);
        benchThumbnail(i, static_cast<uint8_t*>(GlobalLock(thumb)));
        GlobalUnlock(thumb);
        HGLOBAL rec = recordHandle(b);
        ok = WriteCatalog(d, nullptr, thumb, rec, 0x7FFFFFFF, b.name, b.longName) == 1;
        GlobalFree(rec);
        if (!ok)
            break;
    }
    GlobalFree(thumb);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: catalog_bench DIR RECORDS [LATE_INSERTS]\n");
        return 2;
    }
    const std::string path = std::string(argv[1]) + "\\BENCH.CAT";
    const unsigned n = unsigned(std::atoi(argv[2]));
    const unsigned late = argc > 3 ? unsigned(std::atoi(argv[3])) : 2000;
    g_app.size = kAppStateSize;
    g_app.appInstance = GetModuleHandleA(nullptr);
    InitCatDll(&g_app);
    for (const char* ext : {".CAT", ".CIX", ".CAX"})
        DeleteFileA((std::string(argv[1]) + "\\BENCH" + ext).c_str());

    // Writes: a new catalog filled in name order, as a build of a sorted folder does, then closed.
    CatalogDescriptor d;
    fill(&d, path);
    std::vector<unsigned> order(n);
    for (unsigned i = 0; i < n; ++i)
        order[i] = 2 * i; // odd numbers are left for the late inserts
    double t = now();
    if (!OpenCatalog(&d, CAT_READWRITE, 0) || !writeRecords(&d, order) || !CloseCatalog(&d, nullptr, 1))
        return std::fprintf(stderr, "writing failed\n"), 1;
    const double writeSeconds = now() - t;
    std::printf("write_records %u\nwrite_seconds %.3f\nwrites_per_second %.0f\n", n, writeSeconds, n / writeSeconds);

    // Open and index load, best of five (the index is not cached: final closes).
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        t = now();
        if (!OpenCatalog(&d, CAT_READ, 0))
            return std::fprintf(stderr, "open failed\n"), 1;
        best = std::min(best, now() - t);
        CloseCatalog(&d, nullptr, 1);
    }
    std::printf("open_load_ms %.1f\n", best * 1000);

    // Lookups by short name and by long name (each reads the record), and index searches alone.
    if (!OpenCatalog(&d, CAT_READ, 0))
        return 1;
    const unsigned lookups = n;
    std::vector<BenchRecord> asked(lookups); // the names are made before the clock starts
    for (unsigned k = 0; k < lookups; ++k)
        benchRecord(2 * benchShuffled(k, n), &asked[k]);
    unsigned found = 0;
    for (unsigned k = 0; k < lookups; ++k) // one pass untimed: both sides are measured warm
        GlobalFree(LookupCatalog(&d, asked[k].name, 0));
    t = now();
    for (unsigned k = 0; k < lookups; ++k) {
        HGLOBAL rec = LookupCatalog(&d, asked[k].name, 0);
        found += rec && d.current.name[0];
        GlobalFree(rec);
    }
    double s = now() - t;
    std::printf("lookups_short_per_second %.0f\n", lookups / s);
    t = now();
    for (unsigned k = 0; k < lookups; ++k) {
        HGLOBAL rec = LookupCatalog(&d, asked[k].longName, 0);
        found += rec && d.current.name[0];
        GlobalFree(rec);
    }
    s = now() - t;
    std::printf("lookups_long_per_second %.0f\n", lookups / s);
    t = now();
    for (unsigned k = 0; k < lookups; ++k)
        found += FindCix(&d, asked[k].name) >= 0;
    s = now() - t;
    std::printf("index_searches_per_second %.0f\n", lookups / s);
    CloseCatalog(&d, nullptr, 1);
    if (found != 3 * lookups)
        return std::fprintf(stderr, "found %u of %u\n", found, 3 * lookups), 1;

    // Late inserts: new names in random order into the full catalog.
    std::vector<unsigned> lateOrder(late);
    for (unsigned k = 0; k < late; ++k)
        lateOrder[k] = 2 * benchShuffled(k, n) + 1;
    t = now();
    if (!OpenCatalog(&d, CAT_READWRITE, 0) || !writeRecords(&d, lateOrder) || !CloseCatalog(&d, nullptr, 1))
        return std::fprintf(stderr, "late inserts failed\n"), 1;
    s = now() - t;
    std::printf("late_inserts %u\nlate_inserts_per_second %.0f\n", late, late / s);

    // The verification pass: every record's fixed part read and checked while loading.
    g_app.verifyCatalog = 1;
    t = now();
    if (!OpenCatalog(&d, CAT_READWRITE, 0))
        return 1;
    s = now() - t;
    CatalogVerifyReport report{};
    GetCatalogVerifyReport(&report);
    CloseCatalog(&d, nullptr, 1);
    std::printf("verify_ms %.1f\nverified_records %d\n", s * 1000, report.checked);
    return report.dropped || report.repaired ? 1 : 0;
}
