#!/usr/bin/env bash
# Third-party libraries built for the Windows targets into the deps cache, once.
#
# Debian does not ship them for MinGW, so their Debian source packages are fetched through a
# private apt source list kept in the cache (the system's apt configuration is not touched),
# built with the project's MinGW toolchains as static libraries and installed under
# $KEL_DEPS/win64 and $KEL_DEPS/win32, which the toolchain files search. A stamp per library and
# target makes later runs instant; bump RECIPE when a build recipe below changes.
#   libjpeg-turbo  the JPEG codec library (with its SIMD code, assembled by nasm)
#   tiff           libtiff, for the TIFF codec library (with JPEG and deflate compression)
set -euo pipefail
TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$TOOLS/env.sh"
ROOT=$(dirname "$TOOLS")
RECIPE=2
ARCHES=(win64 win32)
LIBS=(libjpeg-turbo tiff)
mkdir -p "$KEL_DEPS/win64" "$KEL_DEPS/win32"

stamp() { echo "$KEL_DEPS/$1/stamps/$2"; }
all_built() {
    local arch lib
    for arch in "${ARCHES[@]}"; do
        for lib in "${LIBS[@]}"; do
            [ "$(cat "$(stamp "$arch" "$lib")" 2>/dev/null)" = "recipe $RECIPE" ] || return 1
        done
    done
}
all_built && exit 0

# Several work trees share the cache: one builder at a time, the others wait and then find
# everything built.
exec 9>"$KEL_DEPS/.lock"
flock 9
all_built && exit 0

APT_DIR="$KEL_DEPS/apt"
SRC_DIR="$KEL_DEPS/src"
mkdir -p "$APT_DIR/lists/partial" "$APT_DIR/cache/archives/partial" "$SRC_DIR"
cat >"$APT_DIR/sources.list" <<'EOF'
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
EOF
APT_OPTS=(-o "Dir::Etc::SourceList=$APT_DIR/sources.list" -o Dir::Etc::SourceParts=/dev/null
          -o "Dir::State::Lists=$APT_DIR/lists" -o "Dir::Cache=$APT_DIR/cache" -o APT::Sandbox::User=root
          -o Debug::NoLocking=1 -o DPkg::Lock::Timeout=600)

# Unpacked source tree of a Debian source package (Debian's patches applied), fetched once.
source_tree() {
    local pkg=$1 dir
    dir=$(find "$SRC_DIR/$pkg" -mindepth 1 -maxdepth 1 -type d -name "$pkg-*" 2>/dev/null | head -1)
    if [ -z "$dir" ]; then
        if ! ls "$APT_DIR/lists/"*Sources* >/dev/null 2>&1; then
            echo "setup: reading the Debian source index" >&2
            apt-get -qq "${APT_OPTS[@]}" update >&2 ||
                { echo "setup: cannot read the Debian source index (needed for $pkg)" >&2; return 1; }
        fi
        rm -rf "$SRC_DIR/$pkg" && mkdir -p "$SRC_DIR/$pkg"
        echo "setup: fetching the Debian source package $pkg" >&2
        if ! (cd "$SRC_DIR/$pkg" && apt-get -qq "${APT_OPTS[@]}" source "$pkg" >"$SRC_DIR/$pkg.log" 2>&1); then
            tail -5 "$SRC_DIR/$pkg.log" >&2
            echo "setup: cannot get the Debian source package '$pkg'; the Windows build needs it" >&2
            rm -rf "$SRC_DIR/$pkg"
            return 1
        fi
        dir=$(find "$SRC_DIR/$pkg" -mindepth 1 -maxdepth 1 -type d -name "$pkg-*" | head -1)
        [ -n "$dir" ] || { echo "setup: the source package '$pkg' did not unpack" >&2; return 1; }
    fi
    echo "$dir"
}

# cmake configure + build + install of one library for one target; the log stays in the cache.
build_one() {
    local lib=$1 arch=$2 src=$3; shift 3
    local build="$KEL_DEPS/build/$arch/$lib" log="$KEL_DEPS/build/$arch/$lib.log"
    local prefix="$KEL_DEPS/$arch"
    echo "setup: building $lib for $arch" >&2
    rm -rf "$build" && mkdir -p "$build"
    if ! { cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
               -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" -DKEL_DEPS="$prefix" \
               -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR="$prefix/lib" "$@" &&
           cmake --build "$build" && cmake --install "$build"; } >"$log" 2>&1; then
        tail -20 "$log" >&2
        echo "setup: building $lib for $arch failed (log: $log)" >&2
        return 1
    fi
    mkdir -p "$prefix/stamps"
    echo "recipe $RECIPE" >"$(stamp "$arch" "$lib")"
}

triple() { [ "$1" = win64 ] && echo x86_64-w64-mingw32 || echo i686-w64-mingw32; }

jpeg_src=$(source_tree libjpeg-turbo)
tiff_src=$(source_tree tiff)
for arch in "${ARCHES[@]}"; do
    prefix="$KEL_DEPS/$arch"
    # REQUIRE_SIMD: a build that silently fell back to plain C would be several times slower.
    [ "$(cat "$(stamp "$arch" libjpeg-turbo)" 2>/dev/null)" = "recipe $RECIPE" ] ||
        build_one libjpeg-turbo "$arch" "$jpeg_src" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
            -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON
    [ "$(cat "$(stamp "$arch" tiff)" 2>/dev/null)" = "recipe $RECIPE" ] ||
        build_one tiff "$arch" "$tiff_src" -DBUILD_SHARED_LIBS=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF \
            -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF -Djpeg=ON -Djpeg12=OFF -Dzlib=ON -Dpixarlog=ON \
            -Dlibdeflate=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Djbig=OFF -Dlerc=OFF \
            -DJPEG_INCLUDE_DIR="$prefix/include" -DJPEG_LIBRARY="$prefix/lib/libjpeg.a" \
            -DZLIB_INCLUDE_DIR="/usr/$(triple "$arch")/include" -DZLIB_LIBRARY="/usr/$(triple "$arch")/lib/libz.a"
done
all_built
