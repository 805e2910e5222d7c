#!/usr/bin/env bash
# Starts kelgrove.exe under Wine. With a display it runs there; without one it runs inside an
# Xvfb, a screenshot of the screen is saved once the program is up, and the program is closed.
# KEL_RUN_MENU=<letter> pulls down the frame's menu with that mnemonic before the screenshot
# (for example KEL_RUN_MENU=o for Options).
set -uo pipefail
TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$TOOLS/env.sh"
ROOT=$(dirname "$TOOLS")
exe="$ROOT/build/win64/bin/kelgrove.exe"
opener="$ROOT/build/win64/bin/app_tests.exe"

if [ -n "${DISPLAY:-}" ]; then
    exec "$WINE64" "$exe" "$@"
fi

shot="$ROOT/build/screenshot.png"
"$TOOLS/wine-session.sh" bash -c '
    "$1" "$2" "${@:6}" &
    if [ -n "${KEL_RUN_MENU:-}" ]; then
        sleep 1
        "$1" "$4" --gtest_also_run_disabled_tests \
            --gtest_filter=Screenshot.DISABLED_OpenMenuOfTheRunningFrame >/dev/null
    fi
    sleep "${KEL_RUN_WAIT:-5}"
    xwd -root -silent | convert-im6.q16 xwd:- "png:$3"
    kill %1 2>/dev/null
' _ "$WINE64" "$exe" "$shot" "$opener" _ "$@"
echo "No display: Kelgrove ran in a virtual screen; its screenshot is $shot"
