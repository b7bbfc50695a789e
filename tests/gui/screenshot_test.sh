#!/usr/bin/env bash
# The headless shell's --screenshot and --dump-layout, on local files and over
# http: from lighttpd, directly and through tinyproxy, all on 127.0.0.1.
#   screenshot_test.sh VESTRIAL
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
size_of() { /usr/bin/identify -format '%w %h' "$1"; }
colours_of() { /usr/bin/convert "$1" -format '%k' info:; }

mkdir -p "$dir/www" "$XDG_CONFIG_HOME"
cat >"$dir/www/index.html" <<'HTML'
<html><head><title>Screenshot page</title></head>
<body bgcolor="#ffffe0" text="#202020" link="#0000c0">
<h1>A page to photograph</h1>
<p>Some text in <b>bold</b>, <i>italic</i> and <tt>fixed pitch</tt>, with
<a href="other.html">a link</a> in the middle of it.</p>
<hr>
<ul><li>first item<li>second item</ul>
<ol><li>one<li>two</ol>
<p><img src="red.gif"> beside the text</p>
</body></html>
HTML
/usr/bin/convert -size 40x30 xc:red "$dir/www/red.gif"
/usr/bin/convert -size 40x30 xc:blue -quality 95 "$dir/www/blue.jpg"
# Green, with a fully transparent right half that lets the page through.
/usr/bin/convert -size 40x30 xc:lime -alpha set -channel A -fx 'i<20?1:0' +channel \
  "$dir/www/green.png"
printf '<title>Pictures</title><body bgcolor=white><img src="red.gif"><img src="blue.jpg"><img src="green.png">' \
  >"$dir/www/pictures.html"
{
  echo '<html><title>Tall</title><body>'
  for i in $(seq 1 200); do echo "<p>Line $i of a page taller than the window.</p>"; done
  echo '</body></html>'
} >"$dir/www/tall.html"

# A local page, twice: the same picture both times.
"$vestrial" --headless --screenshot "$dir/a.png" --size 640x480 "$dir/www/index.html" ||
  fail "--screenshot exited $?"
[ "$(size_of "$dir/a.png")" = "640 480" ] || fail "size $(size_of "$dir/a.png"), not 640x480"
[ "$(colours_of "$dir/a.png")" -gt 2 ] || fail "the picture is nearly uniform"
"$vestrial" --headless --screenshot "$dir/b.png" --size 640x480 "$dir/www/index.html" ||
  fail "second --screenshot exited $?"
cmp -s "$dir/a.png" "$dir/b.png" || fail "two screenshots of one page differ"

# The default size, and the whole page with --full.
"$vestrial" --headless --screenshot "$dir/default.png" "$dir/www/tall.html" || fail "tall exited $?"
[ "$(size_of "$dir/default.png")" = "800 600" ] || fail "default size $(size_of "$dir/default.png")"
"$vestrial" --headless --screenshot "$dir/full.png" --full "$dir/www/tall.html" || fail "--full exited $?"
read -r width height <<<"$(size_of "$dir/full.png")"
[ "$width" -eq 800 ] && [ "$height" -gt 2000 ] || fail "--full gave ${width}x$height"

# A page that cannot be loaded: its message on stderr, no picture, failure.
err=$("$vestrial" --headless --screenshot "$dir/none.png" "$dir/www/missing.html" 2>&1)
status=$?
[ $status -ne 0 ] || fail "a missing page exited 0"
[[ $err == *missing.html* ]] || fail "no message for the missing page: '$err'"
[ -e "$dir/none.png" ] && fail "a picture was written for a missing page"

# Pictures in a page, and a picture as the page itself: the first line starts
# at the page margins (12, 10), so each picture's middle is known.
hex_at() { /usr/bin/convert "$1" -format "%[hex:p{$2,$3}]" info:; }
timeout 60 "$vestrial" --headless --screenshot "$dir/pictures.png" --size 200x100 \
  "$dir/www/pictures.html" || fail "pictures exited $?"
[ "$(hex_at "$dir/pictures.png" 30 25)" = FF0000 ] || fail "no red GIF at (30, 25)"
[ "$(hex_at "$dir/pictures.png" 70 25)" = 0000FF ] || fail "no blue JPEG at (70, 25)"
[ "$(hex_at "$dir/pictures.png" 100 25)" = 00FF00 ] || fail "no green PNG at (100, 25)"
[ "$(hex_at "$dir/pictures.png" 120 25)" = FFFFFF ] || fail "the PNG's transparent half hides the page"
for picture in red.gif blue.jpg green.png; do
  timeout 60 "$vestrial" --headless --screenshot "$dir/page.png" --size 200x100 "$dir/www/$picture" ||
    fail "$picture as a page exited $?"
  [ "$(hex_at "$dir/page.png" 30 25)" != "$(hex_at "$dir/page.png" 150 80)" ] ||
    fail "$picture as a page shows nothing"
done

# The layout dump runs the same path.
out=$("$vestrial" --headless --dump-layout "$dir/www/index.html") || fail "--dump-layout exited $?"
[ -n "$out" ] || fail "--dump-layout printed nothing"

# Over http from lighttpd, then through tinyproxy: the same picture as from the file.
lighttpd=/usr/sbin/lighttpd
tinyproxy=/usr/bin/tinyproxy
if [ ! -x $lighttpd ] || [ ! -x $tinyproxy ]; then
  echo "screenshot tests passed (lighttpd or tinyproxy missing: http part skipped)"
  exit 0
fi
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
wait_port() {
  for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0; sleep 0.1; done
  return 1
}
http_port=$(free_port)
echo "kept from readers" >"$dir/www/private.secret"
cat >"$dir/lighttpd.conf" <<CONF
server.modules = ("mod_access")
url.access-deny = (".secret")
server.document-root = "$dir/www"
server.port = $http_port
server.bind = "127.0.0.1"
server.errorlog = "$dir/lighttpd.log"
index-file.names = ("index.html")
mimetype.assign = (".html" => "text/html", ".gif" => "image/gif", ".jpg" => "image/jpeg",
                   ".png" => "image/png")
CONF
$lighttpd -D -f "$dir/lighttpd.conf" &
pids+=($!)
wait_port "$http_port" || fail "lighttpd did not start: $(cat "$dir/lighttpd.log" 2>/dev/null)"

"$vestrial" --headless --screenshot "$dir/http.png" --size 640x480 "http://127.0.0.1:$http_port/" ||
  fail "--screenshot over http exited $?"
cmp -s "$dir/a.png" "$dir/http.png" || fail "the page over http looks different from the file"
err=$("$vestrial" --headless --screenshot "$dir/404.png" "http://127.0.0.1:$http_port/gone.html" 2>&1)
[ $? -ne 0 ] || fail "a 404 exited 0"
[[ $err == *404* ]] || fail "a 404 printed no message naming it: '$err'"
err=$("$vestrial" --headless --screenshot "$dir/403.png" "http://127.0.0.1:$http_port/private.secret" 2>&1)
[ $? -ne 0 ] || fail "a 403 exited 0"
[[ $err == *"403 - "* ]] || fail "a 403 printed no message naming it: '$err'"
"$vestrial" --headless --screenshot "$dir/http-pictures.png" --size 200x100 \
  "http://127.0.0.1:$http_port/pictures.html" || fail "pictures over http exited $?"
cmp -s "$dir/pictures.png" "$dir/http-pictures.png" || fail "pictures over http look different"

# A PNG whose transfer is cut half-way, from a scripted server: the rows
# that arrived show, the rest lets the page through. Its pixels are pure
# green or pure blue at random, so every row costs about the same bytes.
/usr/bin/convert -size 100x100 xc: +noise Random -channel G -threshold 50% -separate +channel \
  -fill '#00ff00' -opaque white -fill '#0000ff' -opaque black -define png:color-type=2 \
  "$dir/www/noise.png"
printf '<body bgcolor=white><img src="noise.png">' >"$dir/www/cut.html"
cat >"$dir/cut_server.py" <<'PY'
import os, socket, sys
directory, port_file = sys.argv[1], sys.argv[2]
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(8)
with open(port_file + ".tmp", "w") as f:
    f.write(str(listener.getsockname()[1]))
os.rename(port_file + ".tmp", port_file)
while True:
    connection, _ = listener.accept()
    request = b""
    while b"\r\n\r\n" not in request:
        chunk = connection.recv(4096)
        if not chunk:
            break
        request += chunk
    name = request.split(b" ")[1].decode().lstrip("/") if b" " in request else ""
    body = open(os.path.join(directory, name), "rb").read()
    kind = b"image/png" if name.endswith(".png") else b"text/html"
    connection.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: %s\r\nContent-Length: %d\r\n\r\n"
                       % (kind, len(body)))
    connection.sendall(body if kind == b"text/html" else body[: len(body) // 2])
    connection.close()
PY
/usr/bin/python3 "$dir/cut_server.py" "$dir/www" "$dir/cut.port" &
pids+=($!)
for _ in $(seq 100); do [ -e "$dir/cut.port" ] && break; sleep 0.1; done
[ -e "$dir/cut.port" ] || fail "the scripted server did not start"
timeout 60 "$vestrial" --headless --screenshot "$dir/cut.png" --size 200x150 \
  "http://127.0.0.1:$(cat "$dir/cut.port")/cut.html" || fail "the page with a cut picture exited $?"
rows=$(/usr/bin/convert "$dir/cut.png" -fill white +opaque '#00ff00' -fill black -opaque '#00ff00' \
  -format '%@' info: | sed -n 's/^[0-9]*x\([0-9]*\)+.*/\1/p')
[ -n "$rows" ] && [ "$rows" -ge 20 ] && [ "$rows" -le 80 ] ||
  fail "a picture cut half-way showed ${rows:-no} of its 100 rows"

proxy_port=$(free_port)
printf 'Port %s\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 30\nMaxClients 20\nLogLevel Connect\nLogFile "%s"\n' \
  "$proxy_port" "$dir/tinyproxy.log" >"$dir/tinyproxy.conf"
$tinyproxy -d -c "$dir/tinyproxy.conf" >/dev/null 2>&1 &
pids+=($!)
wait_port "$proxy_port" || fail "tinyproxy did not start"
mkdir -p "$XDG_CONFIG_HOME/vestrial"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\Network]\r\n"HttpProxy"="127.0.0.1"\r\n"HttpProxyPort"=dword:%08x\r\n' \
  "$proxy_port" >"$XDG_CONFIG_HOME/vestrial/registry.reg"
"$vestrial" --headless --screenshot "$dir/proxy.png" --size 640x480 "http://127.0.0.1:$http_port/" ||
  fail "--screenshot through tinyproxy exited $?"
cmp -s "$dir/a.png" "$dir/proxy.png" || fail "the page through tinyproxy looks different"
# The proxy really carried it: the whole URL on its request line.
grep -q "Request .*GET http://127.0.0.1:$http_port/ HTTP/1.0" "$dir/tinyproxy.log" ||
  fail "tinyproxy did not carry the page: $(cat "$dir/tinyproxy.log")"
echo "screenshot tests passed"
