#!/usr/bin/env bash
# Basic authentication through the headless shell's scripts, against
# lighttpd's mod_auth on 127.0.0.1 with a password file made here. lighttpd
# listens on two ports; its access log, flushed as it stops, shows the
# Authorization line every request carried.
#   auth_test.sh VESTRIAL
set -u
vestrial=$1
dir=$(mktemp -d)
export XDG_CONFIG_HOME=$dir/config
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

lighttpd=/usr/sbin/lighttpd
if [ ! -x $lighttpd ] || [ ! -e /usr/lib/lighttpd/mod_authn_file.so ]; then
  echo "authentication tests skipped: lighttpd or its mod_authn_file is missing"
  exit 0
fi
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
wait_port() {
  for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0; sleep 0.1; done
  return 1
}

www=$dir/www
mkdir -p "$www/private" "$www/public" "$www/digest" "$XDG_CONFIG_HOME"
printf '<title>Private page</title><img src="pic.gif"> for members\n' >"$www/private/page.html"
/usr/bin/convert -size 30x30 xc:red "$www/private/pic.gif"
printf '<title>Public page</title>for everyone\n' >"$www/public/other.html"
printf '<title>Digest page</title>\n' >"$www/digest/page.html"
printf 'ann:%s\nbob:%s\n' "$(openssl passwd -apr1 secret)" "$(openssl passwd -apr1 pw2)" \
  >"$dir/htpasswd"
printf 'ann:Digest:%s\n' "$(printf 'ann:Digest:secret' | md5sum | cut -d' ' -f1)" >"$dir/htdigest"

run_case() {
  port=$(free_port)
  port2=$(free_port)
  rm -f "$dir/access.log"
  cat >"$dir/lighttpd.conf" <<CONF
server.modules = ("mod_auth", "mod_authn_file", "mod_accesslog")
server.document-root = "$www"
server.port = $port
server.bind = "127.0.0.1"
\$SERVER["socket"] == "127.0.0.1:$port2" { }
server.errorlog = "$dir/error.log"
accesslog.filename = "$dir/access.log"
accesslog.format = "%p %r %>s [%{Authorization}i]"
mimetype.assign = (".html" => "text/html", ".gif" => "image/gif")
auth.backend = "htpasswd"
auth.backend.htpasswd.userfile = "$dir/htpasswd"
auth.require = ("/private/" => ("method" => "basic", "realm" => "Members",
                                "require" => "valid-user"))
\$HTTP["url"] =~ "^/digest/" {
  auth.backend = "htdigest"
  auth.backend.htdigest.userfile = "$dir/htdigest"
  auth.require = ("/digest/" => ("method" => "digest", "realm" => "Digest",
                                 "require" => "valid-user"))
}
CONF
  $lighttpd -D -f "$dir/lighttpd.conf" &
  local server=$!
  wait_port "$port" && wait_port "$port2" ||
    fail "lighttpd did not start: $(cat "$dir/error.log" 2>/dev/null)"
  local script=${1//PORT2/$port2}
  echo "${script//PORT/$port}" |
    timeout 120 "$vestrial" --headless --script - >"$dir/out" 2>"$dir/err"
  status=$?
  kill $server
  wait $server
  log=$(sed "s/^$port2 /P2 /; s/^$port /P /" "$dir/access.log")
  out=$(cat "$dir/out")
  err=$(cat "$dir/err")
}
expect_log() {
  local expected
  expected=$(printf '%s\n' "$@")
  [ "$log" = "$expected" ] || fail "$case: the server saw
$log
--- instead of
$expected
--- stderr: $err"
}
ann="Basic YW5uOnNlY3JldA=="
refusal='The server "127.0.0.1" has returned the following error:
401 - The request requires user authenticaion.'

case="a wrong password, then the right one"
run_case 'login ann wrong
login ann secret
open http://127.0.0.1:PORT/private/page.html
print title
screenshot '"$dir"'/private.png
open http://127.0.0.1:PORT/public/other.html?sameport
open http://127.0.0.1:PORT2/public/other.html?otherport
open http://localhost:PORT/public/other.html?otherhost
print title'
[ "$status" = 0 ] || fail "$case: status $status: $err"
[ "$out" = "Private page - Vestrial
Public page - Vestrial" ] || fail "$case: printed $out"
expect_log "P GET /private/page.html HTTP/1.0 401 [-]" \
  "P GET /private/page.html HTTP/1.0 401 [Basic YW5uOndyb25n]" \
  "P GET /private/page.html HTTP/1.0 200 [$ann]" \
  "P GET /private/pic.gif HTTP/1.0 200 [$ann]" \
  "P GET /public/other.html?sameport HTTP/1.0 200 [$ann]" \
  "P2 GET /public/other.html?otherport HTTP/1.0 200 [-]" \
  "P GET /public/other.html?otherhost HTTP/1.0 200 [-]"
[ "$(/usr/bin/convert "$dir/private.png" -format '%[hex:p{25,25}]' info:)" = FF0000 ] ||
  fail "$case: the picture behind the login is not shown"
[ "$(grep -c 'Authorization Required: OK' <<<"$err")" = 2 ] || fail "$case: $err"
[[ $err != *"has returned"* ]] || fail "$case: a refusal was shown: $err"

case="a second login replaces the first"
run_case 'login ann secret
open http://127.0.0.1:PORT/private/page.html
login bob pw2
open http://127.0.0.1:PORT2/private/page.html
open http://127.0.0.1:PORT2/private/page.html?again
login-cancel
open http://127.0.0.1:PORT/private/page.html?first
print title'
[ "$status" = 0 ] || fail "$case: status $status: $err"
bob="Basic Ym9iOnB3Mg=="
expect_log "P GET /private/page.html HTTP/1.0 401 [-]" \
  "P GET /private/page.html HTTP/1.0 200 [$ann]" \
  "P GET /private/pic.gif HTTP/1.0 200 [$ann]" \
  "P2 GET /private/page.html HTTP/1.0 401 [-]" \
  "P2 GET /private/page.html HTTP/1.0 200 [$bob]" \
  "P2 GET /private/pic.gif HTTP/1.0 200 [$bob]" \
  "P2 GET /private/page.html?again HTTP/1.0 200 [$bob]" \
  "P GET /private/page.html?first HTTP/1.0 401 [-]"
[[ $err == *"Authorization Required: Cancel"*"$refusal"* ]] || fail "$case: no refusal after cancel: $err"

case="an empty user name and password"
run_case 'login "" ""
open http://127.0.0.1:PORT/private/page.html'
[ "$status" = 0 ] || fail "$case: status $status: $err"
expect_log "P GET /private/page.html HTTP/1.0 401 [-]" "P GET /private/page.html HTTP/1.0 401 [Basic Og==]"
[[ $err == *"no answer queued: Cancel"*"$refusal"* ]] ||
  fail "$case: the third challenge did not fall back to Cancel: $err"

case="a Digest challenge"
run_case 'login ann secret
open http://127.0.0.1:PORT/digest/page.html'
[ "$status" = 0 ] || fail "$case: status $status: $err"
[ "$err" = "vestrial: This URL requires an authentication mechanism that is not currently supported." ] ||
  fail "$case: stderr was $err"
echo "authentication tests passed"
