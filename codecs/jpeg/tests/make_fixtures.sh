#!/usr/bin/env bash
# JPEG test files made with ImageMagick, each with a reference decode by ImageMagick (which
# decodes through Debian's libjpeg-turbo): NAME.jpg + NAME.ref.ppm, and for scaled decoding
# NAME.s<D>.ref.ppm (the image decoded at 1/D of its size), in the folder given.
#   baseline   4:2:0 baseline, odd size, 300 dpi   s444       4:4:4 baseline
#   prog       progressive                    cmyk       Adobe CMYK
#   grey       one channel                    photo      256 x 192, for the scaled decodes
# Sources are deterministic (seeded plasma).
set -euo pipefail
out=$1
mkdir -p "$out"
im=convert-im6.q16
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

$im -size 61x47 -seed 7 plasma:fractal "$tmp/src.ppm"
$im "$tmp/src.ppm" -quality 90 -sampling-factor 2x2 -density 300 -units PixelsPerInch "$out/baseline.jpg"
$im "$tmp/src.ppm" -quality 85 -interlace JPEG "$out/prog.jpg"
$im "$tmp/src.ppm" -colorspace Gray -quality 90 "$out/grey.jpg"
$im "$tmp/src.ppm" -quality 92 -sampling-factor 1x1 "$out/s444.jpg"
$im "$tmp/src.ppm" -colorspace CMYK -quality 90 "$out/cmyk.jpg"
$im -size 256x192 -seed 3 plasma:fractal -quality 80 "$out/photo.jpg"

for f in "$out"/*.jpg; do
    $im "$f" ppm:"${f%.jpg}.ref.ppm"
done
# Scaled references: ImageMagick's size hint makes libjpeg decode at the scale that reaches it.
$im -define jpeg:size=30x23 "$out/baseline.jpg" ppm:"$out/baseline.s2.ref.ppm"
$im -define jpeg:size=15x11 "$out/prog.jpg" ppm:"$out/prog.s4.ref.ppm"
$im -define jpeg:size=64x48 "$out/photo.jpg" ppm:"$out/photo.s4.ref.ppm"
$im -define jpeg:size=32x24 "$out/photo.jpg" ppm:"$out/photo.s8.ref.ppm"
touch "$out/stamp"
