#!/usr/bin/env bash
# ctest's cross-compiling emulator: runs one Windows program with the project's prefix.
TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$TOOLS/env.sh"
exec "$WINE64" "$@"
