#!/usr/bin/env bash
# Sun raster test files made with netpbm and ImageMagick, each with a reference decode by the
# tool's own reader (NAME.ras + NAME.ref.ppm), in the folder given.
#   nb_1bit     1 bit, no colour map (netpbm, standard)    nb_24bit     24 bits (netpbm, standard)
#   nb_8bit     8 bits, 195-colour map (netpbm, standard)  nb_24bit_w3  24 bits, 3 pixels wide
#   nb_grey     8 bits, grey map (netpbm, standard)        im_8bit      8 bits with map (ImageMagick)
# and files the codec refuses: nb_rle (run-length encoded, type 2) and im_24bit (ImageMagick's
# red-first 24-bit type 3). Odd sizes keep the row padding honest; sources are seeded plasma.
set -euo pipefail
out=$1
mkdir -p "$out"
im=convert-im6.q16
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

$im -size 37x23 -seed 7 plasma:fractal -depth 8 "$tmp/src.ppm"
$im "$tmp/src.ppm" -colors 200 +dither -depth 8 "$tmp/c200.ppm"
$im "$tmp/src.ppm" -monochrome "$tmp/bilevel.pbm"
$im "$tmp/src.ppm" -colorspace Gray -depth 8 "$tmp/grey.pgm"
# More than 256 colours, so that netpbm writes 24 bits.
$im -size 3x120 -seed 3 plasma:fractal -depth 8 "$tmp/narrow.ppm"

pnmtorast -standard <"$tmp/bilevel.pbm" >"$out/nb_1bit.ras" 2>/dev/null
pnmtorast -standard <"$tmp/c200.ppm" >"$out/nb_8bit.ras" 2>/dev/null
pnmtorast -standard <"$tmp/grey.pgm" >"$out/nb_grey.ras" 2>/dev/null
pnmtorast -standard <"$tmp/src.ppm" >"$out/nb_24bit.ras" 2>/dev/null
pnmtorast -standard <"$tmp/narrow.ppm" >"$out/nb_24bit_w3.ras" 2>/dev/null
pnmtorast -rle <"$tmp/c200.ppm" >"$out/nb_rle.ras" 2>/dev/null
$im "$tmp/c200.ppm" -type Palette "$out/im_8bit.ras"
$im "$tmp/src.ppm" -type TrueColor "$out/im_24bit.ras"

for f in "$out"/nb_*.ras; do
    [ "$f" = "$out/nb_rle.ras" ] && continue
    rasttopnm <"$f" 2>/dev/null | ppmtoppm >"${f%.ras}.ref.ppm" 2>/dev/null
done
for f in "$out"/im_8bit.ras; do
    $im "$f" -depth 8 ppm:"${f%.ras}.ref.ppm"
done
touch "$out/stamp"
