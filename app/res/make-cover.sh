#!/usr/bin/env bash
# Draws the start-up cover picture "KEL2_C.bmp": a 256-colour BMP of three framed landscapes on a
# shelf under the program's name. Usage: make-cover.sh OUTPUT.bmp
set -euo pipefail
out=$1
draw=()

frame() { # X Y SKY GROUND: one framed landscape of 96 x 72 at X,Y
    local x=$1 y=$2 r=$(($1 + 95)) b=$(($2 + 71))
    draw+=(-fill '#5a3a1a' -draw "rectangle $x,$y $r,$b"
           -fill '#f4e8c8' -draw "rectangle $((x + 4)),$((y + 4)) $((r - 4)),$((b - 4))"
           -fill "$3" -draw "rectangle $((x + 8)),$((y + 8)) $((r - 8)),$((b - 8))"
           -fill '#ffd83a' -draw "circle $((x + 66)),$((y + 22)) $((x + 66)),$((y + 16))"
           -fill "$4" -draw "polygon $((x + 8)),$((b - 8)) $((x + 8)),$((y + 46)) $((x + 30)),$((y + 32)) $((x + 52)),$((y + 48)) $((x + 70)),$((y + 38)) $((r - 8)),$((b - 8))")
}
frame 40 150 '#6fa8dc' '#3a8a3a'
frame 192 150 '#f4a261' '#7a5230'
frame 344 150 '#9ad1d4' '#2a6a5a'

convert-im6.q16 -size 480x300 'gradient:#1d3557-#457b9d' "${draw[@]}" \
    -fill '#e9c46a' -draw 'rectangle 24,228 456,236' \
    -fill white -font Liberation-Serif-Bold -pointsize 54 -gravity north -annotate +0+34 'Kelgrove' \
    -fill '#f1faee' -font Liberation-Sans -pointsize 20 -annotate +0+100 'Image Catalog' \
    -fill '#a8dadc' -pointsize 13 -gravity south -annotate +0+22 'Catalogs of pictures on every disk, CD-ROM and network share' \
    +dither -colors 256 -type Palette "BMP3:$out"
