#!/usr/bin/env bash
# Under Xvfb: a form in the real window, filled in with the mouse and the
# keyboard (xdotool): text typed into a field, a box ticked, an option picked
# from a drop-down list, the page scrolled (the controls move with it), and
# Submit pressed. The recording server gets the expected query. Runs under
# with_xvfb.sh, which sets DISPLAY.
#   forms_window_test.sh VESTRIAL
set -u
vestrial=$1
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
export XDG_CONFIG_HOME=$dir/config
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
snapshot() { /usr/bin/import -window "$window" "$1" 2>/dev/null; }

mkdir -p "$dir/www" "$XDG_CONFIG_HOME"
{
  cat <<'HTML'
<html><head><title>Form page</title></head><body bgcolor="#ffffff">
<form action="/get">
<p>Name <input name=n size=30></p>
<p><input type=checkbox name=c value=on> Tick this box</p>
<p><select name=s><option value=1>One<option value=2>Two<option value=3>Three</select></p>
<p><input type=submit value="Send it"></p>
</form>
HTML
  for i in $(seq 1 60); do echo "<p>Line $i of the page below the form.</p>"; done
} >"$dir/www/form.html"

# Where the layout puts each control (page coordinates), from the headless
# program's layout of the same page: "left top right bottom".
"$vestrial" --headless --dump-layout "$dir/www/form.html" >"$dir/layout" ||
  fail "no layout of the page"
rect_of() {
  grep '"type":9' "$dir/layout" | grep "\"name\":\"$1\"" | head -n 1 |
    sed -e 's/.*"rect":\[\([-0-9,]*\)\].*/\1/' | tr ',' ' '
}
# The page area starts below the menu bar, the tool bar and the location
# bar.
page_top=99
# until COMMAND...: runs the command until it succeeds, for at most ten
# seconds.
until_true() {
  for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done
  return 1
}
# The control is on the screen: its rectangle holds more than the page's one
# colour (the layout draws nothing there itself).
control_shown() {
  read -r left top right bottom <<<"$(rect_of "$1")"
  snapshot "$dir/now.png" || return 1
  [ "$(convert "$dir/now.png" -crop "$((right - left))x$((bottom - top))+$left+$((page_top + top))" \
    +repage -format '%k' info:)" -gt 1 ]
}
visible_windows() { xdotool search --onlyvisible --class '' | wc -l; }
menu_open() { [ "$(visible_windows)" -gt "$windows" ]; }
menu_closed() { [ "$(visible_windows)" -le "$windows" ]; }
# click_control NAME [SCROLLED]: a click in the middle of the control.
click_control() {
  read -r left top right bottom <<<"$(rect_of "$1")"
  [ -n "$bottom" ] || fail "the layout has no control $1"
  xdotool mousemove --window "$window" $(((left + right) / 2)) \
    $((page_top + (top + bottom) / 2 - ${2:-0})) click 1
}

/usr/bin/python3 "$here/record_server.py" "$dir" "$dir/port" &
pids+=($!)
for _ in $(seq 100); do [ -s "$dir/port" ] && break; sleep 0.1; done
[ -s "$dir/port" ] || fail "the recording server did not start"

"$vestrial" "http://127.0.0.1:$(cat "$dir/port")/form.html" &
pids+=($!)
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Form page - Vestrial$' | head -n 1)
[ -n "$window" ] || fail "no window titled 'Form page - Vestrial' appeared"
until_true control_shown n && until_true control_shown unnamed ||
  fail "the form's controls did not appear"
windows=$(visible_windows)

click_control n
xdotool type --delay 5 "hello world"
click_control c
# The drop-down opens with its current option over the list; the next
# option is one menu line (21 pixels) below it.
read -r left top right bottom <<<"$(rect_of s)"
choice="$((right - left))x$((bottom - top))+$left+$((page_top + top))"
snapshot "$dir/closed.png"
convert "$dir/closed.png" -crop "$choice" +repage "$dir/first-option.png"
click_control s
until_true menu_open || fail "the drop-down list did not open"
xdotool mousemove --window "$window" $(((left + right) / 2)) \
  $((page_top + (top + bottom) / 2 + 21)) click 1
until_true menu_closed || fail "the drop-down list did not close"
choice_changed() {
  snapshot "$dir/before.png" &&
    convert "$dir/before.png" -crop "$choice" +repage "$dir/chosen.png" &&
    ! cmp -s "$dir/first-option.png" "$dir/chosen.png"
}
until_true choice_changed || fail "the drop-down list shows the option it had"

# One turn of the wheel. A piece of the page holding the check box and its
# label must turn up higher by the same distance, box and text together.
read -r left top right bottom <<<"$(rect_of c)"
piece="$((left + 120))x$((bottom - top + 4))+$((left - 2))+$((page_top + top - 2))"
convert "$dir/before.png" -crop "$piece" +repage "$dir/piece.png"
xdotool mousemove --window "$window" 400 300 click 5
scrolled_away() { snapshot "$dir/after.png" && ! cmp -s "$dir/before.png" "$dir/after.png"; }
until_true scrolled_away || fail "the wheel did not scroll the page"
# The same columns of the page area above the piece's old place: where the
# piece is found exactly in it tells how far it went.
convert "$dir/after.png" -crop "$((left + 120))x$((bottom + 2))+$((left - 2))+$page_top" \
  +repage "$dir/strip.png"
found=$(compare -metric AE -subimage-search "$dir/strip.png" "$dir/piece.png" null: 2>&1)
scrolled=
[[ $found =~ ^0\ @\ 0,([0-9]+)$ ]] && scrolled=$((top - 2 - BASH_REMATCH[1]))
[ -n "$scrolled" ] && [ "$scrolled" -gt 0 ] ||
  fail "the check box and its label did not move together with the page ($found)"

click_control unnamed "$scrolled"
got=$(timeout 20 xdotool search --sync --onlyvisible --name '^Got ' | head -n 1)
[ -n "$got" ] || fail "the submission did not load (title: $(xdotool getwindowname "$window"))"
line=$(head -n 1 "$dir/request-2" | tr -d '\r')
query=${line#GET /get?}
query=${query% HTTP/1.0}
[ "$(tr '&' '\n' <<<"$query" | sort | paste -sd' ')" = "c=on n=hello+world s=2" ] ||
  fail "the server received $line"

# Back on the form (fresh controls): Tab goes from the field to the check
# box, space ticks it, and Enter in the field submits the form.
xdotool mousemove --window "$window" 38 40 click 1
back=$(timeout 20 xdotool search --sync --onlyvisible --name '^Form page - Vestrial$' | head -n 1)
[ -n "$back" ] || fail "Back did not show the form again"
until_true control_shown n || fail "the controls did not come back"
click_control n
xdotool type --delay 5 "again"
xdotool key Tab key space
click_control n
xdotool key Return
got=$(timeout 20 xdotool search --sync --onlyvisible --name '^Got 3' | head -n 1)
[ -n "$got" ] || fail "Enter did not submit (title: $(xdotool getwindowname "$window"))"
line=$(head -n 1 "$dir/request-3" | tr -d '\r')
query=${line#GET /get?}
query=${query% HTTP/1.0}
[ "$(tr '&' '\n' <<<"$query" | sort | paste -sd' ')" = "c=on n=again s=1" ] ||
  fail "after Tab and Enter the server received $line"
echo "forms window test passed"
