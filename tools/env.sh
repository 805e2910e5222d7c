# Shared environment of the driver and its tools: where the caches live and how Wine is called.
# Wine 8 on Debian: call the 64-bit loader directly (the wrapper may pick the 32-bit one).
KEL_CACHE=${KEL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kelgrove}
KEL_DEPS=${KEL_DEPS:-$KEL_CACHE/deps}
export WINEPREFIX=${KEL_WINEPREFIX:-$KEL_CACHE/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADER=/usr/lib/wine/wine64
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64

# Windows form of an absolute Linux path through Wine's Z: drive (the prefix maps Z: to /).
winepath_of() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }
