#!/usr/bin/env bash
# The PCX and JPEG codecs against peers, on the same files in the same run:
#   PCX decode and encode of a 12-megapixel 24-bit picture, MP/s, vs ImageMagick (goal: 2x);
#   JPEG full decode of a 12-megapixel photo (quality 90, 3.5 MB) vs libjpeg-turbo's djpeg
#   (goal: within 1.3x of its time). A DIB is the whole image in memory, bottom row first, which
#   is what djpeg makes for BMP output (written to tmpfs here); djpeg writing to /dev/null keeps
#   no image at all and is shown too. Fresh memory is costly on some machines (page faults), so
#   the time to fill a new 36 MB buffer natively (dd) is printed beside them;
#   JPEG thumbnails (1/8-scaled decode) of the same photo, images/s, vs vipsthumbnail on a batch
#   of 20 copies (goal: at least its rate).
# Kelgrove's figures are timed inside the codec_bench program, in-process under Wine (no process
# start); the peers' are whole native processes (start-up, reading and writing included).
set -euo pipefail
source "$KEL_ROOT/tools/env.sh"
data="$KEL_BENCH_DATA/pcx_jpeg"
mkdir -p "$data"
im=convert-im6.q16
runs=5

if [ ! -f "$data/photo.jpg" ] || [ ! -f "$data/photo.pcx" ]; then
    echo "(making the 4000 x 3000 test picture once)"
    $im -size 1000x750 -seed 5 plasma:fractal -resize '4000x3000!' -attenuate 0.25 +noise Gaussian -depth 8 \
        "$data/photo.ppm"
    $im "$data/photo.ppm" "$data/photo.pcx"
    $im "$data/photo.ppm" -quality 90 "$data/photo.jpg"
    mkdir -p "$data/batch"
    for i in $(seq -w 1 20); do ln -f "$data/photo.jpg" "$data/batch/p$i.jpg"; done
fi

source "$KEL_ROOT/bench/bench_lib.sh"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# ---- PCX ------------------------------------------------------------------------------------
read -r mp t_dec < <(ours pcx-decode "$data/photo.pcx" $runs)
read -r _ t_enc < <(ours pcx-encode "$data/photo.pcx" $runs)
im_dec=$(best_of $runs $im "$data/photo.pcx" null:)
im_read=$(best_of $runs $im "$data/photo.ppm" null:)
im_all=$(best_of $runs $im "$data/photo.ppm" "$tmp/out.pcx")
im_enc=$(calc "%.4f" "($im_all - $im_read) > 0.001 ? $im_all - $im_read : 0.001")
echo "PCX, ${mp} MP 24-bit (3 planes, run-length), best of $runs:"
echo "  decode: Kelgrove $(calc "%.1f" "$mp / $t_dec") MP/s; ImageMagick $(calc "%.1f" "$mp / $im_dec") MP/s" \
     "(whole process); ratio $(calc "%.2f" "$im_dec / $t_dec") (goal >= 2)"
echo "  encode: Kelgrove $(calc "%.1f" "$mp / $t_enc") MP/s; ImageMagick $(calc "%.1f" "$mp / $im_enc") MP/s" \
     "(whole process less its time to read the PPM source); ratio $(calc "%.2f" "$im_enc / $t_enc") (goal >= 2)"

# ---- JPEG full decode -------------------------------------------------------------------------
shm=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
read -r mp t_jpg < <(ours jpeg-decode "$data/photo.jpg" $runs)
dj_bmp=$(best_of $runs djpeg -bmp -outfile "$shm/out.bmp" "$data/photo.jpg")
dj_null=$(best_of $runs djpeg -outfile /dev/null "$data/photo.jpg")
fresh=$(best_of $runs dd if=/dev/zero of=/dev/null bs=36000000 count=1)
rm -rf "$shm"
echo "JPEG full decode, ${mp} MP, quality 90, $(stat -c %s "$data/photo.jpg") bytes, best of $runs:"
echo "  Kelgrove $(calc "%.3f" "$t_jpg") s ($(calc "%.1f" "$mp / $t_jpg") MP/s, into a new DIB each time)"
echo "  djpeg -bmp (whole image in memory, to tmpfs; native, whole process) $(calc "%.3f" "$dj_bmp") s:" \
     "time ratio $(calc "%.2f" "$t_jpg / $dj_bmp") (goal <= 1.3)"
echo "  djpeg to /dev/null (no image kept) $(calc "%.3f" "$dj_null") s: time ratio $(calc "%.2f" "$t_jpg / $dj_null");" \
     "filling a fresh 36 MB buffer (dd, native) takes $(calc "%.3f" "$fresh") s here"

# ---- JPEG thumbnails ----------------------------------------------------------------------------
read -r _ t_thumb < <(ours jpeg-thumb "$data/photo.jpg" 20)
vips=$(best_of 3 vipsthumbnail --size 500 -o "$tmp/%s_t.jpg" "$data"/batch/*.jpg)
dj8=$(best_of $runs djpeg -scale 1/8 -outfile /dev/null "$data/photo.jpg")
echo "JPEG thumbnails (1/8 scale, 500 x 375) of the same photo:"
echo "  Kelgrove $(calc "%.1f" "1 / $t_thumb") images/s (best of 20); vipsthumbnail $(calc "%.1f" "20 / $vips")" \
     "images/s (batch of 20, whole process); ratio $(calc "%.2f" "(1 / $t_thumb) / (20 / $vips)") (goal >= 1);" \
     "djpeg -scale 1/8 $(calc "%.1f" "1 / $dj8") images/s"
