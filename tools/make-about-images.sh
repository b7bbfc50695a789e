#!/usr/bin/env bash
# Draws the two pictures that the built-in about: pages use and writes them
# into resources/about/:
#
#   BROKEN.GIF    32 x 32, GIF87a  - shown in place of an image that failed
#   VESTRIAL.GIF 200 x 197, GIF89a - the product logo on about:about.htm
#
# The pictures are committed, so the build never needs ImageMagick; run this
# again only after changing a drawing below.  ImageMagick is called by its
# full Debian path because a `convert` found earlier on PATH may be something
# else entirely.
#
# Re-running gives the same bytes: -strip drops the comment and timestamp
# chunks, colour reduction is done without dithering, and every shape is a
# fixed coordinate list.
set -euo pipefail

CONVERT=/usr/bin/convert
FONT=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=${1:-"$here/../resources/about"}

if [[ ! -x $CONVERT ]]; then
    echo "make-about-images: $CONVERT not found (apt-get install imagemagick)" >&2
    exit 1
fi
if [[ ! -r $FONT ]]; then
    echo "make-about-images: $FONT not found (apt-get install fonts-liberation)" >&2
    exit 1
fi
mkdir -p "$out"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# ---------------------------------------------------------------------------
# Logo.  Drawn four times larger than the result and scaled down, which gives
# smooth edges without relying on the rasteriser's own antialiasing.
# ---------------------------------------------------------------------------
S=4                     # supersampling factor
W=200 H=197
CX=100 CY=80            # centre of the disc, in final pixels
R=76                    # outer radius of the disc

# Scales every number in a coordinate string by $S, so the drawings below
# can be written in final-pixel units.
up() {
    awk -v s="$S" '{
        for (i = 1; i <= NF; i++) {
            n = split($i, p, ",")
            o = ""
            for (j = 1; j <= n; j++) o = o (j > 1 ? "," : "") (p[j] * s)
            printf "%s%s", (i > 1 ? " " : ""), o
        }
        printf "\n"
    }' <<<"$*"
}

# One arm of a compass star as two triangles that share the arm's centre
# line: a lit half and a shaded half, which reads as a raised facet.
#   arm ANGLE LENGTH HALFWIDTH LIT SHADE
arm() {
    awk -v cx="$CX" -v cy="$CY" -v a="$1" -v len="$2" -v hw="$3" \
        -v lit="$4" -v shade="$5" 'BEGIN {
        pi = atan2(0, -1)
        t = a * pi / 180
        # tip of the arm, and the two shoulders set off at 45 degrees
        tx = cx + len * sin(t);  ty = cy - len * cos(t)
        lx = cx + hw * sin(t - pi / 4);  ly = cy - hw * cos(t - pi / 4)
        rx = cx + hw * sin(t + pi / 4);  ry = cy - hw * cos(t + pi / 4)
        printf "fill %s polygon %.2f,%.2f %.2f,%.2f %.2f,%.2f\n", lit, cx, cy, lx, ly, tx, ty
        printf "fill %s polygon %.2f,%.2f %.2f,%.2f %.2f,%.2f\n", shade, cx, cy, rx, ry, tx, ty
    }'
}

# Turns "fill C polygon x,y ..." lines into -draw arguments at $S scale.
draw_args=()
add_shapes() {
    local colour coords
    while read -r _ colour _ coords; do
        draw_args+=(-fill "$colour" -draw "polygon $(up "$coords")")
    done
}

navy='#16325c'
deep='#0d2140'
ring='#e3a72f'
ring_dark='#b57d17'
ivory='#fbf7ec'
ice='#c9d8ee'
gold='#f2c14e'
amber='#c98a1c'

# The disc: a gold rim, a dark band, the navy field and a fine inner circle.
circle() { # cx cy r  -> "circle cx,cy cx+r,cy" at scale
    echo "circle $(up "$1,$2") $(up "$(($1 + $3)),$2")"
}
draw_args+=(-fill "$ring_dark" -draw "$(circle $CX $CY $R)")
draw_args+=(-fill "$ring" -draw "$(circle $CX $CY $((R - 2)))")
draw_args+=(-fill "$deep" -draw "$(circle $CX $CY $((R - 7)))")
draw_args+=(-fill "$navy" -draw "$(circle $CX $CY $((R - 10)))")
draw_args+=(-fill none -stroke "$ice" -strokewidth $((S * 1))
            -draw "$(circle $CX $CY 52)" -stroke none)

# Sixteen tick marks around the field, longer at the four cardinal points.
for i in $(seq 0 15); do
    read -r x1 y1 x2 y2 < <(awk -v cx="$CX" -v cy="$CY" -v i="$i" -v s="$S" 'BEGIN {
        pi = atan2(0, -1); t = i * pi / 8
        r1 = (i % 4 == 0) ? 56 : 59; r2 = 64
        printf "%.1f %.1f %.1f %.1f\n", (cx + r1 * sin(t)) * s, (cy - r1 * cos(t)) * s,
                                         (cx + r2 * sin(t)) * s, (cy - r2 * cos(t)) * s
    }')
    draw_args+=(-stroke "$ice" -strokewidth $((S * 2))
                -draw "line $x1,$y1 $x2,$y2" -stroke none)
done

# The star: four short gold diagonals under four long ivory cardinal arms;
# the north arm is the longest, so the mark has a direction.
add_shapes < <(
    for a in 45 135 225 315; do arm "$a" 40 11 "$gold" "$amber"; done
    arm 90 58 14 "$ivory" "$ice"
    arm 180 58 14 "$ivory" "$ice"
    arm 270 58 14 "$ivory" "$ice"
    arm 0 66 14 "$ivory" "$ice"
)
# A gold hub over the centre.
draw_args+=(-fill "$ring_dark" -draw "$(circle $CX $CY 6)")
draw_args+=(-fill "$gold" -draw "$(circle $CX $CY 4)")

# The word mark under the disc.
draw_args+=(-fill "$navy" -font "$FONT" -pointsize $((S * 30))
            -gravity south -annotate +0+$((S * 2)) "Vestrial" -gravity northwest)

# The background is drawn white and turned transparent after the colours are
# reduced; the fuzz catches the quantiser's nearest-white entry without
# reaching the ivory of the star.
"$CONVERT" -size $((W * S))x$((H * S)) xc:white \
    "${draw_args[@]}" \
    -filter box -resize ${W}x${H}\! \
    +dither -colors 63 \
    -fuzz 2% -transparent white +fuzz \
    -strip -interlace none \
    "GIF:$out/VESTRIAL.GIF"

# ---------------------------------------------------------------------------
# Broken-image sign.  Pixel art at its real size, without antialiasing, so
# every edge stays crisp at 32 pixels: a small picture (sky, sun, hill) on a
# sheet with a turned-down corner, torn in two along a zigzag, the right
# piece slipped down and to the right.
# ---------------------------------------------------------------------------
edge='#404040'
paper='#ffffff'
fold='#c0c0c0'
sky='#7fb2ff'
hill='#2e9a3a'
sun='#f0c020'
tear='#d02020'

# Left piece: the sheet from x=3 to the tear line.
left='3,3 12,3 15,8 11,13 16,19 12,24 15,29 3,29'
# Right piece: from the tear to the right edge, with the folded corner,
# moved 2 px right and 1 px down.
right='14,4 23,4 29,10 29,30 17,30 14,25 18,20 13,14 17,9'

"$CONVERT" -size 32x32 xc:'#c0c0c0' +antialias \
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
    +dither -colors 16 -strip -interlace none \
    "GIF87:$out/BROKEN.GIF"

echo "wrote $out/VESTRIAL.GIF and $out/BROKEN.GIF"
