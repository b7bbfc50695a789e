#!/usr/bin/env bash
# Under Xvfb: a page behind Basic authentication (lighttpd's mod_auth) brings
# up the "Authorization Required" dialog; a user name and password typed with
# xdotool load the page. Then the Back and Forward buttons grey and ungrey as
# the history index moves. Runs under with_xvfb.sh, which sets DISPLAY.
#   login_window_test.sh VESTRIAL
set -u
vestrial=$1
dir=$(mktemp -d)
export XDG_CONFIG_HOME=$dir/config
pid=
server=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; [ -n "$server" ] && kill $server 2>/dev/null; rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

lighttpd=/usr/sbin/lighttpd
if [ ! -x $lighttpd ] || [ ! -e /usr/lib/lighttpd/mod_authn_file.so ]; then
  echo "login window test skipped: lighttpd or its mod_authn_file is missing"
  exit 0
fi
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
wait_port() {
  for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0; sleep 0.1; done
  return 1
}
wait_title() {
  [ -n "$(timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n 1)" ] ||
    fail "no window titled '$1' appeared (title: $(xdotool getwindowname "$window" 2>/dev/null))"
}

mkdir -p "$dir/www/private" "$XDG_CONFIG_HOME"
# The link is large and first on the page, so a click near the page's
# top-left corner lands on it whatever the fonts measure.
cat >"$dir/www/private/page.html" <<'HTML'
<html><head><title>Private page</title></head><body>
<h1><a href="second.html">Follow this link to the second private page</a></h1>
</body></html>
HTML
printf '<title>Second page</title><h1>The second private page</h1>\n' >"$dir/www/private/second.html"
printf 'ann:%s\n' "$(openssl passwd -apr1 secret)" >"$dir/htpasswd"
port=$(free_port)
cat >"$dir/lighttpd.conf" <<CONF
server.modules = ("mod_auth", "mod_authn_file")
server.document-root = "$dir/www"
server.port = $port
server.bind = "127.0.0.1"
server.errorlog = "$dir/error.log"
mimetype.assign = (".html" => "text/html")
auth.backend = "htpasswd"
auth.backend.htpasswd.userfile = "$dir/htpasswd"
auth.require = ("/private/" => ("method" => "basic", "realm" => "Members", "require" => "valid-user"))
CONF
$lighttpd -D -f "$dir/lighttpd.conf" &
server=$!
wait_port "$port" || fail "lighttpd did not start: $(cat "$dir/error.log" 2>/dev/null)"

"$vestrial" "http://127.0.0.1:$port/private/page.html" &
pid=$!
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '^Authorization Required$' | head -n 1)
[ -n "$dialog" ] || fail "the login dialog did not appear"
# No window manager runs under Xvfb: focus the dialog directly. The user
# name field has the focus; Tab goes on to the password, Enter is OK.
xdotool windowfocus --sync "$dialog" type --delay 5 ann
xdotool key Tab type --delay 5 secret
xdotool key Return
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Private page - Vestrial$' | head -n 1)
[ -n "$window" ] || fail "the typed credentials did not load the page"

# The buttons' pictures: Back at the left end of the tool row, Forward next.
button() {
  /usr/bin/import -window "$window" "$dir/window.png" 2>/dev/null &&
    /usr/bin/convert "$dir/window.png" -crop "$1" +repage rgb:- | md5sum | cut -d' ' -f1
}
back() { button 60x22+9+4; }
forward() { button 60x22+81+4; }
# Waits until the button's picture is (=) or is not (!=) the one given.
wait_button() {
  for _ in $(seq 50); do
    [ "$($1)" "$2" "$3" ] && return 0
    sleep 0.2
  done
  fail "$1 never became $2 $3"
}
back_grey=$(back)
forward_grey=$(forward)

xdotool mousemove --window "$window" 60 75 click 1
wait_title '^Second page - Vestrial$'
wait_button back != "$back_grey"
[ "$(forward)" = "$forward_grey" ] || fail "Forward ungreyed at the last page"
back_live=$(back)

xdotool mousemove --window "$window" 39 15 click 1 mousemove --window "$window" 400 400
wait_title '^Private page - Vestrial$'
wait_button back = "$back_grey"
wait_button forward != "$forward_grey"

xdotool mousemove --window "$window" 111 15 click 1 mousemove --window "$window" 400 400
wait_title '^Second page - Vestrial$'
wait_button back = "$back_live"
wait_button forward = "$forward_grey"

xdotool windowfocus --sync "$window" key Escape
timeout 10 tail --pid=$pid -f /dev/null || fail "the program did not end when its window closed"
wait $pid
status=$?
pid=
[ $status -eq 0 ] || fail "exit status $status"
echo "login window test passed"
