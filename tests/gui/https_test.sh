#!/usr/bin/env bash
# The headless shell over https, against lighttpd with mod_openssl on
# 127.0.0.1 serving certificates of a test authority (made here with the
# openssl command and trusted through SSL_CERT_FILE or SSL_CERT_DIR): pages
# with pictures look the same as over http, directly, after a redirect and
# through tinyproxy's CONNECT tunnel; each certificate failure prints its
# message and shows nothing.
#   https_test.sh VESTRIAL
set -u
vestrial=$1
here=$(cd "$(dirname "$0")" && pwd)
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
tinyproxy=/usr/bin/tinyproxy
if [ ! -x $lighttpd ] || [ ! -e /usr/lib/lighttpd/mod_openssl.so ] || [ ! -x $tinyproxy ] ||
  ! command -v openssl >/dev/null; then
  echo "https tests skipped (lighttpd-mod-openssl, tinyproxy or openssl missing)"
  exit 0
fi
bash "$here/../net/make_test_certs.sh" "$dir/certs" || fail "could not make the certificates"
export SSL_CERT_FILE=$dir/certs/ca.pem
unset SSL_CERT_DIR

mkdir -p "$dir/www" "$XDG_CONFIG_HOME"
cat >"$dir/www/index.html" <<'HTML'
<html><head><title>Secure page</title></head>
<body bgcolor="#ffffe0" text="#202020" link="#0000c0">
<h1>A page over TLS</h1>
<p>Some text in <b>bold</b> with <a href="other.html">a link</a>, a GIF
<img src="red.gif"> and a JPEG <img src="stripes.jpg"> beside it.</p>
</body></html>
HTML
/usr/bin/convert -size 40x30 xc:red "$dir/www/red.gif"
/usr/bin/convert -size 60x40 pattern:vertical2 -fill blue -colorize 40 -quality 90 "$dir/www/stripes.jpg"

free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
wait_port() {
  for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0; sleep 0.1; done
  return 1
}
http_port=$(free_port)
declare -A tls_port
conf="server.modules = (\"mod_openssl\", \"mod_redirect\")
server.document-root = \"$dir/www\"
server.port = $http_port
server.bind = \"127.0.0.1\"
server.errorlog = \"$dir/lighttpd.log\"
index-file.names = (\"index.html\")
mimetype.assign = (\".html\" => \"text/html\", \".gif\" => \"image/gif\", \".jpg\" => \"image/jpeg\")
"
for cert in valid other-name expired untrusted; do
  tls_port[$cert]=$(free_port)
  conf+="\$SERVER[\"socket\"] == \"127.0.0.1:${tls_port[$cert]}\" {
  ssl.engine = \"enable\"
  ssl.pemfile = \"$dir/certs/$cert.pem\"
}
"
done
secure="https://localhost:${tls_port[valid]}"
conf+="url.redirect = (\"^/moved\$\" => \"$secure/\")
url.redirect-code = 301
"
printf '%s' "$conf" >"$dir/lighttpd.conf"
$lighttpd -D -f "$dir/lighttpd.conf" 2>>"$dir/lighttpd.log" &
pids+=($!)
wait_port "$http_port" || fail "lighttpd did not start: $(cat "$dir/lighttpd.log" 2>/dev/null)"

shot() { # NAME URL
  timeout 60 "$vestrial" --headless --screenshot "$dir/$1.png" --size 640x480 "$2" ||
    fail "--screenshot of $2 exited $?"
}
shot http "http://127.0.0.1:$http_port/"
# The pictures arrived and were drawn: the GIF's red is there, and more
# colours than text on a background has.
[[ $(/usr/bin/convert "$dir/http.png" -format %c histogram:info:-) == *"#FF0000"* ]] ||
  fail "no red GIF on the page"
[ "$(/usr/bin/convert "$dir/http.png" -format '%k' info:)" -gt 8 ] || fail "the page is nearly uniform"
shot https "$secure/"
cmp -s "$dir/http.png" "$dir/https.png" || fail "the page over https looks different from http"
shot moved "http://127.0.0.1:$http_port/moved"
cmp -s "$dir/http.png" "$dir/moved.png" || fail "after a 301 to https the page looks different"

# Without SSL_CERT_FILE the system's store decides, which does not know the
# test authority; SSL_CERT_DIR can name a hashed directory that does.
mkdir -p "$dir/trusted" && cp "$dir/certs/ca.pem" "$dir/trusted/" &&
  openssl rehash "$dir/trusted" >/dev/null 2>&1 || fail "could not hash the test authority"
err=$(env -u SSL_CERT_FILE timeout 60 "$vestrial" --headless --screenshot "$dir/system.png" "$secure/" 2>&1) &&
  fail "the system's store trusted the test authority"
[[ $err == *"is not trusted"* ]] || fail "with the system's store: '$err'"
env -u SSL_CERT_FILE SSL_CERT_DIR="$dir/trusted" timeout 60 "$vestrial" --headless \
  --screenshot "$dir/hashed.png" --size 640x480 "$secure/" || fail "SSL_CERT_DIR was not honoured"
cmp -s "$dir/http.png" "$dir/hashed.png" || fail "with SSL_CERT_DIR the page looks different"

# Each certificate failure: its message, no picture, failure.
expect_failure() { # CERT MESSAGE
  local err status
  err=$(timeout 60 "$vestrial" --headless --screenshot "$dir/$1.png" "https://localhost:${tls_port[$1]}/" 2>&1)
  status=$?
  [ $status -ne 0 ] || fail "the $1 certificate exited 0"
  [[ $err == *"$2"* ]] || fail "the $1 certificate printed '$err', not '$2'"
  [ -e "$dir/$1.png" ] && fail "a picture was written despite the $1 certificate"
  return 0
}
expect_failure untrusted "The certificate of host localhost is not trusted for the following reason:"
expect_failure other-name "The certificate of host localhost was issued for another name."
expect_failure expired "The certificate of host localhost has expired."

# Through tinyproxy: a CONNECT tunnel, and the same picture.
proxy_port=$(free_port)
printf 'Port %s\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 30\nMaxClients 20\nLogLevel Connect\nLogFile "%s"\n' \
  "$proxy_port" "$dir/tinyproxy.log" >"$dir/tinyproxy.conf"
$tinyproxy -d -c "$dir/tinyproxy.conf" >/dev/null 2>&1 &
pids+=($!)
wait_port "$proxy_port" || fail "tinyproxy did not start"
mkdir -p "$XDG_CONFIG_HOME/vestrial"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\Network]\r\n"HttpProxy"="127.0.0.1"\r\n"HttpProxyPort"=dword:%08x\r\n' \
  "$proxy_port" >"$XDG_CONFIG_HOME/vestrial/registry.reg"
shot proxy "$secure/"
cmp -s "$dir/http.png" "$dir/proxy.png" || fail "the page through tinyproxy's tunnel looks different"
grep -q "Request .*CONNECT localhost:${tls_port[valid]} HTTP/1.0" "$dir/tinyproxy.log" ||
  fail "tinyproxy carried no tunnel: $(cat "$dir/tinyproxy.log")"
echo "https tests passed"
