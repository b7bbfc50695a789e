#!/usr/bin/env bash
# Under Xvfb: the real window shows the sample controls at their embeds, the
# clock repaints itself as time passes, and a click into the fetcher's field,
# typing and Return reach the control through the window, which then fetches
# the typed file. Closing the window stops and closes the controls.
#   controls_window_test.sh VESTRIAL VESTRIAL-OPF VESTRIAL-REGSVR CLOCK.ocx FETCH.ocx
set -u
vestrial=$1 opf=$2 regsvr=$3 clock=$4 fetch=$5
dir=$(mktemp -d)
export XDG_CONFIG_HOME=$dir/config
# The control directory is the per-user one; the program runs in it too.
export XDG_DATA_HOME=$dir/data XDG_CACHE_HOME=$dir/cache
work=$XDG_DATA_HOME/vestrial/controls
pid=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
snapshot() { /usr/bin/import -window "$window" "$1" 2>/dev/null; }
pixels_of() {
  /usr/bin/convert "$1" -format %c histogram:info:- |
    awk -v c="#$2" 'toupper($0) ~ toupper(c) { sub(":", "", $1); n += $1 } END { print n + 0 }'
}

mkdir -p "$XDG_CONFIG_HOME" "$work"
"$regsvr" "$clock" "$fetch" || fail "vestrial-regsvr exited $?"
"$opf" "$dir/fetch.opf" --class '{C43C3C6E-B18F-493A-9D35-0626E980DD69}' \
  --property LogFile="$dir/fetch.log" || fail "vestrial-opf exited $?"
"$opf" "$dir/clock.opf" --class '{BA276F7D-C61B-4F72-873A-E3FA6891A173}' \
  --property BackColor='#FFFF00' --property Interval=100 \
  --property LogFile="$dir/clock.log" || fail "vestrial-opf exited $?"
echo "typed for" >"$dir/wanted.txt"
# The fetcher first, the clock right under it: the fetcher's field is 6
# pixels in and 26 to 46 down from its top-left corner, which is found from
# the clock's yellow (inside a one-pixel frame), wherever the window's bars
# put the page.
cat >"$dir/page.html" <<'HTML'
<html><head><title>Controls page</title></head><body bgcolor="#ffffff">
<embed src="fetch.opf" width=360 height=110><br>
<embed src="clock.opf" width=320 height=64>
</body></html>
HTML

(cd "$work" && exec "$vestrial" "$dir/page.html") &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Controls page - Vestrial$' | head -n 1)
[ -n "$window" ] || fail "no window titled 'Controls page - Vestrial' appeared"

for _ in $(seq 50); do
  snapshot "$dir/first.png" && [ "$(pixels_of "$dir/first.png" FFFF00)" -gt 15000 ] && break
  sleep 0.2
done
[ "$(pixels_of "$dir/first.png" FFFF00)" -gt 15000 ] || fail "the clock was not painted"

# The clock shows seconds and repaints every tenth of one: the window changes
# within a second or so.
changed=
for _ in $(seq 50); do
  snapshot "$dir/later.png"
  if ! cmp -s "$dir/first.png" "$dir/later.png"; then changed=1; break; fi
  sleep 0.1
done
[ -n "$changed" ] || fail "the clock did not repaint itself"

read -r clock_x clock_y < <(/usr/bin/convert "$dir/first.png" -fill black +opaque '#FFFF00' \
  -fill white -opaque '#FFFF00' -trim -format '%X %Y' info:)
xdotool mousemove --window "$window" $((clock_x - 1 + 68)) $((clock_y - 1 - 110 + 36)) click 1
xdotool windowfocus --sync "$window" type --delay 5 "wanted.txt"
xdotool key Return
for _ in $(seq 50); do
  grep -qx 'OnReadFileNotify wanted.txt 1' "$dir/fetch.log" 2>/dev/null && break
  sleep 0.2
done
grep -qx 'ReadFile wanted.txt' "$dir/fetch.log" || fail "the typing did not reach the control: $(cat "$dir/fetch.log")"
grep -qx 'OnReadFileNotify wanted.txt 1' "$dir/fetch.log" || fail "no answer: $(cat "$dir/fetch.log")"
cmp -s "$dir/wanted.txt" "$work/wanted.txt" || fail "the file was not fetched"
snapshot "$dir/typed.png"

xdotool mousemove --window "$window" 600 400 click 1
xdotool windowfocus --sync "$window" key Escape
timeout 10 tail --pid=$pid -f /dev/null || fail "the program did not end when its window closed"
wait $pid
status=$?
pid=
[ $status -eq 0 ] || fail "exit status $status"
[ "$(tail -n 2 "$dir/clock.log" | tr '\n' ' ')" = "Stop Close " ] || fail "clock log: $(cat "$dir/clock.log")"
[ "$(tail -n 2 "$dir/fetch.log" | tr '\n' ' ')" = "Stop Close " ] || fail "fetch log: $(cat "$dir/fetch.log")"
[ -n "${VESTRIAL_KEEP_SNAPSHOT:-}" ] && cp "$dir/typed.png" "$VESTRIAL_KEEP_SNAPSHOT"
echo "controls window test passed"
