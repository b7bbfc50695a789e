#!/usr/bin/env bash
# Under Xvfb, the "Preferences" sheet of the real window: it opens from the
# Options menu, a new HTTP proxy (tinyproxy, started here) typed into it is
# saved on OK, and the next page is fetched through that proxy. Runs under
# with_xvfb.sh.
#   prefs_window_test.sh VESTRIAL [PICTURE]
# PICTURE, when given, keeps a picture of the sheet as it was filled in.
set -u
vestrial=$(realpath "$1")
picture=${2:-}
dir=$(mktemp -d)
export XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_CACHE_HOME=$dir/cache
source "${BASH_SOURCE%/*}/lib.sh"
fail() { echo "FAIL: $*"; exit 1; }

lighttpd=/usr/sbin/lighttpd tinyproxy=/usr/bin/tinyproxy
if [ ! -x $lighttpd ] || [ ! -x $tinyproxy ]; then
  echo "preferences window test skipped: lighttpd or tinyproxy is missing (scripts/setup.sh installs them)"
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
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\UserInfo]\r\n"LoadHomePage"=dword:00000000\r\n' \
  >"$registry"

"$vestrial" &
pid=$!
pids+=($pid)
window=$(timeout 20 xdotool search --sync --onlyvisible --name ' - Vestrial$' | head -n 1)
[ -n "$window" ] || fail "no Vestrial window appeared"

# A part (WxH+X+Y) of a window as a hash of its pixels.
crop() {
  /usr/bin/import -window "$1" "$dir/shot.png" 2>/dev/null &&
    /usr/bin/convert "$dir/shot.png" -crop "$2" +repage rgb:- | md5sum | cut -d' ' -f1
}
# The window is drawn when its menu bar has text.
for _ in $(seq 100); do
  /usr/bin/import -window "$window" "$dir/shot.png" 2>/dev/null &&
    [ "$(/usr/bin/convert "$dir/shot.png" -crop 200x20+0+2 -format %k info:)" -gt 2 ] && break
  sleep 0.2
done

# Options, then its only item. A click now and then goes missing on a
# loaded machine: the menu is opened again until the sheet shows.
sheet=
for _ in 1 2 3; do
  item=$(crop "$window" 120x16+250+30)
  xdotool mousemove --window "$window" 267 12 click 1
  for _ in $(seq 25); do [ "$(crop "$window" 120x16+250+30)" != "$item" ] && break; sleep 0.2; done
  xdotool mousemove --window "$window" 290 38 click 1
  sheet=$(timeout 5 xdotool search --sync --onlyvisible --name '^Preferences$' | head -n 1)
  [ -n "$sheet" ] && break
  xdotool key Escape
done
[ -n "$sheet" ] || fail "the Preferences sheet did not open"
for _ in $(seq 100); do
  /usr/bin/import -window "$sheet" "$dir/sheet.png" 2>/dev/null &&
    [ "$(/usr/bin/convert "$dir/sheet.png" -crop 150x20+10+12 -format %k info:)" -gt 2 ] && break
  sleep 0.2
done

# The page's fields stand in rows 32 pixels apart from y 45; HTTP Proxy is
# the third, its Port the fourth. Each is filled by pasting over its whole
# text until its picture changes.
fill() { # ROW TEXT
  local y=$((45 + 32 * $1 + 12)) area before
  area="260x24+260+$((45 + 32 * $1))"
  printf '%s' "$2" | xclip -selection clipboard >/dev/null 2>&1
  for _ in 1 2 3; do
    before=$(crop "$sheet" "$area")
    xdotool mousemove --window "$sheet" 300 $y click 1
    xdotool windowfocus --sync "$sheet" key ctrl+a ctrl+v
    for _ in $(seq 25); do [ "$(crop "$sheet" "$area")" != "$before" ] && return 0; sleep 0.2; done
  done
  fail "row $1 did not take \"$2\""
}
fill 2 127.0.0.1
fill 3 "$proxy_port"
[ -n "$picture" ] && /usr/bin/import -window "$sheet" "$picture"

# OK, at the foot of the sheet; the settings are written as it closes.
for _ in 1 2 3; do
  xdotool mousemove --window "$sheet" 420 377 click 1
  for _ in $(seq 25); do xdotool search --onlyvisible --name '^Preferences$' >/dev/null || break 2; sleep 0.2; done
done
xdotool search --onlyvisible --name '^Preferences$' >/dev/null && fail "the sheet did not close on OK"
grep -q '"HttpProxy"="127.0.0.1"' "$registry" || fail "no proxy saved: $(cat "$registry")"
grep -q "\"HttpProxyPort\"=dword:$(printf %08x "$proxy_port")" "$registry" ||
  fail "no proxy port saved: $(cat "$registry")"

# The next page goes through the proxy: pasted into the address field.
printf 'http://localhost:%s/a.html' "$port" | xclip -selection clipboard >/dev/null 2>&1
for _ in 1 2 3; do
  xdotool mousemove --window "$window" 500 83 click 1
  xdotool windowfocus --sync "$window" key End shift+Home ctrl+v
  sleep 0.5
  xdotool key Return
  for _ in $(seq 50); do
    [ "$(xdotool getwindowname "$window" 2>/dev/null)" = 'Page a - Vestrial' ] && break 2
    sleep 0.2
  done
done
[ "$(xdotool getwindowname "$window")" = 'Page a - Vestrial' ] ||
  fail "the page did not open: $(xdotool getwindowname "$window")"
grep -q "GET http://localhost:$port/a.html" "$dir/tinyproxy.log" ||
  fail "tinyproxy carried nothing: $(cat "$dir/tinyproxy.log")"

end_with_escape "$window" "$pid"
echo "preferences window test passed"
