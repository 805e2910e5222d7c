#!/usr/bin/env bash
# Two-pass quantize + Floyd-Steinberg dither to 256 colours, and the twelve-neighbour colour
# dither, on a deterministic photo-like 4000 x 3000 24-bit image. In-process timings (best of
# several runs) from bench/quantize_bench.cpp; then the same work as whole processes, kelcli
# against ImageMagick, best of three each, and the PSNR of both results against the original.
set -euo pipefail
source "$KEL_ROOT/tools/env.sh"
data="$KEL_BENCH_DATA/quantize"
mkdir -p "$data"
bench="$KEL_BIN/quantize_bench.exe"
im=convert-im6.q16
runs=${KEL_BENCH_RUNS:-3}
w() { winepath_of "$1"; }

"$WINE64" "$bench" generate "$(w "$data/photo.bmp")"
echo "image: 4000 x 3000 x 24 bits (12.0 MP), $(stat -c %s "$data/photo.bmp") bytes"

echo "-- in-process"
"$WINE64" "$bench" time "$(w "$data/photo.bmp")" "$(w "$data")" "$runs"

# Best wall time of $runs runs of a command, in seconds.
best_of() {
    local best="" t0 t1 t
    for _ in $(seq "$runs"); do
        t0=$(date +%s.%N)
        "$@" >/dev/null
        t1=$(date +%s.%N)
        best=$(awk -v a="$t0" -v b="$t1" -v best="$best" 'BEGIN { t = b - a; print (best == "" || t < best) ? t : best }')
    done
    printf '%.3f' "$best"
}

echo "-- whole process: read BMP, quantize to 256 colours with Floyd-Steinberg, write BMP"
kel=$(best_of "$WINE64" "$KEL_BIN/kelcli.exe" quantize "$(w "$data/photo.bmp")" "$(w "$data/kelcli.bmp")" --method twopass)
peer=$(best_of "$im" "$data/photo.bmp" -dither FloydSteinberg -colors 256 -compress none "BMP3:$data/imagemagick.bmp")
awk -v k="$kel" -v p="$peer" 'BEGIN {
    printf "kelcli quantize --method twopass  %6.3f s  %6.1f MP/s\n", k, 12 / k
    printf "ImageMagick -colors 256 (FS)      %6.3f s  %6.1f MP/s\n", p, 12 / p
    printf "ratio (kelcli throughput / ImageMagick): %.1fx (goal: at least 3x)\n", p / k
}'

echo "-- PSNR against the original (dB)"
for f in kelcli q2 dcd imagemagick; do
    printf '%-12s %s\n' "$f" "$("$WINE64" "$bench" psnr "$(w "$data/photo.bmp")" "$(w "$data/$f.bmp")" | tr -d '\r')"
done
printf '%-12s %s (compare-im6.q16 on the kelcli result)\n' "check" \
    "$(compare-im6.q16 -metric PSNR "$data/photo.bmp" "$data/kelcli.bmp" null: 2>&1 || true)"
