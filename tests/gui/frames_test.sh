#!/usr/bin/env bash
# Pages of frames in the headless shell, served by lighttpd on 127.0.0.1: the
# panes and what they show, "frame NAME" and the commands that follow it,
# link targets, and the history, which only the top-level page enters.
#   frames_test.sh VESTRIAL
set -u
vestrial=$1
dir=$(mktemp -d)
export XDG_CONFIG_HOME=$dir/config
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
hex_at() { /usr/bin/convert "$1" -format "%[hex:p{$2,$3}]" info:; }
run() { # SCRIPT ARGS...: out, err and status of the run
  local script=$1
  shift
  out=$(printf '%s\n' "$script" | timeout 60 "$vestrial" --headless --script - "$@" 2>"$dir/err")
  status=$?
  err=$(cat "$dir/err")
}

lighttpd=/usr/sbin/lighttpd
[ -x $lighttpd ] || { echo "frames tests skipped: no lighttpd"; exit 0; }
mkdir -p "$dir/www" "$XDG_CONFIG_HOME"
# A column of 100 pixels that never scrolls, and a star column holding two
# rows of 20% and 30%.
cat >"$dir/www/set.html" <<'HTML'
<html><head><title>Frames</title></head>
<frameset cols="100,*">
<frame src="left.html" name="left" scrolling="no">
<frameset rows="20%,30%">
<frame src="upper.html" name="upper">
<frame src="lower.html" name="lower">
</frameset></frameset></html>
HTML
{
  echo '<body bgcolor="#ff0000"><a href="other.html" target="lower">To lower</a>'
  for i in $(seq 1 100); do echo "<p>Line $i</p>"; done
  echo '</body>'
} >"$dir/www/left.html"
echo '<body bgcolor="#00ff00"><a href="other.html">Self</a></body>' >"$dir/www/upper.html"
echo '<body bgcolor="#0000ff"><a href="other.html" target="nowhere">Out</a></body>' >"$dir/www/lower.html"
echo '<title>Other</title><body bgcolor="#ffff00">Other page</body>' >"$dir/www/other.html"

free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
wait_port() {
  for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0; sleep 0.1; done
  return 1
}
port=$(free_port)
cat >"$dir/lighttpd.conf" <<CONF
server.document-root = "$dir/www"
server.port = $port
server.bind = "127.0.0.1"
server.errorlog = "$dir/lighttpd.log"
mimetype.assign = (".html" => "text/html")
CONF
$lighttpd -D -f "$dir/lighttpd.conf" &
pids+=($!)
wait_port "$port" || fail "lighttpd did not start"
site=http://127.0.0.1:$port

# 640 x 480: the left column is 100 plus a 16-pixel scroll bar, then a bar
# of 6; the rows share 480 - 6 as 20 : 30.
run 'print frames
screenshot '"$dir"'/set.png
frame left
print url
dump-layout
key End
screenshot '"$dir"'/end.png
click 20 15
frame top
print frames
print url
print history' --size 640x480 "$site/set.html"
[ $status = 0 ] || fail "status $status: $err"
expected='{"depth":1,"name":"left","rect":[0,0,116,480],"url":"'$site'/left.html"}
{"depth":1,"name":"upper","rect":[122,0,640,189],"url":"'$site'/upper.html"}
{"depth":1,"name":"lower","rect":[122,195,640,480],"url":"'$site'/lower.html"}'
[ "$(head -n 3 <<<"$out")" = "$expected" ] || fail "frames: $(head -n 3 <<<"$out")"
[ "$(sed -n 4p <<<"$out")" = "$site/left.html" ] || fail "url in the left frame: $(sed -n 4p <<<"$out")"
grep -q '"extent":\[' <<<"$out" || fail "dump-layout of the frame wrote nothing"
[ "$(grep -c '"depth":1' <<<"$out")" = 6 ] || fail "the frames were not listed twice"
grep -q '"name":"lower","rect":\[122,195,640,480\],"url":"'$site'/other.html"' <<<"$out" ||
  fail "the link's target did not load the other page: $out"
grep -q '"name":"left",.*"url":"'$site'/left.html"' <<<"$out" || fail "the left frame moved on"
[ "$(tail -n 2 <<<"$out")" = "$site/set.html
* GET $site/set.html" ] || fail "top url and history: $(tail -n 2 <<<"$out")"
for at in "50 470 FF0000" "630 10 00FF00" "630 470 0000FF" "300 192 C0C0C0" "119 300 C0C0C0"; do
  read -r x y colour <<<"$at"
  [ "$(hex_at "$dir/set.png" "$x" "$y")" = "$colour" ] || fail "($x, $y) is $(hex_at "$dir/set.png" "$x" "$y"), not $colour"
done
cmp -s "$dir/set.png" "$dir/end.png" || fail "End scrolled a frame whose scrolling is no"

# A larger window keeps the proportions; a link without a target stays in its
# frame; an unknown target replaces the whole page.
run 'print frames
frame upper
click 20 15
frame top
print frames
frame lower
click 20 15
frame top
print url
print frames' --size 800x600 "$site/set.html"
[ $status = 0 ] || fail "second run: status $status: $err"
[ "$(sed -n 2p <<<"$out")" = '{"depth":1,"name":"upper","rect":[122,0,800,237],"url":"'$site'/upper.html"}' ] ||
  fail "800 x 600: $(sed -n 2p <<<"$out")"
[ "$(sed -n 5p <<<"$out")" = '{"depth":1,"name":"upper","rect":[122,0,800,237],"url":"'$site'/other.html"}' ] ||
  fail "a link without a target: $(sed -n 5p <<<"$out")"
[ "$(sed -n 7p <<<"$out")" = "$site/other.html" ] || fail "an unknown target: $(sed -n 7,9p <<<"$out")"
[ "$(wc -l <<<"$out")" = 7 ] || fail "frames left after an unknown target: $out"

# So many rows that every pane is squeezed to nothing: the window still has
# a picture.
{
  printf '<frameset rows="*'; for _ in $(seq 2 200); do printf ',*'; done; printf '">'
  for _ in $(seq 200); do printf '<frame src="other.html">'; done; echo '</frameset>'
} >"$dir/www/many.html"
run 'screenshot '"$dir"'/many.png' --size 200x100 "$site/many.html"
[ $status = 0 ] && [ "$(/usr/bin/identify -format '%w %h' "$dir/many.png")" = "200 100" ] ||
  fail "200 squeezed frames: $status $err"

# A page whose frame is the same page one folder further down (a folder
# that is a link to its own): the server never runs out of new addresses,
# frames load down to depth 8, and one deeper stays empty.
ln -s . "$dir/www/x"
echo '<frameset rows="*"><frame src="x/deep.html" name="deeper"></frameset>' >"$dir/www/deep.html"
run 'print frames' --size 200x300 "$site/deep.html"
[ $status = 0 ] || fail "nested without end: $status $err"
depths=$(grep -o '"depth":[0-9]*' <<<"$out" | cut -d: -f2 | tr '\n' ' ')
[ "$depths" = "1 2 3 4 5 6 7 8 9 " ] || fail "the nesting went to depths $depths"
[[ $(tail -n 1 <<<"$out") == *'"url":""}' ]] || fail "the deepest frame loaded: $(tail -n 1 <<<"$out")"

# A frame the page does not have fails the run; once the page has none the
# same name fails too.
run 'frame nosuch' "$site/set.html"
[ $status = 1 ] && [ "$err" = 'vestrial: line 1: the page shown has no frame called "nosuch"' ] ||
  fail "an unknown frame: $status $err"
run 'frame lower
open '"$site"'/other.html
print url' "$site/set.html"
[ $status = 1 ] && [[ $err == *'no frame called "lower"'* ]] || fail "a frame gone with its page: $status $err"
echo "frames tests passed"
