#!/usr/bin/env bash
# PNG test files of every colour type, bit depth and interlace, made by ImageMagick and netpbm,
# each with a reference decode by netpbm's pngtopam (NAME.png + NAME.ref.pam) in the folder given.
#   nb_grey1 nb_grey2 nb_grey4 nb_grey8   grey, 1 to 8 bits (pnmtopng)     im_grey16    grey, 16 bits
#   nb_pal1 nb_pal2 nb_pal4 nb_pal8       palette, 1 to 8 bits (pnmtopng)  im_greyalpha grey + alpha
#   im_rgb8 im_rgb16                      RGB, 8 and 16 bits               im_rgba8     RGB + alpha
#   nb_rgb8_il nb_pal4_il                 Adam7 interlaced (pnmtopng -interlace)
# Odd sizes keep the row padding and the Adam7 passes honest. Sources are deterministic.
set -euo pipefail
out=$1
mkdir -p "$out"
im=convert-im6.q16
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

$im -size 37x23 -seed 7 plasma:fractal -depth 8 "$tmp/src.ppm"
$im "$tmp/src.ppm" -colorspace Gray -depth 8 "$tmp/grey.pgm"
$im "$tmp/src.ppm" -monochrome "$tmp/bilevel.pbm"
pamdepth 3 <"$tmp/grey.pgm" >"$tmp/grey2.pgm" 2>/dev/null
pamdepth 15 <"$tmp/grey.pgm" >"$tmp/grey4.pgm" 2>/dev/null
$im "$tmp/src.ppm" -colors 2 +dither -depth 8 "$tmp/c2.ppm"
$im "$tmp/src.ppm" -colors 4 +dither -depth 8 "$tmp/c4.ppm"
$im "$tmp/src.ppm" -colors 16 +dither -depth 8 "$tmp/c16.ppm"
$im "$tmp/src.ppm" -colors 200 +dither -depth 8 "$tmp/c200.ppm"

pnmtopng <"$tmp/bilevel.pbm" >"$out/nb_grey1.png" 2>/dev/null
pnmtopng <"$tmp/grey2.pgm" >"$out/nb_grey2.png" 2>/dev/null
pnmtopng <"$tmp/grey4.pgm" >"$out/nb_grey4.png" 2>/dev/null
pnmtopng <"$tmp/grey.pgm" >"$out/nb_grey8.png" 2>/dev/null
pnmtopng <"$tmp/c2.ppm" >"$out/nb_pal1.png" 2>/dev/null
pnmtopng <"$tmp/c4.ppm" >"$out/nb_pal2.png" 2>/dev/null
pnmtopng <"$tmp/c16.ppm" >"$out/nb_pal4.png" 2>/dev/null
pnmtopng <"$tmp/c200.ppm" >"$out/nb_pal8.png" 2>/dev/null
pnmtopng -interlace <"$tmp/src.ppm" >"$out/nb_rgb8_il.png" 2>/dev/null
pnmtopng -interlace <"$tmp/c16.ppm" >"$out/nb_pal4_il.png" 2>/dev/null
$im "$tmp/grey.pgm" -depth 16 -define png:bit-depth=16 -define png:color-type=0 "$out/im_grey16.png"
$im "$tmp/grey.pgm" \( "$tmp/grey.pgm" -negate \) -alpha off -compose CopyOpacity -composite \
    -depth 8 -define png:color-type=4 "$out/im_greyalpha.png"
$im "$tmp/src.ppm" -depth 8 -define png:color-type=2 "$out/im_rgb8.png"
$im "$tmp/src.ppm" -depth 16 -define png:bit-depth=16 -define png:color-type=2 "$out/im_rgb16.png"
$im "$tmp/src.ppm" \( "$tmp/grey.pgm" \) -alpha off -compose CopyOpacity -composite \
    -depth 8 -define png:color-type=6 "$out/im_rgba8.png"

for f in "$out"/*.png; do
    pngtopam -alphapam <"$f" >"${f%.png}.ref.pam" 2>/dev/null || pngtopam <"$f" >"${f%.png}.ref.pam" 2>/dev/null
done
touch "$out/stamp"
