#!/usr/bin/env bash
# The headless shell with embedded controls: the sample controls registered
# with vestrial-regsvr, described with vestrial-opf, shown in a screenshot at
# their embeds, fetching a file over http from lighttpd on 127.0.0.1, and
# stopped and closed when the program ends; a control that is not there
# leaves its embed empty.
#   controls_test.sh VESTRIAL VESTRIAL-OPF VESTRIAL-REGSVR CLOCK.ocx FETCH.ocx
set -u
vestrial=$1 opf=$2 regsvr=$3 clock=$4 fetch=$5
dir=$(mktemp -d)
export XDG_CONFIG_HOME=$dir/config
# The control directory is the per-user one; the program runs in it too.
export XDG_DATA_HOME=$dir/data XDG_CACHE_HOME=$dir/cache
work=$XDG_DATA_HOME/vestrial/controls
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
# The number of pixels of one colour in a picture.
pixels_of() {
  /usr/bin/convert "$1" -format %c histogram:info:- |
    awk -v c="#$2" 'toupper($0) ~ toupper(c) { sub(":", "", $1); n += $1 } END { print n + 0 }'
}
clock_class='{BA276F7D-C61B-4F72-873A-E3FA6891A173}'
fetch_class='{C43C3C6E-B18F-493A-9D35-0626E980DD69}'

mkdir -p "$XDG_CONFIG_HOME" "$dir/www" "$work"
"$regsvr" "$clock" "$fetch" || fail "vestrial-regsvr exited $?"
grep -q 'InprocServer32' "$XDG_CONFIG_HOME/vestrial/registry.reg" || fail "nothing registered"

"$opf" "$dir/www/clock.opf" --class "$clock_class" --company Vestrial --property Caption=Now \
  --property BackColor='#FFFF00' --property LogFile="$dir/clock.log" || fail "vestrial-opf exited $?"
"$opf" "$dir/www/stopped.opf" --class "$clock_class" --property Autostart=0 \
  --property BackColor='#00FFFF' --property LogFile="$dir/stopped.log" || fail "vestrial-opf exited $?"
"$opf" "$dir/www/fetch.opf" --class "$fetch_class" --property Address=data.txt \
  --property FetchOnStart=1 --property LogFile="$dir/fetch.log" || fail "vestrial-opf exited $?"
"$opf" "$dir/www/missing.opf" --class '{11111111-2222-3333-4444-555555555555}' ||
  fail "vestrial-opf exited $?"
echo "some data" >"$dir/www/data.txt"
cat >"$dir/www/page.html" <<'HTML'
<html><head><title>Controls</title></head><body bgcolor="#ffffff">
<embed src="clock.opf" width=320 height=64><br>
<embed src="stopped.opf" width=320 height=64><br>
<embed src="fetch.opf" width=360 height=110><br>
<embed src="missing.opf" width=100 height=40>
</body></html>
HTML

# Over http, so that the fetcher's file comes from the server.
lighttpd=$(command -v lighttpd || echo /usr/sbin/lighttpd)
[ -x "$lighttpd" ] || { echo "SKIP: lighttpd is not installed"; exit 0; }
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
cat >"$dir/lighttpd.conf" <<CONF
server.document-root = "$dir/www"
server.port = $port
server.bind = "127.0.0.1"
server.errorlog = "$dir/error.log"
mimetype.assign = (".html" => "text/html", ".opf" => "application/x-object-property-file", ".txt" => "text/plain")
CONF
"$lighttpd" -D -f "$dir/lighttpd.conf" &
pids+=($!)
for _ in $(seq 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done

(cd "$work" && timeout 60 "$vestrial" --headless --screenshot "$dir/shot.png" --size 640x480 \
  "http://127.0.0.1:$port/page.html") || fail "--screenshot exited $?"

# Each clock fills its rectangle with its own colour, apart from its frame
# and text; the embed of the missing control stays the page's white.
yellow=$(pixels_of "$dir/shot.png" FFFF00)
cyan=$(pixels_of "$dir/shot.png" 00FFFF)
[ "$yellow" -gt 15000 ] && [ "$yellow" -le $((320 * 64)) ] || fail "$yellow yellow pixels for the clock"
[ "$cyan" -gt 15000 ] && [ "$cyan" -le $((320 * 64)) ] || fail "$cyan cyan pixels for the stopped clock"

[ "$(cat "$dir/clock.log")" = "$(printf 'Load\nStart\nStop\nClose')" ] ||
  fail "clock log: $(cat "$dir/clock.log")"
[ "$(cat "$dir/stopped.log")" = "$(printf 'Load\nStop\nClose')" ] ||
  fail "stopped clock log: $(cat "$dir/stopped.log")"
grep -qx 'OnReadFileNotify data.txt 1' "$dir/fetch.log" || fail "fetch log: $(cat "$dir/fetch.log")"
cmp -s "$dir/www/data.txt" "$work/data.txt" || fail "the fetched file is not in the control directory"

# The script shell: "print controls" lists the items, "control-event" has the
# fetcher fire its events through its connection point.
echo "more data" >"$dir/www/more.txt"
echo '<title>Plain</title>no controls' >"$dir/www/plain.html"
: >"$dir/fetch.log"
run() { # SCRIPT: out, err and status of the run
  out=$(printf '%s\n' "$1" | (cd "$work" && timeout 60 "$vestrial" --headless --script - \
    --size 640x480 2>"$dir/err"))
  status=$?
  err=$(cat "$dir/err")
}
url=http://127.0.0.1:$port
run "open $url/page.html
print controls
control-event 3 Clicked
control-event 3 ReadFile name.txt,5
control-event 3 ReadFile ,more.txt
open $url/plain.html
print controls"
[ $status = 0 ] || fail "control script: status $status: $err"
# Number, class, page rectangle, state, started: the embeds' own sizes.
listed=$(awk '{ split($3, r, ","); print $1, $2, r[3] - r[1] "x" (r[4] - r[2]), $4, $5 }' <<<"$out")
[ "$listed" = "1 $clock_class 320x64 active started
2 $clock_class 320x64 active not-started
3 $fetch_class 360x110 active started
4 {11111111-2222-3333-4444-555555555555} 100x40 empty failed" ] || fail "print controls: $out"
[ "$(cat "$dir/fetch.log")" = "$(printf '%s\n' Load Start 'ReadFile data.txt' \
  'OnReadFileNotify data.txt 1' 'FireEvent Clicked ' 'FireEvent ReadFile name.txt,5' \
  'OnReadFileNotify  0' 'FireEvent ReadFile ,more.txt' 'OnReadFileNotify more.txt 1' Stop Close)" ] ||
  fail "fetch log after control-event: $(cat "$dir/fetch.log")"
cmp -s "$dir/www/more.txt" "$work/more.txt" || fail "control-event ReadFile fetched nothing"

# Control numbers: 4 is the last (its control failed), 5 one over, 0 none.
for row in "4 Clicked|1|line 2: control 4 is not running" \
  "5 Clicked|2|line 2: the page has 4 control(s), not 5" \
  "0 Clicked|2|line 2: control-event takes the control's number (1 for the first), not \"0\"" \
  "1 Tick|1|line 2: control 1 has no method FireEvent" \
  "3 Nonsense|1|line 2: control 3 did not fire \"Nonsense\" (0x80020003)"; do
  IFS='|' read -r args want_status want_err <<<"$row"
  run "open $url/page.html
control-event $args"
  [ "$status" = "$want_status" ] && grep -qxF "vestrial: $want_err" <<<"$err" ||
    fail "control-event $args: status $status: $err"
done

# The layout dump lists the embeds.
out=$(cd "$work" && "$vestrial" --headless --dump-layout "http://127.0.0.1:$port/page.html") ||
  fail "--dump-layout exited $?"
[ "$(grep -c '"type":7' <<<"$out")" -eq 4 ] || fail "not four embeds in the dump: $out"
echo "controls test passed"
