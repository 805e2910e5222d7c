#!/usr/bin/env bash
# GIF test files made by ImageMagick, netpbm and giflib's tools, each single image with a
# reference decode by netpbm's giftopnm (NAME.gif + NAME.ref.ppm) in the folder given.
#   im_c200        8 bits, 200 colours (GIF89a)        nb_c200       ppmtogif, GIF87a
#   im_c200_il     the same, interlaced                nb_c16_il     pamtogif -interlace, 16 colours
#   im_c16         16 colours (4-bit DIB)              nb_bilevel    ppmtogif of a bilevel image
#   im_c2          2 colours (1-bit DIB)               im_flat       300 x 200, large flat areas
#                                                                    (LZW strings of thousands)
#   im_anim        two full-screen frames with local colour tables and delays (refs per image:
#                  im_anim.1.ref.ppm, im_anim.2.ref.ppm)
#   gb_overlay     giflib's gifbuild: a screen, a second image at 5,3 with a local table, a
#                  comment and a plain text overlay (refs gb_overlay.1.ref.ppm, .2.ref.ppm)
# Odd sizes keep the row padding honest. Sources are deterministic (seeded plasma).
set -euo pipefail
out=$1
mkdir -p "$out"
im=convert-im6.q16
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

$im -size 37x23 -seed 7 plasma:fractal "$tmp/src.ppm"
$im "$tmp/src.ppm" -colors 200 +dither "$tmp/c200.ppm"
$im "$tmp/src.ppm" -colors 16 +dither "$tmp/c16.ppm"
$im "$tmp/src.ppm" -monochrome "$tmp/bilevel.pbm"

$im "$tmp/c200.ppm" "$out/im_c200.gif"
$im "$tmp/c200.ppm" -interlace GIF "$out/im_c200_il.gif"
$im "$tmp/c16.ppm" "$out/im_c16.gif"
$im "$tmp/bilevel.pbm" "$out/im_c2.gif"
$im -size 300x200 xc:navy -fill orange -draw 'rectangle 40,30 260,170' -fill white -draw 'circle 150,100 150,140' \
    +antialias -colors 4 "$out/im_flat.gif"
ppmtogif <"$tmp/c200.ppm" >"$out/nb_c200.gif" 2>/dev/null
pamtogif -interlace <"$tmp/c16.ppm" >"$out/nb_c16_il.gif" 2>/dev/null
ppmtogif <"$tmp/bilevel.pbm" >"$out/nb_bilevel.gif" 2>/dev/null

for f in "$out"/*.gif; do
    giftopnm <"$f" 2>/dev/null | ppmtoppm >"${f%.gif}.ref.ppm" 2>/dev/null
done

# Two full-screen frames, each with its own colour table.
$im -size 37x23 -seed 9 plasma:fractal -colors 40 +dither "$tmp/second.ppm"
$im -delay 25 "$tmp/c200.ppm" "$tmp/second.ppm" -loop 0 +map "$out/im_anim.gif"
for i in 1 2; do giftopnm --image="$i" <"$out/im_anim.gif" >"$out/im_anim.$i.ref.ppm" 2>/dev/null; done

# A 12 x 8 screen of index 1, a 4 x 3 image at 5,3 with a local table of two new colours, a
# comment and a plain text overlay.
{
    printf 'screen width 12\nscreen height 8\nscreen colors 4\nscreen background 0\npixel aspect byte 0\n\n'
    printf 'screen map\n\tsort flag off\n\trgb 000 000 000 is 0\n\trgb 010 200 030 is 1\n'
    printf '\trgb 250 250 250 is 2\n\trgb 090 040 160 is 3\nend\n\n'
    printf 'comment\nmade by gifbuild\nend\n\n'
    printf 'image # 1\nimage left 0\nimage top 0\nimage bits 12 by 8\n'
    for r in 1 2 3 4 5 6 7 8; do printf '111122223333\n'; done
    printf '\nplaintext\n\\000\\000\\000\\000\\014\\000\\010\\000\\006\\010\\002\\003\nHello world\nend\n\n'
    printf 'image # 2\nimage left 5\nimage top 3\n'
    printf 'image map\n\tsort flag off\n\trgb 255 000 000 is 0\n\trgb 000 000 255 is 1\nend\n'
    printf 'image bits 4 by 3\n0101\n1010\n0110\n'
} >"$tmp/overlay.txt"
gifbuild <"$tmp/overlay.txt" >"$out/gb_overlay.gif"
for i in 1 2; do giftopnm --image="$i" <"$out/gb_overlay.gif" >"$out/gb_overlay.$i.ref.ppm" 2>/dev/null; done
touch "$out/stamp"
