#!/usr/bin/env bash
# The catalog engine against SQLite on the same data: 100,000 records (deterministic names and
# texts, 4 KB thumbnails) written (the catalog through WriteCatalog in name order, SQLite inserts
# in one transaction), the catalog opened and its index loaded, lookups by short and long name
# (each reads the record's fields; one untimed pass first on both sides, so both are measured
# warm), 2,000 late inserts in random order, and verification (the engine's "Verify Catalog"
# pass, SQLite's integrity check). SQLite runs natively (Debian's libsqlite3); the engine runs
# under Wine.
set -euo pipefail
source "$KEL_ROOT/tools/env.sh"
data="$KEL_BENCH_DATA/catalog"
mkdir -p "$data"
records=${KEL_BENCH_CATALOG_RECORDS:-100000}
late=${KEL_BENCH_CATALOG_LATE:-2000}

peer="$KEL_ROOT/build/bench/sqlite_peer"
mkdir -p "$(dirname "$peer")"
gcc -O2 -I"$KEL_ROOT/bench" -o "$peer" "$KEL_ROOT/bench/sqlite_peer.c" -lsqlite3

kel_out=$("$WINE64" "$KEL_BIN/catalog_bench.exe" "$(winepath_of "$data")" "$records" "$late" | tr -d '\r')
sql_out=$("$peer" "$data/bench.sqlite" "$records" "$late")
rm -f "$data/bench.sqlite" "$data"/BENCH.*

figure() { awk -v k="$1" '$1 == k { print $2 }' <<<"$2"; }
printf '%-34s %14s %14s\n' "" "catalog" "SQLite $(sqlite3 --version 2>/dev/null | cut -d' ' -f1)"
for f in writes_per_second open_load_ms lookups_short_per_second lookups_long_per_second late_inserts_per_second verify_ms; do
    printf '%-34s %14s %14s\n' "$f" "$(figure $f "$kel_out")" "$(figure $f "$sql_out")"
done
printf '%-34s %14s\n' "index_searches_per_second" "$(figure index_searches_per_second "$kel_out")"
awk -v kw="$(figure writes_per_second "$kel_out")" -v sw="$(figure writes_per_second "$sql_out")" \
    -v ko="$(figure open_load_ms "$kel_out")" \
    -v ks="$(figure lookups_short_per_second "$kel_out")" -v ss="$(figure lookups_short_per_second "$sql_out")" \
    -v kl="$(figure lookups_long_per_second "$kel_out")" -v sl="$(figure lookups_long_per_second "$sql_out")" \
    -v ki="$(figure index_searches_per_second "$kel_out")" 'BEGIN {
    printf "open + index load: %.1f ms (goal: under 100 ms)\n", ko
    printf "lookups, short names: %.2fx SQLite; long names: %.2fx; index searches alone: %.1fx (goal: at least 10x)\n", ks / ss, kl / sl, ki / ss
    printf "writes: %.2fx SQLite (goal: at least 1x)\n", kw / sw
}'
