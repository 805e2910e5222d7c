#!/usr/bin/env bash
# A quarter-turn rotation, a 5 x 5 blur and a 5 x 5 sharpen of a 4000 x 3000 24-bit image, and
# RLE8 coding of a 4000 x 3000 8-bit image of flat colours, side by side with ImageMagick doing
# the same on the same files. In-process timings of the image core (best of several runs), then
# whole processes, kelcli transform against ImageMagick (best of three each, wall and CPU time;
# ImageMagick with its usual threads), and ImageMagick's operation alone (its time less its own
# read and write of the same file) against the image core's in-process time. The results are
# compared with ImageMagick's.
set -euo pipefail
source "$KEL_ROOT/tools/env.sh"
data="$KEL_BENCH_DATA/transform"
mkdir -p "$data"
bench="$KEL_BIN/transform_bench.exe"
kelcli="$KEL_BIN/kelcli.exe"
im=convert-im6.q16
runs=${KEL_BENCH_RUNS:-3}
w() { winepath_of "$1"; }

"$WINE64" "$KEL_BIN/quantize_bench.exe" generate "$(w "$data/photo.bmp")"
"$WINE64" "$bench" graphic "$(w "$data/photo.bmp")" "$(w "$data/graphic.bmp")"
echo "images: 4000 x 3000 x 24 bits (12.0 MP, $(stat -c %s "$data/photo.bmp") bytes)," \
     "4000 x 3000 x 8 bits of 216 flat colours ($(stat -c %s "$data/graphic.bmp") bytes)"

echo "-- in-process"
"$WINE64" "$bench" time "$(w "$data/photo.bmp")" "$(w "$data/graphic.bmp")" "$(w "$data")" "$runs" | tr -d '\r' |
    tee "$data/inprocess.txt"

# Best wall time and best CPU time (user + system, all threads) of $runs runs of a command, in
# seconds: "wall cpu". CPU time stays meaningful when other work shares the machine.
best_of() {
    local best="" bestcpu="" out
    for _ in $(seq "$runs"); do
        /usr/bin/time -o "$data/time.txt" -f "%e %U %S" "$@" >/dev/null 2>&1 || true
        out=$(tail -1 "$data/time.txt")
        best=$(awk -v t="$out" -v best="$best" 'BEGIN { split(t, a, " "); print (best == "" || a[1] < best) ? a[1] : best }')
        bestcpu=$(awk -v t="$out" -v best="$bestcpu" 'BEGIN { split(t, a, " "); c = a[2] + a[3]; print (best == "" || c < best) ? c : best }')
    done
    printf '%.3f %.3f' "$best" "$bestcpu"
}

kernel() { "$WINE64" "$bench" kernel "$1" | tr -d '\r'; }
ones=$(printf '1,%.0s' $(seq 25))
minus=$(printf -- '-1,%.0s' $(seq 12))
blur_k="${ones}25,0"
sharpen_k="${minus}33,${minus}9,0"

im_copy24=$(best_of "$im" "$data/photo.bmp" "BMP3:$data/im-copy.bmp")
im_copy8=$(best_of "$im" "$data/graphic.bmp" -type Palette "BMP3:$data/im-copy8.bmp")
echo "-- whole process (read BMP, operate, write BMP), wall / CPU seconds; ImageMagick's read + write alone:" \
     "24-bit ${im_copy24/ / \/ } s, 8-bit ${im_copy8/ / \/ } s"
printf '%-22s %17s %17s %13s %17s %13s\n' operation kelcli ImageMagick "ratio" "IM op alone" "op ratio"
compare_row() { # name "kelcli wall cpu" "IM wall cpu" "IM baseline wall cpu" "in-process wall cpu"
    awk -v n="$1" -v k="$2" -v p="$3" -v b="$4" -v i="$5" 'BEGIN {
        split(k, kk, " "); split(p, pp, " "); split(b, bb, " "); split(i, ii, " ")
        ow = pp[1] - bb[1]; oc = pp[2] - bb[2]; if (ii[2] < 0.001) ii[2] = 0.001
        printf "%-22s %6.3f / %6.3f %6.3f / %6.3f %4.1fx / %4.1fx ", n, kk[1], kk[2], pp[1], pp[2], pp[1] / kk[1], pp[2] / kk[2]
        # An operation lost in the noise of reading and writing the file cannot be told apart.
        if (ow < 0.02 || oc < 0.02) { printf "%17s %13s\n", "(in the noise)", "n/a" }
        else printf "%6.3f / %6.3f %4.1fx / %4.1fx\n", ow, oc, ow / ii[1], oc / ii[2]
        printf "%-22s wall MP/s: kelcli %5.1f, ImageMagick %5.1f; operation alone: image core %6.1f",
            "", 12 / kk[1], 12 / pp[1], 12 / ii[1]
        if (ow >= 0.02) printf ", ImageMagick %6.1f", 12 / ow
        printf "\n" }'
}
# "wall cpu" seconds of an in-process line.
inproc() {
    awk -v n="$1" '$0 ~ n { w = ""; for (i = 1; i <= NF; i++) { if (w == "" && $(i+1) == "s") w = $i; if ($i == "(CPU") c = $(i+1) }
                            print w, c; exit }' "$data/inprocess.txt"
}

k=$(best_of "$WINE64" "$kelcli" transform "$(w "$data/photo.bmp")" "$(w "$data/kel-rotate.bmp")" --rotate cw)
p=$(best_of "$im" "$data/photo.bmp" -rotate 90 "BMP3:$data/im-rotate.bmp")
compare_row "rotate 90 (24-bit)" "$k" "$p" "$im_copy24" "$(inproc 'RotateDib')"

k=$(best_of "$WINE64" "$kelcli" transform "$(w "$data/photo.bmp")" "$(w "$data/kel-blur.bmp")" --filter "$blur_k")
p=$(best_of "$im" "$data/photo.bmp" -convolve "$(kernel blur)" "BMP3:$data/im-blur.bmp")
compare_row "5x5 blur (24-bit)" "$k" "$p" "$im_copy24" "$(inproc 'blur')"

k=$(best_of "$WINE64" "$kelcli" transform "$(w "$data/photo.bmp")" "$(w "$data/kel-sharpen.bmp")" --filter "$sharpen_k")
p=$(best_of "$im" "$data/photo.bmp" -convolve "$(kernel sharpen)" "BMP3:$data/im-sharpen.bmp")
compare_row "5x5 sharpen (24-bit)" "$k" "$p" "$im_copy24" "$(inproc 'sharpen')"

k=$(best_of "$WINE64" "$kelcli" transform "$(w "$data/graphic.bmp")" "$(w "$data/kel-rle8.bmp")" --rle8)
p=$(best_of "$im" "$data/graphic.bmp" -type Palette -compress RLE "BMP3:$data/im-rle8.bmp")
compare_row "RLE8 (8-bit)" "$k" "$p" "$im_copy8" "$(inproc 'RLE8')"
echo "goal: at least 2x ImageMagick on each"

echo "-- results against ImageMagick's"
ae() { compare-im6.q16 -metric AE "$1" "$2" null: 2>&1 || true; }
psnr() { compare-im6.q16 -metric PSNR "$1" "$2" null: 2>&1 || true; }
echo "rotate: pixels differing: $(ae "$data/kel-rotate.bmp" "$data/im-rotate.bmp")"
# ImageMagick extends the edge pixels outward, the image core sums only the pixels that exist:
# compare inside a 2-pixel border.
inner() { "$im" "$1" -shave 2x2 "$2"; }
for f in blur sharpen; do
    inner "$data/kel-$f.bmp" "$data/kel-$f-inner.png"
    inner "$data/im-$f.bmp" "$data/im-$f-inner.png"
    echo "$f: inside the border, pixels differing: $(ae "$data/kel-$f-inner.png" "$data/im-$f-inner.png")," \
         "PSNR $(psnr "$data/kel-$f-inner.png" "$data/im-$f-inner.png") dB"
done
echo "rle8: compression fields $(od -An -tu1 -j30 -N1 "$data/kel-rle8.bmp" | tr -d ' ') (kelcli)," \
     "$(od -An -tu1 -j30 -N1 "$data/im-rle8.bmp" | tr -d ' ') (ImageMagick);" \
     "sizes $(stat -c %s "$data/kel-rle8.bmp") and $(stat -c %s "$data/im-rle8.bmp") bytes;" \
     "decoded pixels differing from the source: $(ae "$data/kel-rle8.bmp" "$data/graphic.bmp") (kelcli)," \
     "$(ae "$data/im-rle8.bmp" "$data/graphic.bmp") (ImageMagick)"
