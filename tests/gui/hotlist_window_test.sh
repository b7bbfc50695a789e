#!/usr/bin/env bash
# Under Xvfb, the hotlist in the real window through xdotool: the Hotlist
# menu of an empty list, Add to Hotlist from the tool bar (the bookmark file
# appears), a link to another page, then the Hotlist menu shows the new entry
# and choosing it opens the page it names. Runs under with_xvfb.sh.
#   hotlist_window_test.sh VESTRIAL
set -u
vestrial=$(realpath "$1")
dir=$(mktemp -d)
export XDG_CONFIG_HOME=$dir/config
source "${BASH_SOURCE%/*}/lib.sh"
fail() { echo "FAIL: $*"; exit 1; }

lighttpd=/usr/sbin/lighttpd
if [ ! -x $lighttpd ]; then
  echo "hotlist window tests skipped: lighttpd is missing (scripts/setup.sh installs it)"
  exit 0
fi

www=$dir/www
marks=$dir/marks
mkdir -p "$www" "$marks" "$XDG_CONFIG_HOME/vestrial"
printf '<title>Page a</title><a href="b.html">Go on to page b, a link long enough to hit.</a>\n' >"$www/a.html"
printf '<title>Page b</title>Page b.\n' >"$www/b.html"
port=$(free_port)
cat >"$dir/lighttpd.conf" <<CONF
server.document-root = "$www"
server.port = $port
server.bind = "127.0.0.1"
server.errorlog = "$dir/error.log"
mimetype.assign = (".html" => "text/html")
CONF
$lighttpd -D -f "$dir/lighttpd.conf" &
pids+=($!)
wait_port "$port" || fail "lighttpd did not start: $(cat "$dir/error.log" 2>/dev/null)"
base=http://127.0.0.1:$port

printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\UserInfo]\r\n"LoadHomePage"=dword:00000000\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\Directories]\r\n"Bookmark Storage"="%s/"\r\n' \
  "$marks" >"$XDG_CONFIG_HOME/vestrial/registry.reg"

"$vestrial" "$base/a.html" &
pid=$!
pids+=($pid)
window=$(timeout 20 xdotool search --sync --onlyvisible --name ' - Vestrial$' | head -n 1)
[ -n "$window" ] || fail "no Vestrial window appeared"

has_title() {
  for _ in $(seq 400); do
    [[ $(xdotool getwindowname "$window" 2>/dev/null) == $1 ]] && return 0
    sleep 0.1
  done
  return 1
}
# A part of the screen (WxH+X+Y, in the window's coordinates) as a hash of
# its pixels; the screen, so that an open menu is in the picture.
crop() {
  local x y
  eval "$(xdotool getwindowgeometry --shell "$window")"
  x=${1#*+}; y=${x#*+}; x=${x%%+*}
  /usr/bin/import -window root "$dir/screen.png" 2>/dev/null &&
    /usr/bin/convert "$dir/screen.png" -crop "${1%%+*}+$((X + x))+$((Y + y))" +repage rgb:- |
    md5sum | cut -d' ' -f1
}
has_title 'Page a - Vestrial' || fail "page a did not show"
# The window is drawn once its menu bar has text.
for _ in $(seq 100); do
  [ "$(crop 200x20+0+2)" != "$(crop 200x20+400+2)" ] && break
  sleep 0.2
done

# The Hotlist menu's title, and its first entry below Add and Edit.
menu_at="202 12"
entry_at="215 78"
entry=200x18+176+70
# Opens the Hotlist menu and waits until the entry's row shows; the row's
# picture is then in $shown. On a loaded machine a synthetic click now and
# then shows no effect, so each step that can see its effect tries again.
open_hotlist() {
  local closed
  closed=$(crop "$entry")
  for _ in 1 2 3; do
    xdotool mousemove --window "$window" $menu_at click 1
    for _ in $(seq 25); do
      shown=$(crop "$entry")
      [ "$shown" != "$closed" ] && return 0
      sleep 0.2
    done
  done
  fail "the Hotlist menu did not open"
}

open_hotlist
empty_row=$shown
xdotool key Escape

# Add to Hotlist from the tool bar: the bookmark file appears.
for _ in 1 2 3; do
  xdotool mousemove --window "$window" 405 40 click 1
  for _ in $(seq 25); do [ -s "$marks/bookmark.dat" ] && break 2; sleep 0.2; done
done
[ -s "$marks/bookmark.dat" ] || fail "Add to Hotlist wrote no bookmark file"
grep -qF "Page a" "$marks/bookmark.dat" || fail "the bookmark file lacks the title: $(od -c "$marks/bookmark.dat")"

for _ in 1 2 3; do
  xdotool mousemove --window "$window" 60 110 click 1
  has_title 'Page b - Vestrial' && break
done
has_title 'Page b - Vestrial' || fail "the link to page b did not open it"

open_hotlist
[ "$shown" != "$empty_row" ] || fail "the Hotlist menu still shows the empty list's entry"
# KEEP_SCREEN=FILE keeps a picture of the menu for a person to look at.
[ -n "${KEEP_SCREEN:-}" ] && /usr/bin/import -window root "$KEEP_SCREEN"
for _ in 1 2 3; do
  xdotool mousemove --window "$window" $entry_at click 1
  has_title 'Page a - Vestrial' && break
  open_hotlist
done
has_title 'Page a - Vestrial' || fail "choosing the bookmark did not open page a"

for _ in 1 2 3; do
  xdotool windowfocus --sync "$window" key Escape 2>/dev/null
  timeout 10 tail --pid=$pid -f /dev/null && break
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after Escape"
echo "hotlist window tests passed"
