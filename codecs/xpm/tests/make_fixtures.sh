#!/usr/bin/env bash
# XPM and XBM test files made with ImageMagick and netpbm, each with a reference decode by the
# tool's own reader (NAME.xpm or NAME.xbm + NAME.ref.ppm), in the folder given.
#   im_c16    16 colours, 12-digit colours, 1 character a pixel (ImageMagick)
#   im_c200   200 colours, 6-digit colours, 2 characters a pixel (ImageMagick)
#   nb_c16    16 colours, 1 character a pixel (netpbm)
#   nb_c200   200 colours, 2 characters a pixel (netpbm)
#   nb_true   more than 256 colours, 2 characters a pixel (netpbm)
#   im_bits   37 x 23 bitmap (ImageMagick)      nb_bits    37 x 23 bitmap (netpbm)
#   nb_bits10 10 x 6 bitmap: two bytes a row (netpbm)
# netpbm writes hexadecimal colours only (-hexonly): its names are netpbm's own, not X's.
# Sources are seeded plasma.
set -euo pipefail
out=$1
mkdir -p "$out"
im=convert-im6.q16
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

$im -size 37x23 -seed 7 plasma:fractal -depth 8 "$tmp/src.ppm"
$im "$tmp/src.ppm" -colors 16 +dither -depth 8 "$tmp/c16.ppm"
$im "$tmp/src.ppm" -colors 200 +dither -depth 8 "$tmp/c200.ppm"
$im "$tmp/src.ppm" -monochrome "$tmp/bits.pbm"
$im "$tmp/src.ppm" -crop 10x6+3+3 +repage -monochrome "$tmp/bits10.pbm"

$im "$tmp/c16.ppm" -depth 16 "$out/im_c16.xpm"
$im "$tmp/c200.ppm" -depth 8 "$out/im_c200.xpm"
ppmtoxpm -hexonly <"$tmp/c16.ppm" >"$out/nb_c16.xpm" 2>/dev/null
ppmtoxpm -hexonly <"$tmp/c200.ppm" >"$out/nb_c200.xpm" 2>/dev/null
ppmtoxpm -hexonly <"$tmp/src.ppm" >"$out/nb_true.xpm" 2>/dev/null
$im "$tmp/bits.pbm" "$out/im_bits.xbm"
pbmtoxbm <"$tmp/bits.pbm" >"$out/nb_bits.xbm" 2>/dev/null
pbmtoxbm <"$tmp/bits10.pbm" >"$out/nb_bits10.xbm" 2>/dev/null

# ImageMagick reads its own 12-digit colours at 16 bits: the reference keeps them.
$im "$out/im_c16.xpm" -depth 16 ppm:"$out/im_c16.ref.ppm"
$im "$out/im_c200.xpm" -depth 8 ppm:"$out/im_c200.ref.ppm"
$im "$out/im_bits.xbm" -depth 8 ppm:"$out/im_bits.ref.ppm"
for f in "$out"/nb_*.xpm; do
    xpmtoppm <"$f" >"${f%.xpm}.ref.ppm" 2>/dev/null
done
for f in "$out"/nb_*.xbm; do
    xbmtopbm <"$f" 2>/dev/null | ppmtoppm >"${f%.xbm}.ref.ppm" 2>/dev/null
done
touch "$out/stamp"
