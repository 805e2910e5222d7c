#!/usr/bin/env bash
# PCX test files of every variant the codec reads, made with ImageMagick and netpbm, each with a
# reference decode by netpbm's pcxtoppm (NAME.pcx + NAME.ref.ppm) in the folder given.
#   im_palette8      8 bits, 256-colour trailer         nb_bilevel   1 bit, 1 plane
#   im_palette8_raw  the same, not encoded              nb_planes2   1 bit, 2 planes
#   im_truecolor     8 bits, 3 planes                   nb_planes3   1 bit, 3 planes
#   im_truecolor_raw the same, not encoded              nb_planes4   1 bit, 4 planes
#   nb_packed2       2 bits, 1 plane                    nb_8bit      8 bits, trailer (netpbm)
#   nb_packed4       4 bits, 1 plane                    nb_24bit     8 bits, 3 planes (netpbm)
# Odd sizes keep the row padding honest. Sources are deterministic (seeded plasma).
set -euo pipefail
out=$1
mkdir -p "$out"
im=convert-im6.q16
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

$im -size 37x23 -seed 7 plasma:fractal "$tmp/src.ppm"
$im "$tmp/src.ppm" -colors 4 +dither "$tmp/c4.ppm"
$im "$tmp/src.ppm" -colors 8 +dither "$tmp/c8.ppm"
$im "$tmp/src.ppm" -colors 16 +dither "$tmp/c16.ppm"
$im "$tmp/src.ppm" -colors 200 +dither "$tmp/c200.ppm"

$im "$tmp/src.ppm" -monochrome "$tmp/bilevel.pbm"

$im "$tmp/c200.ppm" -type Palette "$out/im_palette8.pcx"
$im "$tmp/c200.ppm" -type Palette -compress none "$out/im_palette8_raw.pcx"
$im "$tmp/src.ppm" -type TrueColor "$out/im_truecolor.pcx"
$im "$tmp/src.ppm" -type TrueColor -compress none "$out/im_truecolor_raw.pcx"
ppmtopcx <"$tmp/bilevel.pbm" >"$out/nb_bilevel.pcx" 2>/dev/null
ppmtopcx -packed <"$tmp/c4.ppm" >"$out/nb_packed2.pcx" 2>/dev/null
ppmtopcx -packed <"$tmp/c16.ppm" >"$out/nb_packed4.pcx" 2>/dev/null
ppmtopcx -planes 2 <"$tmp/c4.ppm" >"$out/nb_planes2.pcx" 2>/dev/null
ppmtopcx -planes 3 <"$tmp/c8.ppm" >"$out/nb_planes3.pcx" 2>/dev/null
ppmtopcx -planes 4 <"$tmp/c16.ppm" >"$out/nb_planes4.pcx" 2>/dev/null
ppmtopcx -8bit <"$tmp/c200.ppm" >"$out/nb_8bit.pcx" 2>/dev/null
ppmtopcx -24bit <"$tmp/src.ppm" >"$out/nb_24bit.pcx" 2>/dev/null

for f in "$out"/*.pcx; do
    case "$f" in *_raw.pcx) continue ;; esac
    pcxtoppm <"$f" >"${f%.pcx}.ref.ppm" 2>/dev/null
done
# pcxtoppm reads only encoded files: a raw file's reference is its encoded twin's, once
# ImageMagick has decoded the raw file to the same pixels.
for f in "$out"/*_raw.pcx; do
    twin="${f%_raw.pcx}.ref.ppm"
    $im "$f" ppm:"$tmp/raw.ppm"
    cmp -s "$tmp/raw.ppm" "$twin" || { echo "make_fixtures: $f does not decode like its twin" >&2; exit 1; }
    cp "$twin" "${f%.pcx}.ref.ppm"
done
touch "$out/stamp"
