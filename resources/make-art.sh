#!/usr/bin/env bash
# Regenerates the programs' artwork in resources/art/ with ImageMagick, so
# that nobody edits the binaries by hand. Bitmaps are 8-bit palette BMPs,
# uncompressed (older systems load those most reliably).
set -euo pipefail
cd "$(dirname "$0")/art"
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
FONT_PLAIN=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
IM=/usr/bin/convert
bmp() { "$IM" "$@" -colors 256 -type Palette -compress None "BMP3:$OUT"; }

# Page icon 114 and the uninstaller's 101: a page with a red PDF band.
icon() {  # $1 output, $2 band colour
    local sizes=(16 24 32 48) files=()
    for s in "${sizes[@]}"; do
        local f; f=$(mktemp --suffix=.png)
        local m=$((s / 8)) b=$((s * 5 / 8))
        "$IM" -size ${s}x${s} xc:none -fill white -stroke '#404040' -strokewidth 1 \
            -draw "rectangle $m,0 $((s - m - 1)),$((s - 1))" \
            -stroke none -fill "$2" -draw "rectangle 0,$((s / 2 - 1)) $((s - 1)),$b" \
            -fill '#4060a0' -draw "rectangle $((m + 2)),$((s / 6)) $((s - m - 3)),$((s / 6 + s / 12))" \
            -colors 256 "PNG32:$f"
        files+=("$f")
    done
    "$IM" "${files[@]}" "$1"
    rm -f "${files[@]}"
}
icon setup.ico '#c02020'
icon uninstall.ico '#808080'

# Splash 115: 400 x 140.
OUT=splash.bmp bmp -size 400x140 gradient:'#ffffff'-'#c8d2ec' \
    -fill '#c02020' -draw 'rectangle 0,96 400,104' \
    -font "$FONT" -pointsize 30 -fill '#1f3a78' -annotate +24+58 'Orlan PDF Scribe' \
    -font "$FONT_PLAIN" -pointsize 13 -fill '#404040' -annotate +26+84 'Print any document to PDF' \
    -pointsize 11 -annotate +26+128 'Version 3.1  -  Orlan Software'

# Side picture 117: 180 x 320.
OUT=side.bmp bmp -size 180x320 gradient:'#1f3a78'-'#8fa6d8' \
    -fill '#c02020' -draw 'rectangle 0,236 180,244' \
    -fill white -draw 'polygon 50,70 112,70 130,88 130,170 50,170' \
    -fill '#d0d8ee' -draw 'polygon 112,70 112,88 130,88' \
    -fill '#c02020' -draw 'rectangle 58,120 122,140' \
    -font "$FONT" -pointsize 14 -fill white -annotate +76+135 'PDF' \
    -pointsize 17 -annotate +18+280 'Orlan' -font "$FONT_PLAIN" -pointsize 13 -annotate +18+298 'PDF Scribe'

# Heading pictures on the outer pages, each the size of its place: 113 x 19
# and 95 x 17 dialog units at Arial 9 pt (7 x 14 pixel base units). The text
# is fitted into the picture, so that no letter is cut off.
heading() {  # $1 file, $2 width, $3 height, $4 text
    local f; f=$(mktemp --suffix=.png)
    "$IM" -background white -fill '#1f3a78' -font "$FONT" -size "$(($2 - 4))x$(($3 - 6))" \
        -gravity west label:"$4" "PNG24:$f"
    OUT=$1 bmp -size "$2x$3" xc:white "$f" -gravity west -geometry +2+0 -composite \
        -fill '#c02020' -draw "rectangle 2,$(($3 - 3)) $(($2 / 3)),$(($3 - 2))"
    rm -f "$f"
}
heading welcome.bmp 198 33 'Welcome'
heading interrupted.bmp 166 29 'Setup Interrupted'
heading finish.bmp 198 33 'Setup Complete'

# Banner 120 across the inner pages: 500 x 65.
OUT=banner.bmp bmp -size 500x65 gradient:'#ffffff'-'#dfe4f3' -rotate 0 \
    -fill '#c02020' -draw 'rectangle 0,61 500,65' \
    -font "$FONT" -pointsize 18 -fill '#1f3a78' -annotate +14+30 'Orlan PDF Scribe Setup' \
    -font "$FONT_PLAIN" -pointsize 11 -fill '#404040' -annotate +16+49 'Print any document to PDF' \
    -fill white -stroke '#404040' -draw 'polygon 440,8 468,8 478,18 478,54 440,54' \
    -stroke none -fill '#c02020' -draw 'rectangle 436,30 482,42'
