/* The SQLite side of the catalog benchmark, a native program against Debian's libsqlite3: the
 * same records in a table keyed by short name (same fields, the thumbnail as a blob, an index on
 * the long name), inserted in one transaction; opened; looked up by key; late inserts in random
 * order in one transaction; PRAGMA integrity_check as the verification. Prints "figure value". */
#include "catalog_bench_data.h"

#include <sqlite3.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static void check(int rc, sqlite3* db, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        exit(1);
    }
}

static void insertAll(sqlite3* db, const unsigned* order, unsigned count)
{
    sqlite3_stmt* st;
    check(sqlite3_exec(db, "BEGIN", 0, 0, 0), db, "begin");
    check(sqlite3_prepare_v2(db,
                             "INSERT INTO catalog VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15)",
                             -1, &st, 0),
          db, "prepare insert");
    uint8_t thumb[BENCH_THUMB_BYTES];
    for (unsigned k = 0; k < count; ++k) {
        struct BenchRecord r;
        benchRecord(order[k], &r);
        benchThumbnail(order[k], thumb);
        sqlite3_bind_text(st, 1, r.name, -1, SQLITE_STATIC);
        sqlite3_bind_int(st, 2, r.height);
        sqlite3_bind_int(st, 3, r.width);
        sqlite3_bind_int(st, 4, r.bits);
        sqlite3_bind_text(st, 5, r.format, -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 6, r.path, -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 7, r.volume, -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 8, r.title, -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 9, r.keywords, -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 10, r.fileSize, -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 11, r.date, -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 12, r.time, -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 13, r.description, -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 14, r.longName, -1, SQLITE_STATIC);
        sqlite3_bind_blob(st, 15, thumb, BENCH_THUMB_BYTES, SQLITE_STATIC);
        check(sqlite3_step(st), db, "insert");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(sqlite3_exec(db, "COMMIT", 0, 0, 0), db, "commit");
}

/* Lookups by a key column; every field but the thumbnail is read, as a record lookup does. */
static double lookups(sqlite3* db, const char* sql, int byLongName, unsigned n)
{
    sqlite3_stmt* st;
    check(sqlite3_prepare_v2(db, sql, -1, &st, 0), db, "prepare select");
    unsigned found = 0;
    struct BenchRecord* asked = malloc(sizeof *asked * n); /* made before the clock starts */
    for (unsigned k = 0; k < n; ++k)
        benchRecord(2 * benchShuffled(k, n), &asked[k]);
    for (unsigned k = 0; k < n; ++k) { /* one pass untimed: both sides are measured warm */
        sqlite3_bind_text(st, 1, byLongName ? asked[k].longName : asked[k].name, -1, SQLITE_STATIC);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    double t = now();
    for (unsigned k = 0; k < n; ++k) {
        const struct BenchRecord* r = &asked[k];
        sqlite3_bind_text(st, 1, byLongName ? r->longName : r->name, -1, SQLITE_STATIC);
        if (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < 14; ++c)
                sqlite3_column_text(st, c);
            ++found;
        }
        sqlite3_reset(st);
    }
    t = now() - t;
    sqlite3_finalize(st);
    free(asked);
    if (found != n) {
        fprintf(stderr, "found %u of %u\n", found, n);
        exit(1);
    }
    return n / t;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: sqlite_peer DB RECORDS [LATE_INSERTS]\n");
        return 2;
    }
    const char* path = argv[1];
    const unsigned n = (unsigned)atoi(argv[2]);
    const unsigned late = argc > 3 ? (unsigned)atoi(argv[3]) : 2000;
    unlink(path);
    sqlite3* db;
    check(sqlite3_open(path, &db), db, "open");
    check(sqlite3_exec(db,
                       "CREATE TABLE catalog (name TEXT PRIMARY KEY COLLATE NOCASE, height INT, width INT, bits INT, "
                       "format TEXT, primary_path TEXT, primary_volume TEXT, title TEXT, keywords TEXT, file_size TEXT, "
                       "date TEXT, time TEXT, description TEXT, long_name TEXT COLLATE NOCASE, thumbnail BLOB);"
                       "CREATE INDEX catalog_long_name ON catalog (long_name);",
                       0, 0, 0),
          db, "create");
    unsigned* order = malloc(sizeof(unsigned) * (n > late ? n : late));
    for (unsigned i = 0; i < n; ++i)
        order[i] = 2 * i;
    double t = now();
    insertAll(db, order, n);
    t = now() - t;
    printf("write_records %u\nwrite_seconds %.3f\nwrites_per_second %.0f\n", n, t, n / t);
    sqlite3_close(db);

    /* Open and ready to answer: the open and the first lookup (SQLite reads pages on demand). */
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        t = now();
        check(sqlite3_open(path, &db), db, "open");
        check(sqlite3_exec(db, "SELECT title FROM catalog WHERE name = 'I0000000.JPG'", 0, 0, 0), db, "first");
        t = now() - t;
        if (t < best)
            best = t;
        sqlite3_close(db);
    }
    printf("open_load_ms %.1f\n", best * 1000);

    check(sqlite3_open(path, &db), db, "open");
    const char* columns = "SELECT name, height, width, bits, format, primary_path, primary_volume, title, keywords, "
                          "file_size, date, time, description, long_name FROM catalog WHERE ";
    char sql[512];
    snprintf(sql, sizeof sql, "%sname = ?1", columns);
    printf("lookups_short_per_second %.0f\n", lookups(db, sql, 0, n));
    snprintf(sql, sizeof sql, "%slong_name = ?1", columns);
    printf("lookups_long_per_second %.0f\n", lookups(db, sql, 1, n));

    for (unsigned k = 0; k < late; ++k)
        order[k] = 2 * benchShuffled(k, n) + 1;
    t = now();
    insertAll(db, order, late);
    t = now() - t;
    printf("late_inserts %u\nlate_inserts_per_second %.0f\n", late, late / t);

    t = now();
    check(sqlite3_exec(db, "PRAGMA integrity_check", 0, 0, 0), db, "integrity_check");
    printf("verify_ms %.1f\n", (now() - t) * 1000);
    sqlite3_close(db);
    free(order);
    return 0;
}
