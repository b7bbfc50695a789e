#!/usr/bin/env bash
# History, reload and stop through the headless shell's scripts, against
# lighttpd on 127.0.0.1. Each case runs against a server of its own, stopped
# afterwards so that its access log (flushed as it stops) counts exactly the
# requests the browser made.
#   history_test.sh VESTRIAL
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

lighttpd=/usr/sbin/lighttpd
if [ ! -x $lighttpd ]; then
  echo "history tests skipped: lighttpd is missing (scripts/setup.sh installs it)"
  exit 0
fi
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
wait_port() {
  for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0; sleep 0.1; done
  return 1
}

www=$dir/www
mkdir -p "$www" "$XDG_CONFIG_HOME"
/usr/bin/convert -size 20x20 xc:red "$www/red.gif"
/usr/bin/convert -size 2x2 xc:blue "$www/dot.gif"
# Each page's link to page d comes first, at the page's top-left margins.
for name in a b c d; do
  printf '<html><title>Page %s</title><body><a href="d.html">To page d</a> <img src="red.gif"></body></html>\n' \
    "$name" >"$www/$name.html"
done
printf '<title>Result</title>The form was posted.\n' >"$www/result.html"
# The link to the fragment comes first, at the page's top-left margins.
{
  echo '<title>Long</title><a href="#end">To the end</a>'
  for i in $(seq 1 150); do echo "<p>Line $i of a long page.</p>"; done
  echo '<p><a name="end">The end</a></p>'
} >"$www/long.html"
# More pictures than the object table keeps once they are released.
{
  echo '<title>Many</title>'
  for i in $(seq 1 51); do echo "<img src=\"dot.gif?$i\">"; done
} >"$www/many.html"

# One case: a fresh lighttpd, the script (with BASE standing for the
# server's address) run to its end, the server stopped. Leaves the script's
# stdout in out, its stderr in err, its status in status and the server's
# log in log.
run_case() {
  local port
  port=$(free_port)
  base=http://127.0.0.1:$port
  rm -f "$dir/access.log"
  cat >"$dir/lighttpd.conf" <<CONF
server.modules = ("mod_accesslog", "mod_redirect")
server.document-root = "$www"
server.port = $port
server.bind = "127.0.0.1"
server.errorlog = "$dir/error.log"
accesslog.filename = "$dir/access.log"
accesslog.format = "%r %>s"
url.redirect = ("^/old\\.html$" => "$base/b.html")
url.redirect-code = 302
mimetype.assign = (".html" => "text/html", ".gif" => "image/gif")
CONF
  $lighttpd -D -f "$dir/lighttpd.conf" &
  local server=$!
  wait_port "$port" || fail "lighttpd did not start: $(cat "$dir/error.log" 2>/dev/null)"
  echo "${1//BASE/$base}" | timeout 120 "$vestrial" --headless --script - >"$dir/out" 2>"$dir/err"
  status=$?
  kill $server
  wait $server
  log=$(cat "$dir/access.log")
  out=$(cat "$dir/out")
  err=$(cat "$dir/err")
}
# How many requests the log holds that start with the text given ("GET /a.html").
count() { grep -c "^$1 " <<<"$log"; }
expect_out() {
  [ "$out" = "$(printf '%s\n' "$@" | sed "s|BASE|$base|g")" ] ||
    fail "$case: the script printed
$out
--- instead of
$(printf '%s\n' "$@" | sed "s|BASE|$base|g")
--- stderr: $err"
}
expect_count() { [ "$(count "$1")" = "$2" ] || fail "$case: $2 of '$1' expected, the log has
$log"; }

case="walking back and forward"
run_case 'print enabled
open BASE/a.html
print enabled
open BASE/b.html
print enabled
open BASE/c.html
back
print enabled
print history
back
print enabled
back
forward
forward
print enabled
forward
print history
back
click 20 15
print history
print enabled
print title'
[ "$status" = 0 ] || fail "$case: status $status: $err"
expect_out "home" "home reload" "back home reload" "back forward home reload" \
  "  GET BASE/a.html" "* GET BASE/b.html" "  GET BASE/c.html" \
  "forward home reload" "back home reload" \
  "  GET BASE/a.html" "  GET BASE/b.html" "* GET BASE/c.html" \
  "  GET BASE/a.html" "  GET BASE/b.html" "* GET BASE/d.html" \
  "back home reload" "Page d - Vestrial"
for page in a b c d; do expect_count "GET /$page.html" 1; done
expect_count "GET /red.gif" 1
[[ $err == *"line 12: back is not enabled now"* ]] || fail "$case: no note for a greyed back: $err"
[[ $err == *"line 16: forward is not enabled now"* ]] || fail "$case: no note for a greyed forward: $err"

case="typing the two history addresses at the ends"
run_case 'open BASE/a.html
open navigation:backward
print history
screenshot '"$dir"'/empty.png
open navigation:forward
print history
print enabled'
[ "$status" = 0 ] || fail "$case: status $status: $err"
expect_out "* GET BASE/a.html" "* GET BASE/a.html" "home"
[ "$(/usr/bin/convert "$dir/empty.png" -format '%k' info:)" = 1 ] || fail "$case: the pane was not emptied"
expect_count "GET /a.html" 1
expect_count "GET" 2

case="a fragment link and back"
run_case 'open BASE/long.html
click 20 15
print url
print history
back
print url
print history'
[ "$status" = 0 ] || fail "$case: status $status: $err"
expect_out "BASE/long.html#end" "  GET BASE/long.html" "* GET BASE/long.html#end" \
  "BASE/long.html" "* GET BASE/long.html" "  GET BASE/long.html#end"
expect_count "GET /long.html" 1

case="a redirect"
run_case 'open BASE/old.html
print history
print url'
[ "$status" = 0 ] || fail "$case: status $status: $err"
expect_out "* GET BASE/b.html" "BASE/b.html"
expect_count "GET /old.html" 1
expect_count "GET /b.html" 1

case="reloading a page fetched by GET"
run_case 'open BASE/a.html
reload
print history
print title'
[ "$status" = 0 ] || fail "$case: status $status: $err"
expect_out "* GET BASE/a.html" "Page a - Vestrial"
expect_count "GET /a.html" 2
expect_count "GET /red.gif" 2

case="a posted page: back, reload, eviction"
run_case 'post BASE/result.html x=1
open BASE/a.html
back
print title
print history
answer no
reload
print title
print enabled
open BASE/many.html
back
print history
dump-elements
answer yes
reload
print title'
[ "$status" = 0 ] || fail "$case: status $status: $err"
notice="Data from the post operation is no longer available. Click on reload to post data again."
[[ $out == *"$notice"* ]] || fail "$case: the notice was not shown: $out"
out=$(grep -v '^{' <<<"$out")
expect_out "Result - Vestrial" "* POST BASE/result.html" "  GET BASE/a.html" \
  "Result - Vestrial" "forward home reload" \
  "* POST BASE/result.html" "  GET BASE/many.html" "Result - Vestrial"
expect_count "POST /result.html" 2
expect_count "GET /dot.gif?51" 1
question="The current document is the result of  posting a form. Do you wish to repost the form?"
[ "$(grep -cF "vestrial: $question" <<<"$err")" = 2 ] || fail "$case: the question was not asked twice: $err"
[[ $err == *"answered No"*"answered Yes"* ]] || fail "$case: the answers were not taken in order: $err"

# Stop: a server that accepts and never answers; stop ends the wait.
case="stop"
stall_port=$(free_port)
/usr/bin/python3 -c '
import socket, sys, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(8)
held = []
while True: held.append(s.accept()[0])
' "$stall_port" &
pids+=($!)
wait_port "$stall_port" || fail "the stalling server did not start"
run_case "open http://127.0.0.1:$stall_port/
stop
print enabled
print history"
[ "$status" = 0 ] || fail "$case: status $status: $err"
expect_out "home"
[[ $err != *"not enabled"* ]] || fail "$case: stop was greyed while loading: $err"
echo "history tests passed"
