#!/usr/bin/env bash
# The main window's commands through the headless shell's scripts: typed
# addresses (through lighttpd on 127.0.0.1 set up as the HTTP proxy, so that
# any host name reaches it), menu commands and their greying, the bars and
# their layout across a restart, Open File and Open URL, the address field's
# edit commands, the busy animation and find in page.
#   mainframe_test.sh VESTRIAL
set -u
vestrial=$1
dir=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$dir"
}
trap cleanup EXIT
fail() { echo "FAIL: $case: $*"; exit 1; }

lighttpd=/usr/sbin/lighttpd
if [ ! -x $lighttpd ]; then
  echo "main frame tests skipped: lighttpd is missing (scripts/setup.sh installs it)"
  exit 0
fi
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
wait_port() {
  for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0; sleep 0.1; done
  return 1
}

www=$dir/www
mkdir -p "$www" "$dir/my docs"
printf '<title>Page a</title>Page a.\n' >"$www/a.html"
printf '<title>Blank name</title>A file with blanks in its path.\n' >"$dir/my docs/a b.htm"
{
  echo '<title>Long</title>'
  for i in $(seq 1 200); do echo "<p>Line $i of a long page.</p>"; done
  echo '<p>The Needle is here.</p>'
} >"$www/long.html"

port=$(free_port)
base=http://127.0.0.1:$port
cat >"$dir/lighttpd.conf" <<CONF
server.modules = ("mod_accesslog")
server.document-root = "$www"
server.port = $port
server.bind = "127.0.0.1"
server.errorlog = "$dir/error.log"
accesslog.filename = "$dir/access.log"
accesslog.format = "%V %r"
mimetype.assign = (".html" => "text/html")
CONF
$lighttpd -D -f "$dir/lighttpd.conf" &
pids+=($!)
wait_port "$port" || { case=start; fail "lighttpd did not start: $(cat "$dir/error.log" 2>/dev/null)"; }

# A server that accepts and never answers: a load that stays active.
stall_port=$(free_port)
/usr/bin/python3 -c '
import socket, sys
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(8)
held = []
while True: held.append(s.accept()[0])
' "$stall_port" &
pids+=($!)
wait_port "$stall_port" || { case=start; fail "the stalling server did not start"; }

# Each run starts with these settings unless the case keeps the last run's:
# no home page, and the proxy (when asked for) pointing at lighttpd.
fresh_settings() {
  rm -rf "$dir/config"
  mkdir -p "$dir/config/vestrial"
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\UserInfo]\r\n"LoadHomePage"=dword:00000000\r\n'
    if [ "${1:-}" = proxy ]; then
      printf '\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\Network]\r\n"HttpProxy"="127.0.0.1"\r\n"HttpProxyPort"=dword:%08x\r\n' "$port"
    fi
  } >"$dir/config/vestrial/registry.reg"
}
run() {
  echo "$1" | XDG_CONFIG_HOME=$dir/config timeout 120 "$vestrial" --headless --script - >"$dir/out" 2>"$dir/err"
  status=$?
  out=$(cat "$dir/out")
  err=$(cat "$dir/err")
}
expect_out() {
  [ "$out" = "$(printf '%s\n' "$@")" ] || fail "the script printed
$out
--- instead of
$(printf '%s\n' "$@")
--- stderr: $err"
}
log_has() { grep -qxF "$1" "$dir/access.log" || fail "the server did not see '$1':
$(cat "$dir/access.log")"; }

case="menu commands are greyed by the rules"
fresh_settings
run "print enabled
menu back
menu 4007
open $base/a.html
print enabled
open $base/long.html
print enabled
menu back
print title
print enabled
menu 4007
print title
menu print
menu about
print url"
[ "$status" = 0 ] || fail "status $status: $err"
idle="open-url edit-hotlist open-file exit button-bar status-bar location-bar preferences about open-location"
expect_out "home $idle" \
  "home reload open-url add-to-hotlist edit-hotlist open-file exit find button-bar status-bar location-bar preferences about open-location" \
  "back home reload open-url add-to-hotlist edit-hotlist open-file exit find button-bar status-bar location-bar preferences about open-location" \
  "Page a - Vestrial" \
  "forward home reload open-url add-to-hotlist edit-hotlist open-file exit find button-bar status-bar location-bar preferences about open-location" \
  "Long - Vestrial" "about:about.htm"
[[ $err == *"line 2: menu 4006 (back) is not enabled now"* ]] || fail "no note for a greyed back: $err"
[[ $err == *"line 3: menu 4007 (forward) is not enabled now"* ]] || fail "no note for a greyed forward: $err"
[[ $err == *"line 13: menu 57607 (print) is not enabled now"* ]] || fail "no note for a greyed print: $err"

case="an unknown command is refused before anything runs"
fresh_settings
run "open $base/a.html
menu 4015"
[ "$status" = 2 ] || fail "status $status: $err"
[[ $err == *'line 2: the main window has no command "4015"'* ]] || fail "$err"

case="commands not there yet say so"
fresh_settings
run "open $base/a.html
menu preferences"
[ "$status" = 0 ] || fail "status $status: $err"
[[ $err == *"Preferences: shown"* ]] || fail "$err"

case="stop is enabled only while loading; the animation runs meanwhile"
fresh_settings
ticks=$(printf 'tick\n%.0s' $(seq 1 30))
run "print animation
open http://127.0.0.1:$stall_port/
print animation
$ticks
print animation
tick
print animation
tick
print animation
menu stop
print animation
print enabled"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "stopped 0" "running 0" "running 30" "running 0" "running 1" "stopped 0" "home $idle"
[[ $err != *"not enabled"* ]] || fail "stop was greyed while loading: $err"

case="hiding bars survives a restart"
fresh_settings
run "print bars
print checked
menu button-bar
dock location-bar bottom
print bars
print checked
menu exit"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "tool-bar:top location-bar:top status-bar:bottom" "button-bar status-bar location-bar" \
  "location-bar:bottom status-bar:bottom" "status-bar location-bar"
run "print bars
menu location-bar
menu status-bar
print bars
menu exit"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "location-bar:bottom status-bar:bottom" ""
run "print bars
print checked
menu button-bar
menu location-bar
menu status-bar
print bars"
[ "$status" = 0 ] || fail "status $status: $err"
# Without Exit nothing is saved: the next start has what the last Exit left.
expect_out "" "" "tool-bar:top location-bar:bottom status-bar:bottom"
run "print bars"
expect_out ""

case="Open File with blanks in the path, and Open URL"
fresh_settings
run "choose-file \"$dir/my docs/a b.htm\"
menu open-file
print url
print title
menu open-file
choose-url $base/a.html
menu open-url
print title
menu open-url
print title"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "file://${dir// /%20}/my%20docs/a%20b.htm" "Blank name - Vestrial" "Page a - Vestrial" \
  "Page a - Vestrial"
[[ $err == *"Open: no file chosen"* && $err == *"Open URL: Cancel"* ]] || fail "$err"

case="the edit commands act on the address field while it has the focus"
fresh_settings
run "open $base/a.html
print enabled
focus location
print enabled
menu copy
print clipboard
print enabled
menu cut
print url
menu paste
menu paste
print url
focus page
print enabled"
[ "$status" = 0 ] || fail "status $status: $err"
page="home reload open-url add-to-hotlist edit-hotlist open-file exit find button-bar status-bar location-bar preferences about open-location"
expect_out "$page" \
  "home reload open-url add-to-hotlist edit-hotlist open-file exit cut copy find button-bar status-bar location-bar preferences about open-location undo" \
  "$base/a.html" \
  "home reload open-url add-to-hotlist edit-hotlist open-file exit cut copy paste find button-bar status-bar location-bar preferences about open-location undo" \
  "" "$base/a.html$base/a.html" "$page"

case="find in page"
fresh_settings
run "open $base/long.html
print scroll
find \"the NEEDLE\"
print find
print scroll
find \"line 1 \"
print find
find \"line 1 \"
print find
find absent
print find"
[ "$status" = 0 ] || fail "status $status: $err"
mapfile -t lines <<<"$out"
[ "${lines[0]}" = "0 0" ] || fail "the page did not start at its top: $out"
read -r word left top right bottom <<<"${lines[1]}"
[ "$word" = found ] || fail "the needle was not found: $out"
read -r sx sy <<<"${lines[2]}"
# The match is scrolled into the 600-pixel-high page window.
[ "$sy" -gt 0 ] && [ "$top" -ge "$sy" ] && [ "$bottom" -le $((sy + 600)) ] ||
  fail "the match at $top..$bottom is not in view at $sy: $out"
[[ ${lines[3]} == found* && ${lines[3]} == "${lines[4]}" ]] || fail "'line 1 ' is there once: $out"
[ "${lines[5]}" = "not found" ] || fail "$out"
case="an address being typed stays while the page says its own again"
fresh_settings
page=file://$www/a.html
run "open $page
focus location
type half typ
reload
print url
open file://$www/long.html
print url
focus location
reload
print url"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "half typ" "file://$www/long.html" "file://$www/long.html"

case="typed addresses are completed and opened whole"
fresh_settings proxy
# Paths that make the address 256, 257 and 300 characters long: the field
# once kept only 256 of them.
path_for() { printf 'p%.0s' $(seq 1 $(($1 - 17))); }  # "http://testhost/" is 16
a256=$(path_for 256) a257=$(path_for 257) a300=$(path_for 300)
run "focus location
type testhost
key Return
print url
focus location
type //other/x.html
key Return
print url
focus location
type HTTP://UPPER
key Return
print url
focus location
type testhost/$a256
key Return
focus location
type testhost/$a257
key Return
focus location
type testhost/$a300
key Return
print url"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "http://testhost/" "http://other/x.html" "HTTP://UPPER/" "http://testhost/$a300"
kill "${pids[0]}"; wait "${pids[0]}" 2>/dev/null
[ ${#a300} = 283 ] || fail "the long path is ${#a300} characters"
log_has "testhost GET / HTTP/1.0"
log_has "other GET /x.html HTTP/1.0"
for p in "$a256" "$a257" "$a300"; do log_has "testhost GET /$p HTTP/1.0"; done

echo "main frame tests passed"
