#!/usr/bin/env bash
# trimwell-crop against jpegtran -crop -optimize -copy all on a large photograph-like JPEG: median time
# ratio and peak memory of both, for a baseline 4:2:0 source, a progressive one, and progressive output.
# Usage: bench/crop-bench.sh [BUILD]   (RUNS=n to change the number of measurements, default 7)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
crop=$build/cli/trimwell-crop
runs=${RUNS:-7}
[ -x "$crop" ] || { echo "no $crop: build the native tree first"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 4000 × 2500, smooth shapes with texture and noise, quality 90, with Exif so that both tools have
# markers to copy. A copy with an Exif thumbnail measures the thumbnail regeneration that jpegtran lacks.
convert -size 4000x2500 plasma:fractal -blur 0x1 +noise Gaussian -attenuate 0.3 \
    -sampling-factor 2x2 -quality 90 "$work/baseline.jpg"
convert "$work/baseline.jpg" -resize 160x100 "$work/thumb.jpg"
exiftool -q -overwrite_original -Make=Bench -ExifImageWidth=4000 -ExifImageHeight=2500 "$work/baseline.jpg"
cp "$work/baseline.jpg" "$work/withThumbnail.jpg"
exiftool -q -overwrite_original "-ThumbnailImage<=$work/thumb.jpg" "$work/withThumbnail.jpg"
jpegtran -copy all -progressive -outfile "$work/progressive.jpg" "$work/baseline.jpg"

# Times one batch of 3 runs of the command (time has 10 ms resolution) and appends
# "cpu_seconds elapsed_seconds peak_kib" to the file named first. CPU time (user + system) is the
# steadier figure on a machine shared with builds.
timeBatch() {
    local log=$1; shift
    /usr/bin/time -f "%U %S %e %M" -o "$work/t" bash -c 'for i in 1 2 3; do "$@" >/dev/null || exit 1; done' _ "$@"
    awk '{print $1 + $2, $3, $4}' "$work/t" >> "$log"
}
# "median_cpu median_elapsed peak_kib" of a log.
summarise() {
    local c w p
    c=$(awk '{print $1}' "$1" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
    w=$(awk '{print $2}' "$1" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
    p=$(awk 'BEGIN {m = 0} $3 > m {m = $3} END {print m}' "$1")
    echo "$c $w $p"
}

geometry=3000x2000+203+101
compare() { # label, source, our extra options, jpegtran extra options
    local label=$1 source=$2 ours=$3 theirs=$4
    # The engine opens its source exclusively for reading and writing: give it a copy of its own.
    cp "$source" "$work/source.jpg"
    rm -f "$work/ours.log" "$work/theirs.log"
    # Alternate the two tools, so that a change in the machine's load hits both alike.
    for _ in $(seq "$runs"); do
        timeBatch "$work/ours.log" "$crop" --crop "$geometry" $ours "$work/source.jpg" "$work/ours.jpg"
        timeBatch "$work/theirs.log" jpegtran -crop "$geometry" -optimize -copy all $theirs -outfile "$work/theirs.jpg" "$source"
    done
    read -r oc ow op < <(summarise "$work/ours.log")
    read -r tc tw tp < <(summarise "$work/theirs.log")
    djpeg -pnm "$work/ours.jpg" > "$work/ours.pnm"
    djpeg -pnm "$work/theirs.jpg" > "$work/theirs.pnm"
    local same=identical
    cmp -s "$work/ours.pnm" "$work/theirs.pnm" || same=DIFFERENT
    awk -v l="$label" -v oc="$oc" -v tc="$tc" -v ow="$ow" -v tw="$tw" -v op="$op" -v tp="$tp" -v s="$same" \
        -v ob="$(stat -c %s "$work/ours.jpg")" -v tb="$(stat -c %s "$work/theirs.jpg")" 'BEGIN {
        printf "%s\n", l
        printf "  time per 3 runs: trimwell-crop %.2f s CPU (%.2f s elapsed), jpegtran %.2f s CPU (%.2f s elapsed)\n", oc, ow, tc, tw
        printf "  median CPU time ratio %.2f, elapsed ratio %.2f (below 1: trimwell-crop faster)\n", oc / tc, ow / tw
        printf "  peak memory: trimwell-crop %d KiB, jpegtran %d KiB, ratio %.2f\n", op, tp, op / tp
        printf "  output %d bytes vs %d bytes; decoded pixels %s\n", ob, tb, s }'
}

echo "source: $(identify -format '%wx%h %[jpeg:sampling-factor] q%Q' "$work/baseline.jpg"), $(stat -c %s "$work/baseline.jpg") bytes; crop $geometry; $runs measurements"
compare "baseline 4:2:0 source, sequential output" "$work/baseline.jpg" "" ""
compare "progressive source, sequential output" "$work/progressive.jpg" "" ""
compare "baseline source, progressive output" "$work/baseline.jpg" "--progressive" "-progressive"
compare "baseline source with an Exif thumbnail, which trimwell-crop renews and jpegtran copies as it is" \
    "$work/withThumbnail.jpg" "" ""

# What renewing the thumbnail adds to a crop: the same crop of the same picture with and without an Exif
# thumbnail, alternated. THUMBNAIL_PHOTO=file.jpg (a photograph with an Exif thumbnail, larger than the
# crop) measures it on that photograph instead.
thumbnailCost() { # label, source with a thumbnail, the same without
    local label=$1
    cp "$2" "$work/with.jpg"
    cp "$3" "$work/without.jpg"
    rm -f "$work/with.log" "$work/without.log"
    for _ in $(seq "$runs"); do
        timeBatch "$work/with.log" "$crop" --crop "$geometry" "$work/with.jpg" "$work/renewed.jpg"
        timeBatch "$work/without.log" "$crop" --crop "$geometry" "$work/without.jpg" "$work/plain.jpg"
    done
    read -r wc ww _ < <(summarise "$work/with.log")
    read -r nc nw _ < <(summarise "$work/without.log")
    local renewed
    renewed=$(exiftool -b -ThumbnailImage "$work/renewed.jpg" | identify -format '%wx%h' - 2>/dev/null || echo none)
    awk -v l="$label" -v wc="$wc" -v nc="$nc" -v ww="$ww" -v nw="$nw" -v t="$renewed" 'BEGIN {
        printf "%s\n", l
        printf "  time per 3 runs: with the thumbnail renewed %.2f s CPU (%.2f s elapsed), without a thumbnail %.2f s CPU (%.2f s elapsed)\n", wc, ww, nc, nw
        printf "  thumbnail cost: median CPU time ratio %.2f, elapsed ratio %.2f (target at most 1.2); new thumbnail %s\n", wc / nc, ww / nw, t }'
}
if [ -n "${THUMBNAIL_PHOTO:-}" ]; then
    cp "$THUMBNAIL_PHOTO" "$work/photo.jpg"
    cp "$THUMBNAIL_PHOTO" "$work/photoWithout.jpg"
    exiftool -q -overwrite_original -ThumbnailImage= "$work/photoWithout.jpg"
    thumbnailCost "$(identify -format '%wx%h' "$work/photo.jpg") photograph: crop with its thumbnail renewed against the crop of the same picture without one" \
        "$work/photo.jpg" "$work/photoWithout.jpg"
else
    thumbnailCost "crop with the thumbnail renewed against the crop of the same source without one" \
        "$work/withThumbnail.jpg" "$work/baseline.jpg"
fi
