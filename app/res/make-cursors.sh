#!/usr/bin/env bash
# Draws the frame's cursors into OUTDIR: "kelcross.cur" (a thin cross with a hollow centre for
# marking areas of an image, hot spot in the middle) and "helpcursor.cur" (an arrow with a
# question mark, hot spot at the arrow's tip). Usage: make-cursors.sh OUTDIR
set -euo pipefail
out=$1
im=convert-im6.q16

# ImageMagick writes an icon file; a cursor file differs in its type word (2) and in the two
# words of each directory entry that hold the hot spot.
to_cursor() { # FILE X Y
    printf '\x02\x00' | dd of="$1" bs=1 seek=2 conv=notrunc status=none
    printf "\\x$(printf %02x "$2")\\x00\\x$(printf %02x "$3")\\x00" | dd of="$1" bs=1 seek=10 conv=notrunc status=none
}

$im -size 32x32 xc:none -fill none \
    -stroke white -strokewidth 3 -draw 'line 15,1 15,12' -draw 'line 15,18 15,30' \
    -draw 'line 1,15 12,15' -draw 'line 18,15 30,15' \
    -stroke black -strokewidth 1 -draw 'line 15,1 15,12' -draw 'line 15,18 15,30' \
    -draw 'line 1,15 12,15' -draw 'line 18,15 30,15' \
    "cur:$out/kelcross.cur"
to_cursor "$out/kelcross.cur" 15 15

$im -size 32x32 xc:none \
    -fill black -stroke black -draw 'polygon 0,0 0,17 4,13 7,20 9,19 6,12 11,12' \
    -fill white -stroke none -draw 'polygon 1,2 1,14 4,11 7,18 8,17 5,11 9,11' \
    -fill white -stroke black -strokewidth 1 -draw 'circle 21,10 21,2' \
    -fill black -stroke none -font DejaVu-Sans-Bold -pointsize 13 -annotate +17+15 '?' \
    "cur:$out/helpcursor.cur"
to_cursor "$out/helpcursor.cur" 0 0
