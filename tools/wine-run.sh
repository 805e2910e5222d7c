#!/usr/bin/env bash
# ctest's cross-compiling emulator: runs one Windows program with the project's prefix.
# The program writes into files, not into ctest's pipes: a Wine system process that the program
# happens to start (the desktop, a device host) inherits its output handles and lives on, and
# ctest would wait for the pipe to close until the test times out.
TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$TOOLS/env.sh"
out=$(mktemp) && err=$(mktemp) || exit 1
trap 'rm -f "$out" "$err"' EXIT
"$WINE64" "$@" >"$out" 2>"$err"
rc=$?
cat "$out"
cat "$err" >&2
exit $rc
