#!/usr/bin/env bash
# Photographs the volume-label box of the message dialog on the virtual screen and saves it as
# build/errmsghelp-volume.png (run after ./kel build).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$ROOT/tools/env.sh"
out="$ROOT/build/errmsghelp-volume.png"
handshake=$(mktemp -d)
trap 'rm -rf "$handshake"' EXIT

"$ROOT/tools/wine-session.sh" bash -c '
    KEL_SHOT_DIR=$5 "$1" "$2" --gtest_also_run_disabled_tests \
        --gtest_filter=Screenshot.DISABLED_VolumeLabelBox >/dev/null &
    for _ in $(seq 300); do [ -e "$3/shown" ] && break; sleep 0.1; done
    sleep 0.5
    xwd -root -silent | convert-im6.q16 xwd:- "png:$4"
    touch "$3/captured"
    wait
' _ "$WINE64" "$ROOT/build/win64/bin/winhelpers_tests.exe" "$handshake" "$out" "$(winepath_of "$handshake")"
echo "$out"
