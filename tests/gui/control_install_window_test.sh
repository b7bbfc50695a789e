#!/usr/bin/env bash
# Under Xvfb, the download question of a control the page needs, in the real
# window: a page with two embeds of a clock that is not registered, its code
# served by lighttpd compressed by mscompress. One dialog for both; Escape
# (the window closed) is a No that leaves the page white and fetches
# nothing; Return (Yes, the default button) installs the clock and both
# embeds show it. Runs under with_xvfb.sh.
#   control_install_window_test.sh VESTRIAL VESTRIAL-OPF CLOCK.ocx
set -u
vestrial=$(realpath "$1") opf=$2 clock=$3
dir=$(mktemp -d)
source "${BASH_SOURCE%/*}/lib.sh"
fail() { echo "FAIL: $case: $*"; exit 1; }

lighttpd=/usr/sbin/lighttpd
if [ ! -x $lighttpd ] || [ ! -x /usr/bin/mscompress ]; then
  echo "control install window tests skipped: lighttpd or mscompress is missing (scripts/setup.sh)"
  exit 0
fi

export XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_CACHE_HOME=$dir/cache
controls=$XDG_DATA_HOME/vestrial/controls
www=$dir/www
mkdir -p "$XDG_CONFIG_HOME/vestrial"
make_clock_install_site "$www" "$opf" "$clock" || { case=fixture; fail "the site could not be made"; }
port=$(free_port)
cat >"$dir/lighttpd.conf" <<CONF
server.document-root = "$www"
server.port = $port
server.bind = "127.0.0.1"
server.errorlog = "$dir/error.log"
mimetype.assign = (".html" => "text/html", ".opf" => "application/x-object-property-file")
CONF
$lighttpd -D -f "$dir/lighttpd.conf" &
pids+=($!)
wait_port "$port" || { case=start; fail "lighttpd did not start"; }
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\UserInfo]\r\n"LoadHomePage"=dword:00000000\r\n' \
  >"$XDG_CONFIG_HOME/vestrial/registry.reg"

# Yellow pixels in the page's window.
yellow() {
  /usr/bin/import -window "$window" "$dir/shot.png" 2>/dev/null || { echo 0; return; }
  /usr/bin/convert "$dir/shot.png" -format %c histogram:info:- |
    awk 'toupper($0) ~ /#FFFF00/ { sub(":", "", $1); n += $1 } END { print n + 0 }'
}
# Starts the browser on the page and waits for the question's dialog, the
# window titled just "Vestrial".
ask() {
  "$vestrial" "http://127.0.0.1:$port/page.html" &
  pid=$!
  pids+=($pid)
  window=$(timeout 20 xdotool search --sync --onlyvisible --name ' - Vestrial$' | head -n 1)
  [ -n "$window" ] || fail "no Vestrial window appeared"
  dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '^Vestrial$' | head -n 1)
  [ -n "$dialog" ] || fail "no download question appeared"
}
# Presses KEY on the dialog until it is gone (a key sent before the dialog
# took the focus is lost).
answer() {
  for _ in 1 2 3; do
    xdotool windowactivate --sync "$dialog" 2>/dev/null
    xdotool key --window "$dialog" "$1"
    for _ in $(seq 50); do
      xdotool search --onlyvisible --name '^Vestrial$' >/dev/null || return 0
      sleep 0.1
    done
  done
  fail "the dialog stayed after $1"
}
quit() {
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

case=no
ask
answer Escape
sleep 0.5 # nothing is to happen: give a wrong download time to start
[ "$(xdotool search --onlyvisible --name '^Vestrial$' | wc -l)" = 0 ] || fail "asked a second time"
[ -z "$(ls -A "$controls" 2>/dev/null)" ] || fail "files in the control folder: $(ls "$controls")"
[ "$(yellow)" = 0 ] || fail "a clock is shown"
quit

case=yes
ask
answer Return
for _ in $(seq 100); do [ "$(yellow)" -gt 30000 ] && break; sleep 0.1; done
[ "$(yellow)" -gt 30000 ] || fail "$(yellow) yellow pixels: not two clocks"
cmp -s "$clock" "$controls/clock.ocx" || fail "clock.ocx is not the expanded code"
[ "$(xdotool search --onlyvisible --name '^Vestrial$' | wc -l)" = 0 ] || fail "asked a second time"
quit
echo "control install window tests passed"
