#!/usr/bin/env bash
# Setup's pictures and icon as they sit in setup.exe: each bitmap an 8-bit
# palette BMP of its size, the page icon with 16, 24, 32 and 48 pixel images.
# Args: dist folder, source folder.
set -uo pipefail
DIST=${1:?dist folder}
EXE=$DIST/setup.exe
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[ -f "$EXE" ] || { echo "FAIL: $EXE is missing"; exit 1; }
command -v wrestool >/dev/null || { echo "FAIL: wrestool (icoutils) is not installed"; exit 1; }

# Little-endian integers from a file: offset, byte count.
le() { od -An -t u"$2" -j "$1" -N "$2" --endian=little "$3" | tr -d ' '; }
les() { od -An -t d"$2" -j "$1" -N "$2" --endian=little "$3" | tr -d ' '; }

# id, width, height ("-" for any)
check_bitmap() {
    local id=$1 width=$2 height=$3 file=$WORK/bitmap_$1.bmp
    wrestool -x -t 2 -n "$id" "$EXE" > "$file" 2>/dev/null
    if [ ! -s "$file" ]; then fail "bitmap $id is not among setup's resources"; return; fi
    if [ "$(head -c 2 "$file")" != "BM" ]; then fail "bitmap $id is not a BMP"; return; fi
    local header w h bits colours
    header=$(le 14 4 "$file")
    w=$(les 18 4 "$file"); h=$(les 22 4 "$file"); h=${h#-}
    bits=$(le 28 2 "$file")
    colours=$(le 46 4 "$file")
    [ "$header" -ge 40 ] || fail "bitmap $id has an old-style header ($header bytes)"
    [ "$bits" = 8 ] || fail "bitmap $id has $bits bits per pixel, not an 8-bit palette"
    [ "$colours" -le 256 ] || fail "bitmap $id claims $colours palette colours"
    if [ "$width" != - ] && [ "$w" != "$width" ]; then fail "bitmap $id is $w pixels wide, not $width"; fi
    if [ "$height" != - ] && [ "$h" != "$height" ]; then fail "bitmap $id is $h pixels high, not $height"; fi
    echo "bitmap $id: ${w}x${h}, $bits bits"
}

check_bitmap 115 400 140
check_bitmap 117 180 320
check_bitmap 120 500 65
check_bitmap 118 - -
check_bitmap 119 - -
check_bitmap 122 - -

icon=$WORK/icon_114.ico
wrestool -x -t 14 -n 114 "$EXE" > "$icon" 2>/dev/null
if [ ! -s "$icon" ]; then
    fail "icon group 114 is not among setup's resources"
else
    listing=$(icotool -l "$icon" 2>&1)
    echo "$listing"
    for size in 16 24 32 48; do
        echo "$listing" | grep -q -- "--width=$size --height=$size" || fail "icon group 114 has no ${size}x${size} image"
    done
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures artwork check(s) failed"
    exit 1
fi
echo "artwork: all checks passed"
