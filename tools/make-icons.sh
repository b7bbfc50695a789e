#!/usr/bin/env bash
# Draws the icons that the program loads by resource id and writes them into
# resources/icons/ as "<id>.png" (32 x 32, RGBA, transparent outside the
# drawing):
#
#   131.png - the broken-image icon, drawn in place of a picture that could
#             not be shown
#
# The icons are committed, so the build never needs ImageMagick; run this
# again only after changing a drawing below. ImageMagick is called by its
# full Debian path because a `convert` found earlier on PATH may be something
# else entirely. -strip drops the time stamps, so re-running gives the same
# bytes.
set -euo pipefail

CONVERT=/usr/bin/convert

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=${1:-"$here/../resources/icons"}

if [[ ! -x $CONVERT ]]; then
    echo "make-icons: $CONVERT not found (apt-get install imagemagick)" >&2
    exit 1
fi
mkdir -p "$out"

# Broken image: a sheet with a turned-down corner holding a small picture
# (sky, sun, hill), torn in two along a zigzag, the right piece slipped down
# and to the right. Pixel art at its real size, without antialiasing, so the
# icon maps cleanly onto a 256-colour palette.
edge='#404040'
paper='#ffffff'
fold='#c0c0c0'
sky='#66ccff'
hill='#339933'
sun='#ffcc00'
tear='#cc0000'

left='3,3 12,3 15,8 11,13 16,19 12,24 15,29 3,29'
right='14,4 23,4 29,10 29,30 17,30 14,25 18,20 13,14 17,9'

"$CONVERT" -size 32x32 xc:none +antialias \
    -fill "$paper" -stroke "$edge" -draw "polygon $left" \
    -fill "$paper" -stroke "$edge" -draw "polygon $right" \
    -stroke none \
    -fill "$sky" -draw "polygon 5,6 12,6 13,8 10,13 12,16 5,16" \
    -fill "$sky" -draw "polygon 17,13 27,13 27,17 19,17 16,14" \
    -fill "$sun" -draw "circle 9,10 9,12" \
    -fill "$hill" -draw "polygon 5,25 5,20 9,17 13,20 11,24 12,25" \
    -fill "$hill" -draw "polygon 19,21 17,19 21,17 27,22 27,26 15,26 16,25" \
    -fill "$fold" -stroke "$edge" -draw "polygon 23,4 23,10 29,10" \
    -stroke "$tear" -draw "line 12,3 15,8" -draw "line 15,8 11,13" \
    -draw "line 11,13 16,19" -draw "line 16,19 12,24" -draw "line 12,24 15,29" \
    -strip -define png:color-type=6 \
    "PNG32:$out/131.png"

echo "wrote $out/131.png"
