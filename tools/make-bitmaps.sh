#!/usr/bin/env bash
# Draws the main window's pictures and writes them into resources/bitmaps/:
#
#   128.png        the tool bar strip: 8 pictures of 64 x 32 side by side
#                  (Back, Forward, Home, Reload, Open, Add, Hotlist, Stop),
#                  each a symbol above its caption
#   1001-1031.png  the location bar's busy animation, 52 x 49 each: a globe
#                  with a moon going round it; 1001 is the picture at rest.
#                  The window shows the 45 x 45 square at (7, 2) of each.
#
# The pictures are committed, so the build never needs ImageMagick; run this
# again only after changing a drawing below. ImageMagick is called by its full
# Debian path because a `convert` found earlier on PATH may be something else
# entirely. -strip drops the time stamps, so re-running gives the same bytes.
set -euo pipefail

CONVERT=/usr/bin/convert
FONT=/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=${1:-"$here/../resources/bitmaps"}

if [[ ! -x $CONVERT ]]; then
    echo "make-bitmaps: $CONVERT not found (apt-get install imagemagick)" >&2
    exit 1
fi
if [[ ! -r $FONT ]]; then
    echo "make-bitmaps: $FONT not found (apt-get install fonts-liberation)" >&2
    exit 1
fi
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

ink='#202020'
blue='#2060c0'
green='#208040'
red='#c02020'
gold='#e0a000'

# One picture: symbol drawing commands (on a 64 x 21 area centred at x 32),
# then the caption below it. Transparent where nothing is drawn, so the
# button's own face shows through.
picture() {
    local name=$1 caption=$2
    shift 2
    "$CONVERT" -size 64x32 xc:none -stroke none "$@" \
        -font "$FONT" -pointsize 11 -fill "$ink" -stroke none -gravity south \
        -annotate +0+0 "$caption" "$tmp/$name.png"
}

picture 0 Back -fill "$blue" -draw "polygon 20,10 30,2 30,7 44,7 44,13 30,13 30,18"
picture 1 Forward -fill "$blue" -draw "polygon 44,10 34,2 34,7 20,7 20,13 34,13 34,18"
picture 2 Home -fill "$red" -draw "polygon 32,1 21,10 43,10" \
    -fill '#f0e0c0' -stroke "$ink" -draw "rectangle 24,10 40,19" \
    -stroke none -fill "$ink" -draw "rectangle 30,13 34,19"
picture 3 Reload -fill none -stroke "$green" -strokewidth 3 -draw "arc 23,2 41,19 -60,230" \
    -stroke none -fill "$green" -draw "polygon 38,1 44,8 36,9"
picture 4 Open -fill '#ffffff' -stroke "$ink" -draw "polygon 25,1 35,1 40,6 40,19 25,19 25,1" \
    -draw "line 35,1 35,6" -draw "line 35,6 40,6" \
    -stroke "$blue" -draw "line 28,9 37,9" -draw "line 28,12 37,12" -draw "line 28,15 37,15"
picture 5 Add -fill "$gold" -stroke "$ink" \
    -draw "polygon 32,1 34.6,7.4 41.5,7.9 36.2,12.3 37.9,19 32,15.3 26.1,19 27.8,12.3 22.5,7.9 29.4,7.4"
picture 6 Hotlist -fill "$red" -stroke "$ink" -draw "rectangle 23,2 40,19" \
    -fill '#ffffff' -draw "rectangle 26,2 40,17" \
    -stroke "$ink" -draw "line 29,6 38,6" -draw "line 29,9 38,9" -draw "line 29,12 38,12"
picture 7 Stop -fill "$red" -stroke "$ink" \
    -draw "polygon 28,1 36,1 41,6 41,14 36,19 28,19 23,14 23,6" \
    -fill '#ffffff' -stroke none -draw "rectangle 26,9 38,11"

"$CONVERT" "$tmp"/{0,1,2,3,4,5,6,7}.png +append -strip -define png:color-type=6 \
    "PNG32:$out/128.png"
echo "wrote $out/128.png"

# The animation: the globe is centred in the shown square (29.5, 24.5 in the
# picture), the moon goes round once in 31 frames, starting at the top.
for i in $(seq 0 30); do
    read -r mx my < <(awk -v i="$i" 'BEGIN {
        a = i * 2 * 3.14159265 / 31
        printf "%.1f %.1f\n", 29.5 + 18 * sin(a), 24.5 - 18 * cos(a) }')
    "$CONVERT" -size 52x49 xc:'#c0c0c0' \
        -fill '#3070d0' -stroke "$ink" -draw "circle 29.5,24.5 29.5,36.5" \
        -fill "$green" -stroke none \
        -draw "polygon 22,17 28,15 31,19 27,23 29,28 25,31 21,25" \
        -draw "polygon 33,22 38,20 40,26 36,33 33,29" \
        -fill none -stroke '#808080' -draw "circle 29.5,24.5 29.5,42.5" \
        -fill "$gold" -stroke "$ink" -draw "circle $mx,$my $mx,$(awk -v y="$my" 'BEGIN{printf "%.1f", y + 3.5}')" \
        -strip -define png:color-type=2 "PNG24:$out/$((1001 + i)).png"
done
echo "wrote $out/1001.png .. $out/1031.png"
