#!/usr/bin/env bash
# Runs a command inside one Xvfb display with one persistent wineserver for the project's prefix,
# so every Wine process of the command starts in ~0.05 s. The server is stopped inside the same
# display (a server that outlives its X display breaks). Exit status is the command's.
# KEL_XVFB_DEPTH picks the screen depth (8 gives a palette device). KEL_SESSION_SETUP, when set,
# is a command run before the server starts (what Wine reads only at server start, such as
# drives); KEL_SESSION_TEARDOWN, when set, runs before the server stops.
set -uo pipefail
TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$TOOLS/env.sh"

n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 "1024x768x${KEL_XVFB_DEPTH:-24}" -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
export DISPLAY=":$n"

cleanup() {
    if [ -n "${KEL_SESSION_TEARDOWN:-}" ]; then eval "$KEL_SESSION_TEARDOWN"; fi
    "$WINESERVER" -k >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1
    kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -n "${KEL_SESSION_SETUP:-}" ]; then eval "$KEL_SESSION_SETUP" || exit 1; fi
"$WINESERVER" -p </dev/null >/dev/null 2>&1
"$WINE64" cmd /c exit </dev/null >/dev/null 2>&1
"$@"
