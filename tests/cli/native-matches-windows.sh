#!/usr/bin/env bash
# native-matches-windows.sh NATIVE_CROP WINDOWS_CROP_EXE REPO_ROOT
# The native trimwell-crop and trimwell-crop.exe under Wine write byte-identical files for the same input
# and options, and both fail the same way: exit 1, OUTPUT untouched, no temporary file left.
set -uo pipefail
native=$1 windows=$2 root=$3
if [ ! -f "$windows" ]; then echo "no Windows build at $windows: skipped"; exit 77; fi
images=$root/build/deps/src/libjpeg-turbo/testimages
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0; checks=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
wineCrop() { "$root/scripts/wine-run" "$windows" "$@"; }

# Exif with a thumbnail, a comment and ICC, made with the outside tools so the case is not our own writer.
cp "$images/testorig.jpg" "$work/camera.jpg"
exiftool -q -overwrite_original -Make=Trimwell -ExifImageWidth=227 -ExifImageHeight=149 \
    -Comment="a comment" "-ThumbnailImage<=$images/testimgint.jpg" "-ICC_Profile<=$images/test1.icc" \
    "$work/camera.jpg" >"$work/exiftool.log" 2>&1 || { echo "FAIL: exiftool could not make the Exif case:"; cat "$work/exiftool.log"; exit 1; }
checks=$((checks + 1))
[ "$(exiftool -s3 -Make "$work/camera.jpg")" = Trimwell ] && exiftool -s3 -ThumbnailLength "$work/camera.jpg" | grep -q '^[1-9]' ||
    fail "the Exif case has no Exif segment with a thumbnail"

run=0
compare() { # image, options...
    local image=$1; shift
    run=$((run + 1)); checks=$((checks + 1))
    local a="$work/native-$run.jpg" b="$work/windows-$run.jpg"
    "$native" "$@" "$image" "$a" || { fail "native $* $image: exit $?"; return; }
    wineCrop "$@" "Z:$image" "Z:$b" || { fail "windows $* $image: exit $?"; return; }
    cmp -s "$a" "$b" || fail "outputs differ for $* $(basename "$image")"
}
for image in "$images/testorig.jpg" "$images/testimgari.jpg" "$images/testimgint.jpg" "$work/camera.jpg"; do
    compare "$image"
    compare "$image" --crop 100x80+20+10
    compare "$image" --crop 57x33+170+116 --progressive --markers comments
    compare "$image" --crop 64x64+16+16 --grayscale --markers none
done

failing() { # expected exit, options...
    local expected=$1; shift
    local name
    for name in native windows; do
        checks=$((checks + 1))
        local dir="$work/fail-$name"
        rm -rf "$dir"; mkdir -p "$dir"
        printf 'previous' >"$dir/out.jpg"
        cp "$images/testorig.jpg" "$dir/in.jpg"
        local status
        if [ $name = native ]; then
            "$native" "$@" "$dir/in.jpg" "$dir/out.jpg" 2>"$dir.err"; status=$?
        else
            wineCrop "$@" "Z:$dir/in.jpg" "Z:$dir/out.jpg" 2>"$dir.err"; status=$?
        fi
        [ "$status" = "$expected" ] || fail "$name $*: exit $status, wanted $expected"
        [ "$(cat "$dir/out.jpg")" = previous ] || fail "$name $*: OUTPUT changed"
        [ "$(ls "$dir" | tr '\n' ' ')" = "in.jpg out.jpg " ] || fail "$name $*: left $(ls "$dir")"
        [ -s "$dir.err" ] || fail "$name $*: no message"
    done
}
failing 1 --crop 300x10+0+0
for name in native windows; do
    checks=$((checks + 1))
    grep -q "Invalid crop request" "$work/fail-$name.err" || fail "$name: the library's message is missing: $(cat "$work/fail-$name.err")"
done
failing 2 --crop 10x10
failing 2 --markers few

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
