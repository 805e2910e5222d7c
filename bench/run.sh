#!/usr/bin/env bash
# Runs every benchmark script bench/*.bench.sh (or those whose name contains $1) inside the
# Wine session ./kel bench opened. Each script measures Kelgrove and a named peer on the same
# data in this run and prints its figures and ratios.
set -uo pipefail
BENCH=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export KEL_ROOT=$(dirname "$BENCH")
export KEL_BIN="$KEL_ROOT/build/win64/bin"
export KEL_BENCH_DATA="${KEL_BENCH_DATA:-$KEL_ROOT/build/bench-data}"
source "$KEL_ROOT/tools/env.sh"
mkdir -p "$KEL_BENCH_DATA"
status=0
for script in "$BENCH"/*.bench.sh; do
    [ -e "$script" ] || continue
    [[ -n "${1:-}" && "$(basename "$script")" != *"$1"* ]] && continue
    echo "== $(basename "$script" .bench.sh)"
    bash "$script" || status=1
done
exit $status
