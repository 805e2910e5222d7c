#!/usr/bin/env bash
# Creates and configures the Wine prefix used to run and test Kelgrove (outside the work tree).
# A stamp records the configuration version; bump it when this script changes what it sets.
# No window manager runs in the test display: windows are neither decorated nor managed by one
# (a managed window makes Wine wait about 2 s for a window manager whenever it is hidden).
set -euo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/../env.sh"
VERSION=2
stamp="$WINEPREFIX/.kelgrove-prefix"
[ "$(cat "$stamp" 2>/dev/null)" = "$VERSION" ] && exit 0

mkdir -p "$KEL_CACHE"
exec 9>"$KEL_CACHE/prefix.lock"
flock 9
[ "$(cat "$stamp" 2>/dev/null)" = "$VERSION" ] && exit 0

echo "setup: preparing the Wine prefix in $WINEPREFIX"
env -u DISPLAY "$WINE64" wineboot -i >/dev/null 2>&1
cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
env -u DISPLAY "$WINE64" regedit /S "$(winepath_of "$HERE/settings.reg")" >/dev/null 2>&1
x86_64-w64-mingw32-gcc -O2 -s -o "$KEL_CACHE/addprinter.exe" "$HERE/addprinter.c" -lwinspool
env -u DISPLAY "$WINE64" "$KEL_CACHE/addprinter.exe"
"$WINESERVER" -w
echo "$VERSION" >"$stamp"
