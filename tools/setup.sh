#!/usr/bin/env bash
# Installs what Kelgrove needs on a Debian machine, idempotently and quickly when all is there:
# apt packages, the third-party libraries built for Windows (deps cache) and the Wine prefix.
set -euo pipefail
TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$TOOLS/env.sh"

packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 xvfb xauth x11-apps
          imagemagick fonts-wine fonts-liberation ghostscript cmake ninja-build googletest
          libz-mingw-w64-dev nasm netpbm dpkg-dev giflib-tools)
# The X Window System colour database, which the XPM codec's colour names are made from.
packages+=(x11-common)
[ "${1:-}" = --bench ] && packages+=(libjpeg-turbo-progs libvips-tools sqlite3)
# The catalog benchmark's SQLite side is a small native program against the library.
[ "${1:-}" = --bench ] && packages+=(libsqlite3-dev gcc)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

"$TOOLS/deps.sh"
"$TOOLS/prefix/make-prefix.sh"
