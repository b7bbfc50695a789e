#!/usr/bin/env bash
# The hotlist through the headless shell's scripts, pages served by lighttpd
# on 127.0.0.1: Add to Hotlist and the bytes of "bookmark.dat", the Hotlist
# menu as it opens, the "Edit Hotlist" dialog's buttons and endings, and the
# messages of a damaged or unwritable bookmark file.
#   hotlist_test.sh VESTRIAL
set -u
vestrial=$1
dir=$(mktemp -d)
source "${BASH_SOURCE%/*}/lib.sh"
fail() { echo "FAIL: $case: $*"; exit 1; }

lighttpd=/usr/sbin/lighttpd
if [ ! -x $lighttpd ]; then
  echo "hotlist tests skipped: lighttpd is missing (scripts/setup.sh installs it)"
  exit 0
fi

www=$dir/www
mkdir -p "$www"
printf '<title>Page a</title>Page a.\n' >"$www/a.html"
printf '<title>Page b</title>Page b.\n' >"$www/b.html"
printf 'No title here.\n' >"$www/plain.html"
port=$(free_port)
base=http://127.0.0.1:$port
cat >"$dir/lighttpd.conf" <<CONF
server.modules = ("mod_accesslog")
server.document-root = "$www"
server.port = $port
server.bind = "127.0.0.1"
server.errorlog = "$dir/error.log"
accesslog.filename = "$dir/access.log"
accesslog.format = "%r"
mimetype.assign = (".html" => "text/html")
CONF
$lighttpd -D -f "$dir/lighttpd.conf" &
pids+=($!)
wait_port "$port" || { case=start; fail "lighttpd did not start: $(cat "$dir/error.log" 2>/dev/null)"; }

# Every run keeps its bookmarks in $marks (or the directory given).
marks=$dir/marks
fresh() {
  rm -rf "$dir/config" "$marks"
  mkdir -p "$dir/config/vestrial" "$marks"
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\UserInfo]\r\n"LoadHomePage"=dword:00000000\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\Directories]\r\n"Bookmark Storage"="%s/"\r\n' \
    "${1:-$marks}" >"$dir/config/vestrial/registry.reg"
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
hex() { od -An -tx1 -v "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }
# A bookmark file of count N and the pairs (URL, title) given, short strings.
make_file() {
  /usr/bin/python3 - "$@" <<'PY'
import struct, sys
path, count, *pairs = sys.argv[1:]
data = struct.pack('<I', int(count))
for s in pairs:
    b = s.encode('latin-1')
    data += bytes([len(b)]) + b
open(path, 'wb').write(data)
PY
}

case="add to hotlist saves the page's title and URL, and the menu shows it"
fresh
run "print menu hotlist
print enabled
open $base/a.html
menu add-to-hotlist
open $base/plain.html
menu 4003
print hotlist
print menu hotlist"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "4003 &Add to Hotlist (greyed)" "4004 &Edit Hotlist..." "-" "3000 Bookmarks (greyed)" \
  "home open-url edit-hotlist open-file exit button-bar status-bar location-bar preferences about open-location" \
  "hotlist: 2" "0 Page a <$base/a.html>" "1 $base/plain.html <$base/plain.html>" \
  "4003 &Add to Hotlist" "4004 &Edit Hotlist..." "-" "3000 Page a" "3001 $base/plain.html"
a_url=$base/a.html
expected=$( { printf '\x02\x00\x00\x00'; printf "\\x$(printf %02x ${#a_url})%s\\x06Page a" "$a_url";
  p_url=$base/plain.html; printf "\\x$(printf %02x ${#p_url})%s\\x$(printf %02x ${#p_url})%s" "$p_url" "$p_url"; } | od -An -tx1 -v | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')
[ "$(hex "$marks/bookmark.dat")" = "$expected" ] || fail "the file holds $(hex "$marks/bookmark.dat")"

case="a bookmark entry opens its page; the list is read at the next start"
run "print menu hotlist
menu hotlist-1
print url
menu 3002"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "4003 &Add to Hotlist (greyed)" "4004 &Edit Hotlist..." "-" "3000 Page a" \
  "3001 $base/plain.html" "$base/plain.html"
[[ $err == *"menu 3002 (hotlist-2) is not enabled now"* ]] || fail "$err"

case="25 bookmarks: 25 titles, the last five greyed"
fresh
make_file "$marks/bookmark.dat" 25 $(for i in $(seq 0 24); do echo "$base/a.html#$i T$i"; done)
run "print menu hotlist"
[ "$status" = 0 ] || fail "status $status: $err"
want=("4003 &Add to Hotlist (greyed)" "4004 &Edit Hotlist..." "-")
for i in $(seq 0 24); do
  if [ "$i" -ge 20 ]; then want+=("$((3000 + i)) T$i (greyed)"); else want+=("$((3000 + i)) T$i"); fi
done
expect_out "${want[@]}"

case="deleting the only bookmark leaves one greyed Bookmarks"
fresh
make_file "$marks/bookmark.dat" 1 "$base/a.html" "Only"
run "print menu hotlist
hotlist open
print hotlist
hotlist delete
print hotlist
hotlist ok
print hotlist
print menu hotlist"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "4003 &Add to Hotlist (greyed)" "4004 &Edit Hotlist..." "-" "3000 Only" \
  "dialog: new edit delete open-url" "url: $base/a.html" "*0 Only" \
  "dialog: new" "url: " \
  "hotlist: 0" \
  "4003 &Add to Hotlist (greyed)" "4004 &Edit Hotlist..." "-" "3000 Bookmarks (greyed)"
[ "$(hex "$marks/bookmark.dat")" = "00 00 00 00" ] || fail "the file holds $(hex "$marks/bookmark.dat")"

case="move up and down are enabled by the selection's place"
fresh
make_file "$marks/bookmark.dat" 3 u0 A u1 B u2 C
run "hotlist open
print hotlist
hotlist up
hotlist select 1
print hotlist
hotlist down
print hotlist
hotlist down
hotlist edit 0 Z uz
hotlist new N un
print hotlist
hotlist ok
print hotlist"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "dialog: new edit delete down open-url" "url: u0" "*0 A" " 1 B" " 2 C" \
  "dialog: new edit delete up down open-url" "url: u1" " 0 A" "*1 B" " 2 C" \
  "dialog: new edit delete up open-url" "url: u1" " 0 A" " 1 C" "*2 B" \
  "dialog: new edit delete down open-url" "url: uz" "*0 Z" " 1 C" " 2 B" " 3 N" \
  "hotlist: 4" "0 Z <uz>" "1 C <u2>" "2 B <u1>" "3 N <un>"
[[ $err == *"line 3: hotlist up: the button is not enabled now"* ]] || fail "$err"
[[ $err == *"line 8: hotlist down: the button is not enabled now"* ]] || fail "$err"

case="cancel changes nothing, the file stays byte for byte"
fresh
make_file "$marks/bookmark.dat" 2 u0 A u1 B
before=$(hex "$marks/bookmark.dat")
touch -d '2001-01-01' "$marks/bookmark.dat"
run "open $base/b.html
hotlist open
hotlist delete
hotlist new
hotlist cancel
print hotlist"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "hotlist: 2" "0 A <u0>" "1 B <u1>"
[ "$(hex "$marks/bookmark.dat")" = "$before" ] || fail "the file changed"
[ "$(stat -c %Y "$marks/bookmark.dat")" = "$(date -d 2001-01-01 +%s)" ] || fail "the file was written"

case="new item takes the page's title and URL; open URL opens, then saves"
fresh
make_file "$marks/bookmark.dat" 1 "$base/a.html" A
run "open $base/b.html
hotlist open
hotlist new
hotlist select 0
hotlist open-url
print url
print hotlist"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "$base/a.html" "hotlist: 2" "0 A <$base/a.html>" "1 Page b <$base/b.html>"
grep -qF "Page b" "$marks/bookmark.dat" || fail "the file was not saved: $(hex "$marks/bookmark.dat")"

case="a count of 2 with one entry loads it and says the file is damaged"
fresh
make_file "$marks/bookmark.dat" 2 u0 One
run "print hotlist"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "hotlist: 1" "0 One <u0>"
[[ $err == *"The bookmark file $marks/bookmark.dat could not be loaded."* ]] || fail "$err"

case="a count of 4,000,000,000 in a ten-byte file gives the message at once"
fresh
printf '\x00\x28\x6b\xee\x01a\x01b\x01c' >"$marks/bookmark.dat"
run "print hotlist"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "hotlist: 1" "0 b <a>"
[[ $err == *"could not be loaded."* ]] || fail "$err"

case="a file that cannot be written says so and keeps the change in memory"
# A folder that cannot be made: its parent is a file.
: >"$dir/plain"
fresh "$dir/plain/marks"
run "open $base/a.html
menu add-to-hotlist
print hotlist"
[ "$status" = 0 ] || fail "status $status: $err"
expect_out "hotlist: 1" "0 Page a <$base/a.html>"
[[ $err == *"The bookmark file $dir/plain/marks/bookmark.dat could not be written to."* ]] || fail "$err"
[ ! -s "$dir/plain" ] || fail "something was written"

case="the hotlist commands check their words"
fresh
run "hotlist select x"
[ "$status" = 2 ] || fail "status $status: $err"
[[ $err == *'hotlist select takes an entry number, not "x"'* ]] || fail "$err"
run "print menu nothing"
[ "$status" = 2 ] || fail "status $status: $err"
run "hotlist ok"
[ "$status" = 1 ] || fail "status $status: $err"
[[ $err == *"the hotlist dialog is not open"* ]] || fail "$err"

echo "hotlist tests passed"
