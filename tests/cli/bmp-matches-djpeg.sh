#!/usr/bin/env bash
# bmp-matches-djpeg.sh TRIMWELL_CROP
# trimwell-crop --bmp writes exactly the pixels djpeg -bmp decodes (ImageMagick counts 0 differing pixels),
# for pictures made by an outside encoder: colour 4:2:0 and 4:2:2 of odd sizes, progressive, and grey.
set -uo pipefail
crop=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
convert -size 333x217 plasma:fractal -sampling-factor 2x2 -quality 88 "$work/colour420.jpg"
convert -size 101x77 gradient:red-blue -sampling-factor 2x1 -interlace JPEG -quality 75 "$work/colour422p.jpg"
convert -size 97x61 plasma:fractal -colorspace Gray -quality 90 "$work/grey.jpg"
for name in colour420 colour422p grey; do
    "$crop" --bmp "$work/$name-ours.bmp" "$work/$name.jpg" || { echo "FAIL: --bmp $name: exit $?"; failures=$((failures + 1)); continue; }
    djpeg -bmp -outfile "$work/$name-djpeg.bmp" "$work/$name.jpg"
    differing=$(compare -metric AE "$work/$name-ours.bmp" "$work/$name-djpeg.bmp" null: 2>&1)
    if [ "$differing" != 0 ]; then echo "FAIL: $name: $differing pixels differ"; failures=$((failures + 1)); fi
    echo "$name: $differing differing pixels"
done
"$crop" --info "$work/colour420.jpg" | grep -qx "grid 16x16" || { echo "FAIL: --info grid"; failures=$((failures + 1)); }
"$crop" --info "$work/grey.jpg" | grep -qx "bits 8" || { echo "FAIL: --info bits"; failures=$((failures + 1)); }
exit $((failures > 0))
