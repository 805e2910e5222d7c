#!/usr/bin/env bash
# The GIF and PNG codecs against peers, on the same files in the same run (a 12-megapixel picture):
#   GIF decode and encode of its 256-colour version, MP/s, vs ImageMagick (goal: decode >= 1.5x);
#   PNG decode and encode of it as 24-bit RGB, MP/s, vs ImageMagick (goal: decode >= 1.5x) and
#   libpng's own tools, netpbm's pngtopnm and pnmtopng (goal: decode time within 1.2x of
#   pngtopnm's). Decoders keep the whole image: pngtopnm writes its PPM to tmpfs.
# Kelgrove's figures are timed inside the codec_bench program, in-process under Wine (no process
# start); the peers' are whole native processes (start-up, reading and writing included). An
# encoder's peer time is its whole process less its time to read the same PPM source.
set -euo pipefail
source "$KEL_ROOT/tools/env.sh"
source "$KEL_ROOT/bench/bench_lib.sh"
data="$KEL_BENCH_DATA/gif_png"
mkdir -p "$data"
im=convert-im6.q16
runs=5

if [ ! -f "$data/photo.png" ] || [ ! -f "$data/photo.gif" ]; then
    echo "(making the 4000 x 3000 test pictures once)"
    $im -size 1000x750 -seed 5 plasma:fractal -resize '4000x3000!' -attenuate 0.25 +noise Gaussian -depth 8 \
        "$data/photo.ppm"
    $im "$data/photo.ppm" -define png:color-type=2 "$data/photo.png"
    $im "$data/photo.ppm" +dither -colors 256 -depth 8 "$data/photo256.ppm"
    $im "$data/photo256.ppm" "$data/photo.gif"
fi

tmp=$(mktemp -d)
shm=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$tmp" "$shm"' EXIT

# ---- GIF ------------------------------------------------------------------------------------
read -r mp t_dec < <(ours gif-decode "$data/photo.gif" $runs)
read -r _ t_enc < <(ours gif-encode "$data/photo.gif" $runs)
im_dec=$(best_of $runs $im "$data/photo.gif" null:)
im_read=$(best_of $runs $im "$data/photo256.ppm" null:)
im_all=$(best_of $runs $im "$data/photo256.ppm" "$tmp/out.gif")
im_enc=$(calc "%.4f" "($im_all - $im_read) > 0.001 ? $im_all - $im_read : 0.001")
echo "GIF, ${mp} MP, 256 colours, $(stat -c %s "$data/photo.gif") bytes, best of $runs:"
echo "  decode: Kelgrove $(calc "%.1f" "$mp / $t_dec") MP/s; ImageMagick $(calc "%.1f" "$mp / $im_dec") MP/s;" \
     "ratio $(calc "%.2f" "$im_dec / $t_dec") (goal >= 1.5)"
echo "  encode: Kelgrove $(calc "%.1f" "$mp / $t_enc") MP/s; ImageMagick $(calc "%.1f" "$mp / $im_enc") MP/s;" \
     "ratio $(calc "%.2f" "$im_enc / $t_enc")"

# ---- PNG ------------------------------------------------------------------------------------
read -r mp t_dec < <(ours png-decode "$data/photo.png" $runs)
read -r _ t_enc < <(ours png-encode "$data/photo.png" $runs)
read -r _ t_pal < <(ours png-palette "$data/photo.png" $runs)
im_dec=$(best_of $runs $im "$data/photo.png" null:)
lp_dec=$(best_of_sh $runs "pngtopnm '$data/photo.png' >'$shm/out.ppm'")
im_read=$(best_of $runs $im "$data/photo.ppm" null:)
im_all=$(best_of $runs $im "$data/photo.ppm" "$tmp/out.png")
im_enc=$(calc "%.4f" "($im_all - $im_read) > 0.001 ? $im_all - $im_read : 0.001")
lp_enc=$(best_of_sh $runs "pnmtopng '$data/photo.ppm' >'$tmp/out2.png'")
echo "PNG, ${mp} MP, 24-bit RGB, $(stat -c %s "$data/photo.png") bytes, best of $runs:"
echo "  decode: Kelgrove $(calc "%.1f" "$mp / $t_dec") MP/s ($(calc "%.3f" "$t_dec") s, with the 256-colour palette);" \
     "ImageMagick $(calc "%.1f" "$mp / $im_dec") MP/s, ratio $(calc "%.2f" "$im_dec / $t_dec") (goal >= 1.5);" \
     "pngtopnm $(calc "%.1f" "$mp / $lp_dec") MP/s ($(calc "%.3f" "$lp_dec") s), time ratio" \
     "$(calc "%.2f" "$t_dec / $lp_dec") (goal <= 1.2)"
echo "  decode without the palette step ($(calc "%.3f" "$t_pal") s of it): Kelgrove" \
     "$(calc "%.1f" "$mp / ($t_dec - $t_pal)") MP/s, ImageMagick ratio $(calc "%.2f" "$im_dec / ($t_dec - $t_pal)")," \
     "pngtopnm time ratio $(calc "%.2f" "($t_dec - $t_pal) / $lp_dec")"
echo "  encode: Kelgrove $(calc "%.1f" "$mp / $t_enc") MP/s; ImageMagick $(calc "%.1f" "$mp / $im_enc") MP/s," \
     "ratio $(calc "%.2f" "$im_enc / $t_enc"); pnmtopng (whole process) $(calc "%.1f" "$mp / $lp_enc") MP/s," \
     "ratio $(calc "%.2f" "$lp_enc / $t_enc")"
