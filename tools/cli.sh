#!/usr/bin/env bash
# Runs kelcli.exe with the project's Wine prefix; absolute Linux paths among the arguments are
# turned into Windows paths. Exit status is kelcli's.
TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$TOOLS/env.sh"
ROOT=$(dirname "$TOOLS")
args=()
for a in "$@"; do
    if [[ "$a" == /* ]]; then args+=("$(winepath_of "$a")"); else args+=("$a"); fi
done
exec "$WINE64" "$ROOT/build/win64/bin/kelcli.exe" "${args[@]}"
