#!/usr/bin/env bash
# Third-party libraries built for the Windows targets into the deps cache, once.
# (Filled in as libraries that Debian does not ship for MinGW are needed.)
set -euo pipefail
TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$TOOLS/env.sh"
mkdir -p "$KEL_DEPS/win64" "$KEL_DEPS/win32"
