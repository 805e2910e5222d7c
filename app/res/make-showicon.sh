#!/usr/bin/env bash
# Draws the application's own icon "SHOWICON" (a framed landscape picture: sky, sun, hills)
# at 32 and 16 pixels into one .ico file. Usage: make-showicon.sh OUTPUT.ico
set -euo pipefail
out=$1
im=convert-im6.q16
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

$im -size 32x32 xc:none \
    -fill '#5a3a1a' -draw 'rectangle 1,3 30,28' \
    -fill '#f4e8c8' -draw 'rectangle 3,5 28,26' \
    -fill '#6fa8dc' -draw 'rectangle 5,7 26,24' \
    -fill '#ffd83a' -draw 'circle 20,12 20,9' \
    -fill '#3a8a3a' -draw 'polygon 5,24 5,19 11,14 17,20 21,17 26,21 26,24' \
    -fill '#2a6a2a' -draw 'polygon 5,24 12,18 19,24' \
    "png32:$tmp/32.png"
$im "$tmp/32.png" -filter point -resize 16x16 "png32:$tmp/16.png"
$im "$tmp/32.png" "$tmp/16.png" "$out"
