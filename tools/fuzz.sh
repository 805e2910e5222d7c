#!/usr/bin/env bash
# Runs a codec's robustness harness (the Robustness.* tests of <codec>_tests.exe) with many more
# mutations than the test suite uses, inside one Wine session:
#   tools/fuzz.sh CODEC N [SEED]     e.g. tools/fuzz.sh pcx 20000
# N mutations of each sample file; a crash or hang prints the case and keeps its input file.
set -euo pipefail
TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$TOOLS/env.sh"
ROOT=$(dirname "$TOOLS")
codec=${1:-}
count=${2:-}
if [ -z "$codec" ] || ! [[ "$count" =~ ^[0-9]+$ ]]; then
    echo "usage: kel fuzz CODEC N [SEED]   (CODEC: the prefix of a <codec>_tests program, e.g. pcx, jpeg)" >&2
    exit 2
fi
exe="$ROOT/build/win64/bin/${codec,,}_tests.exe"
[ -f "$exe" ] || { echo "kel fuzz: no test program ${codec,,}_tests.exe for codec '$codec'" >&2; exit 2; }
export KEL_FUZZ_COUNT=$count KEL_FUZZ_SEED=${3:-1}
KEL_TESTDATA=$(winepath_of "$ROOT/../shared/testdata")
export KEL_TESTDATA
exec "$TOOLS/wine-session.sh" "$WINE64" "$exe" --gtest_filter='Robustness.*'
