#!/usr/bin/env bash
# The "Preferences" sheet through the headless shell's scripts: its fields
# as the settings fill them, the integer checks that keep a page open, Cancel
# that writes nothing, OK that saves and whose proxy (tinyproxy) the next
# load goes through, and a registered control unregistered with its file.
#   prefs_test.sh VESTRIAL REGSVR CLOCK FETCH
set -u
vestrial=$1 regsvr=$2 clock=$3 fetch=$4
dir=$(mktemp -d)
export XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_CACHE_HOME=$dir/cache
source "${BASH_SOURCE%/*}/lib.sh"
fail() { echo "FAIL: $case: $*"; exit 1; }

lighttpd=/usr/sbin/lighttpd tinyproxy=/usr/bin/tinyproxy
if [ ! -x $lighttpd ] || [ ! -x $tinyproxy ]; then
  echo "preferences tests skipped: lighttpd or tinyproxy is missing (scripts/setup.sh installs them)"
  exit 0
fi

mkdir -p "$dir/www" "$XDG_CONFIG_HOME/vestrial"
printf '<title>Page a</title>Page a.\n' >"$dir/www/a.html"
port=$(free_port)
cat >"$dir/lighttpd.conf" <<CONF
server.document-root = "$dir/www"
server.port = $port
server.bind = "127.0.0.1"
server.errorlog = "$dir/error.log"
mimetype.assign = (".html" => "text/html")
CONF
$lighttpd -D -f "$dir/lighttpd.conf" &
pids+=($!)
wait_port "$port" || fail "lighttpd did not start"
proxy_port=$(free_low_port)
printf 'Port %s\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 30\nMaxClients 20\nLogLevel Connect\nLogFile "%s"\n' \
  "$proxy_port" "$dir/tinyproxy.log" >"$dir/tinyproxy.conf"
$tinyproxy -d -c "$dir/tinyproxy.conf" >/dev/null 2>&1 &
pids+=($!)
wait_port "$proxy_port" || fail "tinyproxy did not start"

registry=$XDG_CONFIG_HOME/vestrial/registry.reg
fresh_settings() {
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\UserInfo]\r\n"LoadHomePage"=dword:00000000\r\n' \
    >"$registry"
}
run() { # SCRIPT: out, err and status of the run
  out=$(printf '%s\n' "$1" | timeout 60 "$vestrial" --headless --script - 2>"$dir/err")
  status=$?
  err=$(cat "$dir/err")
}

case="the sheet shows the settings, the cache size and clearing disabled"
fresh_settings
run "prefs open
print prefs"
[ "$status" = 0 ] || fail "status $status: $err"
expected="Preferences
page \"Network and Cache\" active
  smtp-server = \"\"
  smtp-port = \"25\"
  http-proxy = \"\"
  http-proxy-port = \"80\"
  max-connections = \"4\"
  cache-directory = \"$XDG_CACHE_HOME/vestrial/\"
  cache-size disabled
  clear-disk-cache disabled
page \"OLE Controls\"
  control-directory = \"$XDG_DATA_HOME/vestrial/controls/\" read-only
  controls: 0 lines
  unregister
page \"User Info\"
  user-name = \"\"
  user-email = \"\"
  home-page = \"about:about.htm\"
  load-home-page = \"0\""
[ "$out" = "$expected" ] || fail "$out"

case="5 connections and a word for a port keep the page open"
fresh_settings
run "prefs open
prefs set max-connections 5
prefs ok
prefs set user-name Ann
prefs set max-connections 4
prefs set http-proxy-port eighty
prefs ok
print prefs"
[ "$status" = 0 ] || fail "status $status: $err"
[ "$(grep -c 'Please enter an integer between 1 and 4.' <<<"$err")" = 2 ] || fail "$err"
[ "$(grep -cx 'vestrial: Please enter an integer.' <<<"$err")" = 1 ] || fail "$err"
[ "$(grep -c 'the page "Network and Cache" stays open' <<<"$err")" = 3 ] || fail "$err"
grep -q 'page "Network and Cache" active' <<<"$out" || fail "$out"
grep -q 'user-name = ""' <<<"$out" || fail "$out"

case="Cancel after edits on all three pages leaves the registry file as it was"
fresh_settings
cp "$registry" "$dir/before.reg"
run "prefs open
prefs set smtp-server mail.example.org
prefs set http-proxy 127.0.0.1
prefs set cache-directory /tmp/elsewhere
prefs page \"OLE Controls\"
prefs select 0
prefs set user-name Ann
prefs set load-home-page 1
prefs cancel
print prefs"
[ "$status" = 0 ] || fail "status $status: $err"
[ "$out" = "Preferences: not shown" ] || fail "$out"
cmp -s "$registry" "$dir/before.reg" || fail "the registry changed: $(cat "$registry")"

case="OK saves the proxy, with a trailing / on the directory, and the next load goes through it"
fresh_settings
run "prefs open
prefs set http-proxy 127.0.0.1
prefs set http-proxy-port $proxy_port
prefs set cache-directory $dir/cache2
prefs ok
open http://localhost:$port/a.html
print title"
[ "$status" = 0 ] || fail "status $status: $err"
[ "$out" = "Page a - Vestrial" ] || fail "$out"
grep -q "GET http://localhost:$port/a.html" "$dir/tinyproxy.log" ||
  fail "tinyproxy carried nothing: $(cat "$dir/tinyproxy.log")"
grep -q "\"HttpProxyPort\"=dword:$(printf %08x "$proxy_port")" "$registry" || fail "$(cat "$registry")"
grep -qF "\"Temp Storage\"=\"$dir/cache2/\"" "$registry" || fail "$(cat "$registry")"

case="Yes to All unregisters the selected controls and deletes their files"
fresh_settings
ocx=$XDG_DATA_HOME/vestrial/controls
mkdir -p "$ocx"
cp "$clock" "$fetch" "$ocx/"
"$regsvr" "$ocx/$(basename "$clock")" "$ocx/$(basename "$fetch")" || fail "vestrial-regsvr exited $?"
run "prefs open
prefs page \"OLE Controls\"
prefs select 0 1
answer yes-to-all
prefs unregister
print prefs"
[ "$status" = 0 ] || fail "status $status: $err"
grep -q 'controls: 0 lines' <<<"$out" || fail "$out"
[ "$(grep -c 'You have requested to unregister' <<<"$err")" = 1 ] || fail "$err"
[ -e "$ocx/$(basename "$clock")" ] && fail "the clock's file is still there"
[ -e "$ocx/$(basename "$fetch")" ] && fail "the fetcher's file is still there"
grep -q InprocServer32 "$registry" && fail "still registered: $(cat "$registry")"

case="mistakes in the script are found before anything runs"
for row in "prefs bogus|prefs takes open, page, set, select, unregister, ok or cancel" \
  "prefs select 1 x|prefs select takes line numbers" \
  "prefs set user-name|usage: prefs set FIELD VALUE" \
  "answer maybe|answer takes yes, no, ok, cancel or yes-to-all"; do
  run "${row%%|*}"
  [ "$status" = 2 ] || fail "${row%%|*}: status $status: $err"
  [[ $err == *"${row#*|}"* ]] || fail "${row%%|*}: $err"
done
run "prefs open
prefs set control-directory /x"
[ "$status" = 1 ] || fail "status $status: $err"
[[ $err == *'the sheet has no field "control-directory" to fill in'* ]] || fail "$err"
run "prefs ok"
[ "$status" = 1 ] && [[ $err == *"the Preferences sheet is not open"* ]] || fail "$status: $err"

echo "preferences tests passed"
