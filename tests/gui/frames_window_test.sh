#!/usr/bin/env bash
# Under Xvfb: a page of three frames (one column, and a nested set of two
# rows) in the real window. Each pane shows its own page, a tall frame has its
# own scroll bar unless its scrolling is "no", resizing the window keeps the
# proportions (read from where the bars are in the window's picture), a
# dragged bar moves, and a link with a target loads in that frame only. Runs
# under with_xvfb.sh, which sets DISPLAY.
#   frames_window_test.sh VESTRIAL
set -u
vestrial=$1
dir=$(mktemp -d)
export XDG_CONFIG_HOME=$dir/config
pid=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
snapshot() { /usr/bin/import -window "$window" "$1" 2>/dev/null; }
hex_at() { /usr/bin/convert "$1" -format "%[hex:p{$2,$3}]" info:; }
# The first y from $3 down (x = $2) whose colour is not $4, or empty.
first_other() {
  /usr/bin/convert "$1" -crop "1x10000+$2+$3" +repage -depth 8 txt:- |
    awk -v c="#$4" -v y0="$3" 'NR > 1 && index($0, c) == 0 { split($1, a, /[,:]/); print a[2] + y0; exit }'
}
# Polls the window's picture until the command holds for it.
until_picture() {
  for _ in $(seq 100); do
    snapshot "$dir/now.png" && "$@" "$dir/now.png" && return 0
    sleep 0.1
  done
  return 1
}

cat >"$dir/set.html" <<'HTML'
<html><head><title>Frames</title></head>
<frameset cols="100,*">
<frame src="left.html" name="left" scrolling="no">
<frameset rows="20%,30%">
<frame src="upper.html" name="upper">
<frame src="lower.html" name="lower">
</frameset></frameset></html>
HTML
tall() { echo "<body bgcolor=\"$1\">$2"; for i in $(seq 1 100); do echo "<p>$i</p>"; done; echo '</body>'; }
tall '#ff0000' '' >"$dir/left.html"
tall '#00ff00' '' >"$dir/upper.html"
echo '<body bgcolor="#0000ff"><h1><a href="other.html" target="upper">To the upper frame</a></h1>
<h1><a href="other.html" target="nowhere">Away from the frames</a></h1></body>' >"$dir/lower.html"
echo '<title>Other</title><body bgcolor="#ffff00">Other page</body>' >"$dir/other.html"

"$vestrial" "$dir/set.html" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Frames - Vestrial$' | head -n 1)
[ -n "$window" ] || fail "no window titled 'Frames - Vestrial' appeared"

# The page area starts at y = 99 (menu, tool and location bars) and ends 22
# above the window's bottom (status bar); 800 x 522 at first.
xdotool windowsize --sync "$window" 800 643
# Painted at the new size: a slow program may still show the old one, or
# the tall upper frame before its layout has ended and given it its scroll
# bar (checked on its own below).
painted() { [ "$(hex_at "$1" 50 543)" = FF0000 ] && [ "$(hex_at "$1" 400 143)" = 00FF00 ] &&
  [ "$(hex_at "$1" 400 543)" = 0000FF ] && [ "$(first_other "$1" 50 99 FF0000)" = 621 ] &&
  [ "$(hex_at "$1" 790 143)" != 00FF00 ]; }
until_picture painted || fail "the three frames were not painted: $(hex_at "$dir/now.png" 50 543) $(hex_at "$dir/now.png" 400 143) $(hex_at "$dir/now.png" 400 543)"
cp "$dir/now.png" "$dir/first.png"
# The column of 100 plus a scroll bar's width, never scrolled itself: red to
# its edge; the tall upper frame has a scroll bar at its right.
[ "$(first_other "$dir/first.png" 50 99 FF0000)" = 621 ] || fail "the left frame is not the page area's height"
bar=$(/usr/bin/convert "$dir/first.png" -crop 800x1+60+343 +repage -depth 8 txt:- |
  awk 'NR > 1 && index($0, "#FF0000") == 0 { split($1, a, /[,:]/); print a[1] + 60; exit }')
[ "$bar" = 116 ] || fail "the left column ends at $bar, not 116"
[ "$(hex_at "$dir/first.png" 790 143)" != 00FF00 ] || fail "the tall upper frame has no scroll bar"
rows_at() { # HEIGHT: where the upper row ends for a page area that high
  echo $((99 + ($1 - 6) * 20 / 50))
}
[ "$(first_other "$dir/first.png" 400 99 00FF00)" = "$(rows_at 522)" ] ||
  fail "upper row ends at $(first_other "$dir/first.png" 400 99 00FF00), not $(rows_at 522)"

# A larger window: the rows keep 20 : 30 of the new height.
xdotool windowsize --sync "$window" 900 743
resized() { [ "$(first_other "$1" 400 99 00FF00)" = "$(rows_at 622)" ]; }
until_picture resized || fail "after resizing the upper row ends at $(first_other "$dir/now.png" 400 99 00FF00), not $(rows_at 622)"
[ "$(hex_at "$dir/now.png" 890 693)" = 0000FF ] || fail "the lower frame does not reach the new corner"

# Dragging the bar after the left column to x = 300.
xdotool mousemove --sync --window "$window" 119 443
xdotool mousedown 1
xdotool mousemove --sync --window "$window" 200 443
xdotool mousemove --sync --window "$window" 300 443
xdotool mouseup 1
dragged() { [ "$(hex_at "$1" 290 443)" = FF0000 ]; }
until_picture dragged || fail "the dragged bar did not widen the left column"

# The link in the lower frame loads the other page into the upper one only.
xdotool mousemove --window "$window" 400 "$(($(rows_at 622) + 30))" click 1
loaded() { [ "$(hex_at "$1" 600 143)" = FFFF00 ] && [ "$(hex_at "$1" 600 693)" = 0000FF ] &&
  [ "$(hex_at "$1" 100 443)" = FF0000 ]; }
until_picture loaded || fail "the link's target: $(hex_at "$dir/now.png" 600 143) $(hex_at "$dir/now.png" 600 693)"
[ "$(xdotool getwindowname "$window")" = "Frames - Vestrial" ] || fail "the top page changed"

# A link to a frame the page does not have replaces the whole page, from a
# click inside one of the frames it takes down.
xdotool mousemove --window "$window" 400 "$(($(rows_at 622) + 6 + 100))" click 1
other=$(timeout 20 xdotool search --sync --onlyvisible --name '^Other - Vestrial$' | head -n 1)
[ -n "$other" ] || fail "an unknown target did not open the page in the window"
whole() { [ "$(hex_at "$1" 100 443)" = FFFF00 ] && [ "$(hex_at "$1" 600 693)" = FFFF00 ]; }
until_picture whole || fail "the other page does not fill the window"

xdotool mousemove --window "$window" 600 143 click 1
xdotool windowfocus --sync "$window" key Escape
timeout 10 tail --pid=$pid -f /dev/null || fail "the program did not end when its window closed"
wait $pid
status=$?
pid=
[ $status -eq 0 ] || fail "exit status $status"
echo "frames window test passed"
