#!/usr/bin/env bash
# Display decode against djpeg -bmp of the same large photograph (median time ratio, peak memory), and
# the whole crop with thumbnail regeneration against the plain crop. Usage: bench/display-bench.sh [BUILD]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
bench=$build/bench/display_bench
runs=${RUNS:-9}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A 4000 × 2500 photograph-like picture (smooth shapes, texture and noise), 4:2:0, with an Exif thumbnail.
photo=$work/photo.jpg
convert -size 4000x2500 plasma:fractal -blur 0x1 +noise Gaussian -attenuate 0.3 \
    -sampling-factor 2x2 -quality 90 "$work/plain.jpg"
convert "$work/plain.jpg" -resize 160x100 "$work/thumb.jpg"
cp "$work/plain.jpg" "$photo"
exiftool -q -overwrite_original -ImageDescription=bench "-ThumbnailImage<=$work/thumb.jpg" "$photo"

# Prints "median_cpu_seconds peak_kib" of running the command $runs times. CPU time (user + system)
# rather than elapsed time: the machine is shared with builds, which stretch elapsed times at random.
measure() {
    local times=() peak=0
    for _ in $(seq "$runs"); do
        /usr/bin/time -f "%U %S %M" -o "$work/t" "$@" > /dev/null
        read -r u s m < "$work/t"
        times+=("$(awk -v u="$u" -v s="$s" 'BEGIN {print u + s}')")
        (( m > peak )) && peak=$m
    done
    printf '%s\n' "${times[@]}" | sort -g | awk -v p="$peak" '{a[NR]=$1} END {print a[int((NR+1)/2)], p}'
}

# /usr/bin/time has 10 ms resolution: time a batch of 5 runs per measurement.
batch() { for _ in 1 2 3 4 5; do "$@" || return 1; done; }
export -f batch

echo "picture: $(identify -format '%wx%h %[jpeg:sampling-factor] q%Q' "$photo"), $(stat -c %s "$photo") bytes, $runs runs of 5"
read -r ours oursPeak < <(measure bash -c "batch '$bench' decode '$photo'")
read -r theirs theirsPeak < <(measure bash -c "batch djpeg -bmp -outfile /dev/null '$photo'")
awk -v a="$ours" -v b="$theirs" -v pa="$oursPeak" -v pb="$theirsPeak" 'BEGIN {
    printf "decode for display: %.3f s CPU per 5, djpeg -bmp: %.3f s CPU per 5, ratio %.2f (below 1: faster)\n", a, b, a / b
    printf "peak memory: %d KiB, djpeg -bmp: %d KiB, ratio %.2f\n", pa, pb, pa / pb }'

out=$work/out.jpg
read -r plain plainPeak < <(measure bash -c "batch '$bench' crop '$photo' '$out' 400 304 3000 2000")
read -r thumb thumbPeak < <(measure bash -c "batch '$bench' crop-thumbnail '$photo' '$out' 400 304 3000 2000")
awk -v a="$thumb" -v b="$plain" -v pa="$thumbPeak" -v pb="$plainPeak" 'BEGIN {
    printf "crop with thumbnail: %.3f s CPU per 5, plain crop: %.3f s CPU per 5, ratio %.2f\n", a, b, a / b
    printf "peak memory: %d KiB, plain crop: %d KiB\n", pa, pb }'
exiftool -s -ThumbnailLength -ImageWidth -ImageHeight "$out"
