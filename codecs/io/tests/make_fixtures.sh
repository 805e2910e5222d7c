#!/usr/bin/env bash
# Targa and IFF test files of the variants the codecs read, made with ImageMagick and netpbm,
# each with a reference decode (NAME.ref.ppm) in the folder given. Targa references come from
# netpbm's tgatoppm, checked against ImageMagick's decode of the same file; IFF references from
# ilbmtoppm (ImageMagick has no IFF coder).
#   im_rgb24[_rle]   type 2 / 10, 24 bits       nb_rgb[_rle]     type 2 / 10 (ppmtotga)
#   im_rgba32[_rle]  type 2 / 10, 32 bits       nb_cmap[_rle]    type 1 / 9 (ppmtotga)
#   im_cmap[_rle]    type 1 / 9, 8 bits         nb_mono_raw      type 3 (ppmtotga)
#   im_grey          type 3, 8 bits             im_topleft       type 2, top row first
#   im_grey_rle      type 11 (refused by the codec: no reference)
#   nb_bilevel.iff   1 plane (white, black)     nb_c5.iff        3 planes, 5 colours
#   nb_c16[_raw].iff 4 planes                   nb_c200.iff      8 planes
#   nb_deep24[_raw].iff 24 planes               nb_ham6.iff, nb_ham8.iff  hold-and-modify
# Odd sizes keep the row padding honest. Sources are deterministic (seeded plasma).
set -euo pipefail
out=$1
mkdir -p "$out"
im=convert-im6.q16
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

$im -size 37x23 -seed 7 plasma:fractal -depth 8 "$tmp/src.ppm"
$im "$tmp/src.ppm" -colors 200 +dither -depth 8 "$tmp/c200.ppm"
$im "$tmp/src.ppm" -colors 16 +dither -depth 8 "$tmp/c16.ppm"
$im "$tmp/src.ppm" -colors 5 +dither -depth 8 "$tmp/c5.ppm"
$im "$tmp/src.ppm" -colorspace Gray -depth 8 "$tmp/grey.pgm"
$im "$tmp/src.ppm" -monochrome "$tmp/bilevel.pbm"

# ---- Targa ------------------------------------------------------------------------------------
$im "$tmp/src.ppm" -type TrueColor -compress None "$out/im_rgb24.tga"
$im "$tmp/src.ppm" -type TrueColor -compress RLE "$out/im_rgb24_rle.tga"
$im "$tmp/src.ppm" -alpha set -channel A -evaluate set 100% +channel -type TrueColorAlpha -compress None \
    "$out/im_rgba32.tga"
$im "$tmp/src.ppm" -alpha set -channel A -evaluate set 100% +channel -type TrueColorAlpha -compress RLE \
    "$out/im_rgba32_rle.tga"
$im "$tmp/c200.ppm" -type Palette -compress None "$out/im_cmap.tga"
$im "$tmp/c200.ppm" -type Palette -compress RLE "$out/im_cmap_rle.tga"
$im "$tmp/grey.pgm" -type Grayscale -compress None "$out/im_grey.tga"
$im "$tmp/grey.pgm" -type Grayscale -compress RLE "$out/im_grey_rle.tga"
$im "$tmp/src.ppm" -type TrueColor -compress None -orient TopLeft "$out/im_topleft.tga"
ppmtotga -rgb -norle <"$tmp/src.ppm" >"$out/nb_rgb.tga" 2>/dev/null
ppmtotga -rgb <"$tmp/src.ppm" >"$out/nb_rgb_rle.tga" 2>/dev/null
ppmtotga -cmap -norle <"$tmp/c200.ppm" >"$out/nb_cmap.tga" 2>/dev/null
ppmtotga -cmap <"$tmp/c200.ppm" >"$out/nb_cmap_rle.tga" 2>/dev/null
ppmtotga -mono -norle <"$tmp/grey.pgm" >"$out/nb_mono_raw.tga" 2>/dev/null

for f in "$out"/*.tga; do
    case "$f" in *_grey_rle.tga) continue ;; esac
    ref="${f%.tga}.ref.ppm"
    tgatoppm "$f" 2>/dev/null | ppmtoppm >"$ref" 2>/dev/null
    $im "$f" -auto-orient -alpha off -depth 8 ppm:"$tmp/im.ppm"
    cmp -s "$ref" "$tmp/im.ppm" || { echo "make_fixtures: tgatoppm and ImageMagick disagree on $f" >&2; exit 1; }
done

# ---- IFF (ILBM) ---------------------------------------------------------------------------------
ppmtoilbm <"$tmp/bilevel.pbm" >"$out/nb_bilevel.iff" 2>/dev/null
ppmtoilbm <"$tmp/c5.ppm" >"$out/nb_c5.iff" 2>/dev/null
ppmtoilbm <"$tmp/c16.ppm" >"$out/nb_c16.iff" 2>/dev/null
ppmtoilbm -nocompress <"$tmp/c16.ppm" >"$out/nb_c16_raw.iff" 2>/dev/null
ppmtoilbm -maxplanes 8 <"$tmp/c200.ppm" >"$out/nb_c200.iff" 2>/dev/null
ppmtoilbm -24force <"$tmp/src.ppm" >"$out/nb_deep24.iff" 2>/dev/null
ppmtoilbm -24force -nocompress <"$tmp/src.ppm" >"$out/nb_deep24_raw.iff" 2>/dev/null
ppmtoilbm -ham6 <"$tmp/src.ppm" >"$out/nb_ham6.iff" 2>/dev/null
ppmtoilbm -ham8 <"$tmp/src.ppm" >"$out/nb_ham8.iff" 2>/dev/null
for f in "$out"/*.iff; do
    ilbmtoppm "$f" 2>/dev/null | ppmtoppm >"${f%.iff}.ref.ppm" 2>/dev/null
done
touch "$out/stamp"
