#!/usr/bin/env bash
# Makes the colour-name table of the XPM reader's name rule from the X Window System colour
# database (rgb.txt): its plain named colours (one word, no digits; the "grey" spellings are left
# out because the name rule reads grey as gray, and so is a distribution's own addition), Gray0
# to Gray100, and Transparent (0, 0, 1). Names are kept in the form the rule looks them up in:
# lower case without spaces, sorted.
#   make_colour_names.sh RGB_TXT OUTPUT_INC
set -euo pipefail
db=$1
out=$2
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
awk '
    /^!/ || NF != 4 { next }
    {
        name = tolower($4)
        if (name ~ /grey/ || name == "debianred") next
        if (name ~ /[0-9]/ && name !~ /^gray([0-9]|[1-9][0-9]|100)$/) next
        printf "%s %d %d %d\n", name, $1, $2, $3
    }
    END { print "transparent 0 0 1" }
' "$db" | LC_ALL=C sort -u -k1,1 >"$tmp"
count=$(wc -l <"$tmp")
# The database gives every gray level and the plain names; a short table means a wrong file.
[ "$count" -ge 230 ] || { echo "make_colour_names: only $count names in $db" >&2; exit 1; }
{
    echo "// Made by make_colour_names.sh from $(basename "$db"): $count names. Do not edit."
    awk '{ printf "{\"%s\", %d, %d, %d},\n", $1, $2, $3, $4 }' "$tmp"
} >"$out.tmp"
mv "$out.tmp" "$out"
