# Helpers of the benchmark scripts (sourced): timing peers as whole processes, Kelgrove's codecs
# in-process through codec_bench, and arithmetic for the figures.

# Best wall time of N runs of a command, in seconds.
best_of() {
    local n=$1 best="" s e t
    shift
    for _ in $(seq "$n"); do
        s=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        e=$(date +%s.%N)
        t=$(awk -v s="$s" -v e="$e" 'BEGIN { printf "%.4f", e - s }')
        if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
    done
    echo "$best"
}

# Best wall time of N runs of a shell pipeline given as one string (for peers that write to stdout).
best_of_sh() {
    best_of "$1" bash -c "$2"
}

# Kelgrove's in-process figure: the image's megapixels and the best seconds of REPEATS runs.
ours() {
    local line
    line=$("$WINE64" "$KEL_BIN/codec_bench.exe" "$1" "$(winepath_of "$2")" "$3" | tr -d '\r')
    set -- $line
    echo "$2 $3"
}

calc() { awk "BEGIN { printf \"$1\", ($2) }"; }
