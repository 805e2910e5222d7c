#!/usr/bin/env bash
# The Targa and IFF codecs against peers, on the same files in the same run, 12-megapixel 24-bit
# pictures, MP/s (goal: 2x ImageMagick):
#   Targa decode (raw type 2 and run-length type 10) and run-length encode vs ImageMagick;
#   IFF (24-plane ILBM, ByteRun1) decode and encode: ImageMagick has no IFF coder, so netpbm's
#   ilbmtoppm and ppmtoilbm stand in.
# A Kelgrove decode of a 24-bit picture includes the optimal 256-colour display palette the
# codecs make (median cut and the colour table), which the peers do not make.
# Kelgrove's figures are timed inside the codec_bench program, in-process under Wine (no process
# start); the peers' are whole native processes, less their time to read the PPM source when
# they encode.
set -euo pipefail
source "$KEL_ROOT/tools/env.sh"
source "$KEL_ROOT/bench/bench_lib.sh"
data="$KEL_BENCH_DATA/tga_iff"
mkdir -p "$data"
im=convert-im6.q16
runs=5

if [ ! -f "$data/photo.iff" ]; then
    echo "(making the 4000 x 3000 test pictures once)"
    $im -size 1000x750 -seed 5 plasma:fractal -resize '4000x3000!' -attenuate 0.25 +noise Gaussian -depth 8 \
        "$data/photo.ppm"
    $im "$data/photo.ppm" -compress None "$data/photo.tga"
    $im "$data/photo.ppm" -compress RLE "$data/photo_rle.tga"
    ppmtoilbm -24force <"$data/photo.ppm" >"$data/photo.iff" 2>/dev/null
fi

# One line: what, Kelgrove's and the peer's MP/s and their ratio.
line() {
    echo "  $1: Kelgrove $(calc "%.1f" "$2 / $3") MP/s; $4 $(calc "%.1f" "$2 / $5") MP/s;" \
         "ratio $(calc "%.2f" "$5 / $3") (goal >= 2)"
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ppm_read=$(best_of $runs $im "$data/photo.ppm" null:)

# ---- Targa ----------------------------------------------------------------------------------------
read -r mp t_raw < <(ours tga-decode "$data/photo.tga" $runs)
read -r _ t_rle < <(ours tga-decode "$data/photo_rle.tga" $runs)
read -r _ t_enc < <(ours tga-encode "$data/photo.tga" $runs)
im_raw=$(best_of $runs $im "$data/photo.tga" null:)
im_rle=$(best_of $runs $im "$data/photo_rle.tga" null:)
im_all=$(best_of $runs $im "$data/photo.ppm" -compress RLE "$tmp/out.tga")
im_enc=$(calc "%.4f" "($im_all - $ppm_read) > 0.001 ? $im_all - $ppm_read : 0.001")
echo "Targa, ${mp} MP 24-bit, best of $runs (ImageMagick: whole process):"
line "decode, raw (type 2)" "$mp" "$t_raw" "ImageMagick" "$im_raw"
line "decode, run-length (type 10)" "$mp" "$t_rle" "ImageMagick" "$im_rle"
line "encode, run-length (less ImageMagick's PPM read)" "$mp" "$t_enc" "ImageMagick" "$im_enc"

# ---- IFF ------------------------------------------------------------------------------------------
read -r mp t_lbm < <(ours lbm-decode "$data/photo.iff" $runs)
read -r _ t_lbm_enc < <(ours lbm-encode "$data/photo.iff" $runs)
nb_dec=$(best_of $runs ilbmtoppm "$data/photo.iff")
nb_all=$(best_of $runs sh -c "ppmtoilbm -24force <'$data/photo.ppm' >'$tmp/out.iff'")
nb_read=$(best_of $runs sh -c "ppmtoppm <'$data/photo.ppm' >/dev/null")
nb_enc=$(calc "%.4f" "($nb_all - $nb_read) > 0.001 ? $nb_all - $nb_read : 0.001")
echo "IFF, ${mp} MP, 24 planes ByteRun1, best of $runs (ImageMagick has no IFF coder; netpbm, whole process):"
line "decode" "$mp" "$t_lbm" "ilbmtoppm" "$nb_dec"
line "encode (less netpbm's PPM read)" "$mp" "$t_lbm_enc" "ppmtoilbm" "$nb_enc"
