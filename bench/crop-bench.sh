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

# Times one batch of $batch runs of the command (3; time has 10 ms resolution) and appends
# "cpu_seconds elapsed_seconds peak_kib" to the file named first. CPU time (user + system) is the
# steadier figure on a machine shared with builds.
timeBatch() {
    local log=$1; shift
    /usr/bin/time -f "%U %S %e %M" -o "$work/t" bash -c 'for ((i = 0; i < $0; i++)); do "$@" >/dev/null || exit 1; done' "${batch:-3}" "$@"
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
    # A few percent of a 0.15 s crop: batches of ten, so that time's 10 ms steps are 1 % of a batch.
    local label=$1 batch=10
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
        printf "  time per 10 runs: with the thumbnail renewed %.2f s CPU (%.2f s elapsed), without a thumbnail %.2f s CPU (%.2f s elapsed)\n", wc, ww, nc, nw
        printf "  thumbnail cost: median CPU time ratio %.2f, elapsed ratio %.2f (target at most 1.05); new thumbnail %s\n", wc / nc, ww / nw, t }'
}
if [ -n "${THUMBNAIL_PHOTO:-}" ]; then
    cp "$THUMBNAIL_PHOTO" "$work/photo.jpg"
    cp "$THUMBNAIL_PHOTO" "$work/photoWithout.jpg"
    exiftool -q -overwrite_original -ThumbnailImage= "$work/photoWithout.jpg"
    thumbnailCost "$(identify -format '%wx%h' "$work/photo.jpg") photograph: crop with its thumbnail renewed against the crop of the same picture without one" \
        "$work/photo.jpg" "$work/photoWithout.jpg"
else
    # Each kind of source the thumbnail is made from, with and without a thumbnail to renew (target: at
    # most 1.05). The 4:4:4 and CMYK pictures are encoded anew; the others are lossless copies.
    jpegtran -copy all -progressive -outfile "$work/progressiveThumbnail.jpg" "$work/withThumbnail.jpg"
    jpegtran -copy all -grayscale -outfile "$work/grey.jpg" "$work/baseline.jpg"
    jpegtran -copy all -grayscale -outfile "$work/greyThumbnail.jpg" "$work/withThumbnail.jpg"
    convert "$work/baseline.jpg" -sampling-factor 1x1 -quality 90 "$work/full.jpg"
    convert "$work/baseline.jpg" -colorspace cmyk -quality 90 "$work/cmyk.jpg"
    for kind in full cmyk; do
        exiftool -q -overwrite_original -Make=Bench -ExifImageWidth=4000 -ExifImageHeight=2500 "$work/$kind.jpg"
        cp "$work/$kind.jpg" "$work/${kind}Thumbnail.jpg"
        exiftool -q -overwrite_original "-ThumbnailImage<=$work/thumb.jpg" "$work/${kind}Thumbnail.jpg"
    done
    jpegtran -copy all -progressive -outfile "$work/fullProgressive.jpg" "$work/full.jpg"
    jpegtran -copy all -progressive -outfile "$work/fullProgressiveThumbnail.jpg" "$work/fullThumbnail.jpg"
    thumbnailCost "thumbnail cost, baseline 4:2:0" "$work/withThumbnail.jpg" "$work/baseline.jpg"
    thumbnailCost "thumbnail cost, progressive 4:2:0" "$work/progressiveThumbnail.jpg" "$work/progressive.jpg"
    thumbnailCost "thumbnail cost, baseline 4:4:4" "$work/fullThumbnail.jpg" "$work/full.jpg"
    thumbnailCost "thumbnail cost, progressive 4:4:4" "$work/fullProgressiveThumbnail.jpg" "$work/fullProgressive.jpg"
    thumbnailCost "thumbnail cost, grayscale" "$work/greyThumbnail.jpg" "$work/grey.jpg"
    thumbnailCost "thumbnail cost, CMYK" "$work/cmykThumbnail.jpg" "$work/cmyk.jpg"
fi

# Window positions on 24-megapixel photographs: nine quarter-picture windows on a 3 x 3 grid and three
# full-width strips, baseline and progressive. Each window alternates trimwell-crop and jpegtran runs;
# per window the median CPU time ratio and the peak memory ratio, then their medians and the worst. Every
# crop reads its output back to verify it; the "unverified" column is the time ratio with --no-verify.
# The output with no markers copied must equal jpegtran's byte for byte (jpegtran reads every row).
# WINDOW_RUNS=n changes the measurements per window (default 5); WINDOWS=0 skips this part.
[ "${WINDOWS:-1}" = 0 ] && exit 0
windowRuns=${WINDOW_RUNS:-5}
convert -size 6000x4000 plasma:fractal -blur 0x1 +noise Gaussian -attenuate 0.3 \
    -sampling-factor 2x2 -quality 90 "$work/big.jpg"
exiftool -q -overwrite_original -Make=Bench -ExifImageWidth=6000 -ExifImageHeight=4000 "$work/big.jpg"
jpegtran -copy all -progressive -outfile "$work/bigProgressive.jpg" "$work/big.jpg"
windows=(3000x2000+0+0 3000x2000+1500+0 3000x2000+3000+0
         3000x2000+0+1000 3000x2000+1500+1000 3000x2000+3000+1000
         3000x2000+0+2000 3000x2000+1500+2000 3000x2000+3000+2000
         6000x1000+0+0 6000x1000+0+1500 6000x1000+0+3000)

# One run: appends "cpu_seconds peak_kib" to the log named first.
timeOnce() {
    local log=$1; shift
    /usr/bin/time -f "%U %S %M" -o "$work/t" "$@" >/dev/null || { echo "failed: $*"; exit 1; }
    awk '{print $1 + $2, $3}' "$work/t" >> "$log"
}
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

positions() { # label, source, the verified crop's target median (none for progressive sources)
    local label=$1 source=$2 target=${3:-} g
    echo "$label: $(identify -format '%wx%h' "$source"), $(stat -c %s "$source") bytes, $windowRuns runs per window"
    printf "  %-20s %9s %9s %7s %9s %9s %7s %9s  %s\n" window "ours s" "ref s" ratio "ours MiB" "ref MiB" ratio \
        "unverified" output
    : > "$work/ratios"
    for g in "${windows[@]}"; do
        cp "$source" "$work/source.jpg"
        rm -f "$work/ours.log" "$work/theirs.log"
        rm -f "$work/unverified.log"
        for _ in $(seq "$windowRuns"); do
            timeOnce "$work/ours.log" "$crop" --crop "$g" "$work/source.jpg" "$work/ours.jpg"
            timeOnce "$work/theirs.log" jpegtran -crop "$g" -optimize -copy all -outfile "$work/theirs.jpg" "$source"
            timeOnce "$work/unverified.log" "$crop" --crop "$g" --no-verify "$work/source.jpg" "$work/ours.jpg"
        done
        "$crop" --crop "$g" --markers none "$work/source.jpg" "$work/oursBare.jpg"
        jpegtran -crop "$g" -optimize -copy none -outfile "$work/theirsBare.jpg" "$source"
        local same=identical
        cmp -s "$work/oursBare.jpg" "$work/theirsBare.jpg" || same=DIFFERENT
        local ot tt om tm ut
        ot=$(awk '{print $1}' "$work/ours.log" | median); tt=$(awk '{print $1}' "$work/theirs.log" | median)
        om=$(awk '{print $2}' "$work/ours.log" | median); tm=$(awk '{print $2}' "$work/theirs.log" | median)
        ut=$(awk '{print $1}' "$work/unverified.log" | median)
        awk -v g="$g" -v ot="$ot" -v tt="$tt" -v om="$om" -v tm="$tm" -v ut="$ut" -v s="$same" 'BEGIN {
            printf "  %-20s %9.3f %9.3f %7.2f %9.1f %9.1f %7.2f %9.2f  %s\n", g, ot, tt, ot / tt, om / 1024, tm / 1024, om / tm, ut / tt, s }'
        awk -v ot="$ot" -v tt="$tt" -v om="$om" -v tm="$tm" -v ut="$ut" 'BEGIN { print ot / tt, om / tm, ut / tt }' >> "$work/ratios"
        [ "$same" = identical ] || status=1
    done
    awk '{print $1}' "$work/ratios" | median > "$work/m1"
    awk '{print $2}' "$work/ratios" | median > "$work/m2"
    awk '{print $3}' "$work/ratios" | median > "$work/m3"
    awk -v mt="$(cat "$work/m1")" -v mm="$(cat "$work/m2")" -v mu="$(cat "$work/m3")" -v target="$target" '
        $1 > wt {wt = $1} $2 > wm {wm = $2}
        END { printf "  median time ratio %.2f (worst %.2f), median memory ratio %.2f (worst %.2f)\n", mt, wt, mm, wm
              printf "  verification: median time ratio %.2f with it%s, %.2f with --no-verify\n", mt,
                     target == "" ? "" : " (target at most " target ")", mu }' "$work/ratios"
}
status=0
positions "baseline 4:2:0, window positions" "$work/big.jpg" 0.70
positions "progressive 4:2:0, window positions" "$work/bigProgressive.jpg"
exit $status
