#!/usr/bin/env bash
# Under Xvfb: a UTF-8 page with a PNG picture over http, from a scripted
# server on 127.0.0.1 that sends the first part of the picture and then holds
# the rest back. The window's title reads in the page's characters; while the
# transfer stands still the window shows the rows that arrived and not the
# others; once the rest is sent the whole picture shows. Runs under
# with_xvfb.sh, which sets DISPLAY.
#   progressive_window_test.sh VESTRIAL
set -u
vestrial=$1
dir=$(mktemp -d)
export XDG_CONFIG_HOME=$dir/config
pid=
server=
trap '[ -n "$pid" ] && kill $pid 2>/dev/null; [ -n "$server" ] && kill $server 2>/dev/null; rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
snapshot() { /usr/bin/import -window "$window" "$1" 2>/dev/null; }
# Height of the box around the picture's pixels: it is made only of pure
# green and pure blue, colours nothing else on the page has.
picture_rows() {
  /usr/bin/convert "$1" -fill white +opaque '#00ff00' -fill black -opaque '#00ff00' \
    -format '%@' info: 2>/dev/null | sed -n 's/^[0-9]*x\([0-9]*\)+.*/\1/p'
}

# 200 x 200 pixels, each green or blue at random: every row costs about the
# same number of bytes, so the first half of the file holds about the first
# half of the rows.
/usr/bin/convert -size 200x200 xc: +noise Random -channel G -threshold 50% -separate \
  +channel -fill '#00ff00' -opaque white -fill '#0000ff' -opaque black \
  -define png:color-type=2 "$dir/picture.png" || fail "could not make the picture"
printf '<html><head><title>Pictures \xe2\x80\x94 \xe2\x80\x9cPNG\xe2\x80\x9d</title></head>\n<body bgcolor="#ffffe0"><p>Na\xc3\xafve text above the picture.</p><img src="picture.png"></body></html>\n' \
  >"$dir/page.html"

cat >"$dir/server.py" <<'PY'
import os, socket, sys, time
directory, port_file = sys.argv[1], sys.argv[2]
listener = socket.socket()
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
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
    path = request.split(b" ")[1].decode() if b" " in request else "/"
    if path.endswith(".png"):
        body, kind = open(os.path.join(directory, "picture.png"), "rb").read(), "image/png"
    else:
        body, kind = open(os.path.join(directory, "page.html"), "rb").read(), "text/html"
    connection.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: %s\r\nContent-Length: %d\r\n\r\n"
                       % (kind.encode(), len(body)))
    if kind == "image/png":
        # Half now; the rest once the test says so.
        connection.sendall(body[: len(body) // 2])
        open(os.path.join(directory, "half-sent"), "w").close()
        deadline = time.time() + 60
        while not os.path.exists(os.path.join(directory, "go")) and time.time() < deadline:
            time.sleep(0.05)
        connection.sendall(body[len(body) // 2 :])
    else:
        connection.sendall(body)
    connection.close()
PY
/usr/bin/python3 "$dir/server.py" "$dir" "$dir/port" &
server=$!
for _ in $(seq 100); do [ -e "$dir/port" ] && break; sleep 0.1; done
[ -e "$dir/port" ] || fail "the scripted server did not start"
port=$(cat "$dir/port")

"$vestrial" "http://127.0.0.1:$port/page.html" &
pid=$!
title=$'Pictures \xe2\x80\x94 \xe2\x80\x9cPNG\xe2\x80\x9d - Vestrial'
# xdotool's search does not match characters beyond ASCII; the name is
# compared whole afterwards.
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pictures .* - Vestrial$' | head -n 1)
[ -n "$window" ] || fail "no window for the page appeared"
[ "$(xdotool getwindowname "$window")" = "$title" ] ||
  fail "the window is titled '$(xdotool getwindowname "$window")', not '$title'"

# While the rest is held back: some rows, not all.
for _ in $(seq 100); do [ -e "$dir/half-sent" ] && break; sleep 0.1; done
[ -e "$dir/half-sent" ] || fail "the picture was never asked for"
rows=
for _ in $(seq 100); do
  snapshot "$dir/half.png"
  rows=$(picture_rows "$dir/half.png")
  [ -n "$rows" ] && [ "$rows" -ge 40 ] && break
  sleep 0.1
done
[ -n "$rows" ] && [ "$rows" -ge 40 ] || fail "no rows of the picture showed while it loaded (${rows:-none})"
[ "$rows" -le 160 ] || fail "$rows rows showed from half the picture's bytes"

# The rest: the whole picture.
touch "$dir/go"
for _ in $(seq 100); do
  snapshot "$dir/whole.png"
  rows=$(picture_rows "$dir/whole.png")
  [ "$rows" = 200 ] && break
  sleep 0.1
done
[ "$rows" = 200 ] || fail "the whole picture did not show (${rows:-no} rows)"

xdotool mousemove --window "$window" 400 400 click 1
xdotool windowfocus --sync "$window" key Escape
timeout 10 tail --pid=$pid -f /dev/null || fail "the program did not end when its window closed"
wait $pid
status=$?
pid=
[ $status -eq 0 ] || fail "exit status $status"
echo "progressive window test passed"
