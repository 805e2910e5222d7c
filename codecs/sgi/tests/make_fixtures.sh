#!/usr/bin/env bash
# SGI test files made with ImageMagick and netpbm, each with a reference decode by the tool's own
# reader (NAME.sgi + NAME.ref.ppm), in the folder given.
#   im_rgb       3 channels, verbatim (ImageMagick)     nb_rgb       3 channels, verbatim (netpbm)
#   im_rgb_rle   3 channels, run-length (ImageMagick)   nb_rgb_rle   3 channels, run-length (netpbm)
#   im_rgba      4 channels, verbatim (ImageMagick)     nb_grey_rle  1 channel, run-length (netpbm)
#   im_rgba_rle  4 channels, run-length (ImageMagick)   nb_wide_rle  300 wide, long runs (netpbm)
#   im_grey_rle  1 channel, 2 dimensions, run-length (ImageMagick)
# Odd sizes keep the row padding honest; sources are seeded plasma.
set -euo pipefail
out=$1
mkdir -p "$out"
im=convert-im6.q16
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

$im -size 37x23 -seed 7 plasma:fractal -depth 8 "$tmp/src.ppm"
$im "$tmp/src.ppm" -colorspace Gray -depth 8 "$tmp/grey.pgm"
# Runs longer than a packet holds, next to short ones.
$im -size 300x9 xc:navy -fill orange -draw "rectangle 130,2 299,5" -fill white -draw "point 7,7" \
    -depth 8 "$tmp/wide.ppm"
alpha=(-alpha set -channel A -evaluate set 60% +channel)

$im "$tmp/src.ppm" -depth 8 -compress none "$out/im_rgb.sgi"
$im "$tmp/src.ppm" -depth 8 -compress RLE "$out/im_rgb_rle.sgi"
$im "$tmp/src.ppm" "${alpha[@]}" -depth 8 -compress none "$out/im_rgba.sgi"
$im "$tmp/src.ppm" "${alpha[@]}" -depth 8 -compress RLE "$out/im_rgba_rle.sgi"
$im "$tmp/grey.pgm" -depth 8 -compress RLE "$out/im_grey_rle.sgi"
pnmtosgi -verbatim <"$tmp/src.ppm" >"$out/nb_rgb.sgi" 2>/dev/null
pnmtosgi -rle <"$tmp/src.ppm" >"$out/nb_rgb_rle.sgi" 2>/dev/null
pnmtosgi -rle <"$tmp/grey.pgm" >"$out/nb_grey_rle.sgi" 2>/dev/null
pnmtosgi -rle <"$tmp/wide.ppm" >"$out/nb_wide_rle.sgi" 2>/dev/null

for f in "$out"/im_*.sgi; do
    $im "$f" -depth 8 ppm:"${f%.sgi}.ref.ppm"
done
for f in "$out"/nb_*.sgi; do
    sgitopnm <"$f" 2>/dev/null | ppmtoppm >"${f%.sgi}.ref.ppm" 2>/dev/null
done
touch "$out/stamp"
