#!/usr/bin/env bash
# Browsing a folder of 24-megapixel photographs with the file list, as a user does: Trimwell.exe under
# Wine on a private Xvfb, driven with xdotool. Down through the folder and Up back, pausing PAUSE seconds
# (0.8) on each picture; the time from the key to the new title, the resident memory of the program at
# its peak, and once the list is closed against before it was first opened. Each program directory given
# is measured in turn on the same photographs, so an older build gives the reference ("before").
#   bench/browse-bench.sh PROGRAM_DIR [REFERENCE_PROGRAM_DIR]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
pause=${PAUSE:-0.8}
count=${PHOTOS:-8}
work=$(mktemp -d)

. "$root/scripts/wine-env"
unset DISPLAY
TRIMWELL_NO_WM=1 . "$root/scripts/xvfb-start"
winePid=""
cleanup() {
    [ -n "$winePid" ] && kill "$winePid" 2>/dev/null
    timeout 20 wineserver -w 2>/dev/null
    kill "${_xvfbPid:-}" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
winPath() { echo "Z:$1" | tr / '\\'; }

# 6000 × 4000 photograph-like pictures (smooth shapes, texture, noise), 4:2:0 at quality 90; the odd ones
# baseline, the even ones progressive. Shifted copies of one picture, so that no two files are alike.
mkdir -p "$work/photos"
convert -size 1500x1000 plasma:fractal -blur 0x1 -resize 6000x4000! +noise Gaussian -attenuate 0.3 \
    "$work/base.ppm"
for i in $(seq 1 "$count"); do
    interlace=None
    (( i % 2 == 0 )) && interlace=JPEG
    convert "$work/base.ppm" -roll "+$((i * 331))+$((i * 217))" -sampling-factor 2x2 -quality 90 \
        -interlace "$interlace" "$work/photos/photo $i.jpg"
done
rm "$work/base.ppm"
echo "photographs: $count of $(identify -format '%wx%h' "$work/photos/photo 1.jpg")," \
    "$(du -sh "$work/photos" | cut -f1), baseline and progressive by turns; pause $pause s"

titleNow() { xdotool getwindowname "$frame" 2>/dev/null; }
waitForTitle() { # PREFIX SECONDS
    local limit=$(( $2 * 100 ))
    for _ in $(seq 1 "$limit"); do
        [[ "$(titleNow)" == "$1"* ]] && return 0
        sleep 0.01
    done
    return 1
}
findWindow() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
kib() { awk -v f="$2" '$1 == f ":" {print $2}' "/proc/$1/status"; }

# measure PROGRAM_DIR LABEL: one session; prints the step times to $work/LABEL.times.
measure() {
    local dir=$1 label=$2
    mkdir -p "$work/program"
    cp "$dir/Trimwell.exe" "$dir"/*.dll "$work/program/"
    : > "$work/program/Trimwell.ini"
    wine explorer /desktop="bench$$,1024x768" "$work/program/Trimwell.exe" "$(winPath "$work/photos/photo 1.jpg")" \
        >/dev/null 2>&1 &
    winePid=$!
    frame=""
    for _ in $(seq 1 300); do
        frame=$(findWindow '^photo 1\.jpg')
        [ -n "$frame" ] && break
        sleep 0.2
    done
    [ -n "$frame" ] || { echo "$label: the frame did not come up"; return 1; }
    local pid
    pid=$(pgrep -f "^$work/program/Trimwell.exe" | head -n 1)
    sleep 2
    local before
    before=$(kib "$pid" VmRSS)
    xdotool key Tab
    sleep 1
    : > "$work/$label.times"
    local order
    order="$(seq 2 "$count") $(seq $((count - 1)) -1 1)"
    local previous=1 i key start end
    for i in $order; do
        key=Down
        (( i < previous )) && key=Up
        sleep "$pause"
        start=$(date +%s.%N)
        xdotool key "$key"
        waitForTitle "photo $i.jpg  " 30 || echo "$label: no title for photo $i.jpg ('$(titleNow)')"
        end=$(date +%s.%N)
        echo "$i $(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.3f", b - a}')" >> "$work/$label.times"
        previous=$i
    done
    local peak
    peak=$(kib "$pid" VmHWM)
    xdotool key alt+F4  # the list has the keys: only it closes
    sleep 2
    local closed
    closed=$(kib "$pid" VmRSS)
    awk -v label="$label" -v peak="$peak" -v before="$before" -v closed="$closed" '
        { t[NR] = $2; if ($1 % 2) b[++nb] = $2; else p[++np] = $2 }
        function median(a, n,   i, j, x) {
            for (i = 2; i <= n; i++) { x = a[i]; for (j = i - 1; j > 0 && a[j] > x; j--) a[j + 1] = a[j]; a[j + 1] = x }
            return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
        }
        END {
            printf "%s: key to title median %.3f s over %d steps (baseline %.3f s, progressive %.3f s)\n",
                label, median(t, NR), NR, median(b, nb), median(p, np)
            printf "%s: resident memory peak %d MB; %d MB before the list was opened, %d MB after it was closed\n",
                label, peak / 1024, before / 1024, closed / 1024
        }' "$work/$label.times"
    xdotool key alt+F4
    for _ in $(seq 1 100); do kill -0 "$winePid" 2>/dev/null || break; sleep 0.2; done
    timeout 20 wineserver -w 2>/dev/null
    winePid=""
    rm -rf "$work/program"
}

measure "$1" after
[ $# -ge 2 ] && measure "$2" before
exit 0
