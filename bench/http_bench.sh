#!/usr/bin/env bash
# Transport benchmarks over loopback against a real lighttpd:
#  1. a 100 MB body through the pipeline, in MB/s, next to curl's rate for
#     the same URL in the same run (target: at least 0.8 of curl), over http
#     and over https (TLS with a certificate from a test authority that both
#     trust for the run);
#  2. 200 small images loaded at once through the scheduler with
#     MaxConnections 4 (there is no page layout yet to ask for them), time to
#     complete.
# Needs the default build (net_bench), lighttpd with mod_openssl, openssl and
# curl.
#   bench/http_bench.sh [BUILD-DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/default}
bench=$build/bench/net_bench
[ -x "$bench" ] || { echo "http_bench: build $bench first" >&2; exit 1; }
command -v lighttpd >/dev/null || { echo "http_bench: lighttpd missing" >&2; exit 1; }

work=$(mktemp -d)
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

mkdir -p "$work/www/img"
head -c 100000000 /dev/urandom >"$work/www/big.bin"
for i in $(seq 0 199); do head -c $((2000 + i * 37)) /dev/urandom >"$work/www/img/$i.gif"; done
bash "$top/tests/net/make_test_certs.sh" "$work/certs"
free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
port=$(free_port)
tls_port=$(free_port)
cat >"$work/lighttpd.conf" <<CONF
server.modules = ("mod_openssl")
server.document-root = "$work/www"
server.port = $port
server.bind = "127.0.0.1"
server.errorlog = "$work/error.log"
mimetype.assign = (".bin" => "application/octet-stream", ".gif" => "image/gif")
\$SERVER["socket"] == "127.0.0.1:$tls_port" {
  ssl.engine = "enable"
  ssl.pemfile = "$work/certs/valid.pem"
}
CONF
lighttpd -D -f "$work/lighttpd.conf" &
pid=$!
for _ in $(seq 1 100); do curl -s -o /dev/null "http://127.0.0.1:$port/img/0.gif" && break; sleep 0.05; done
export SSL_CERT_FILE=$work/certs/ca.pem

# Best of three runs each, so that one slow moment of a shared machine does
# not decide the ratio.
compare() { # LABEL URL
  local best_curl=0 best_ours=0 run curl_rate curl_mb bytes seconds ours_mb ratio
  for run in 1 2 3; do
    curl_rate=$(curl -s --cacert "$SSL_CERT_FILE" -o /dev/null -w '%{speed_download}' "$2")
    curl_mb=$(awk -v r="$curl_rate" 'BEGIN { printf "%.1f", r / 1e6 }')
    read -r bytes seconds ours_mb < <("$bench" throughput "$2")
    [ "$bytes" = 100000000 ] || { echo "http_bench: got $bytes bytes over $1" >&2; exit 1; }
    echo "$1 run $run: curl ${curl_mb} MB/s, vestrial ${ours_mb} MB/s (${seconds} s)"
    best_curl=$(awk -v a="$best_curl" -v b="$curl_mb" 'BEGIN { print (b > a ? b : a) }')
    best_ours=$(awk -v a="$best_ours" -v b="$ours_mb" 'BEGIN { print (b > a ? b : a) }')
  done
  ratio=$(awk -v a="$best_ours" -v b="$best_curl" 'BEGIN { printf "%.2f", a / b }')
  echo "100 MB body over $1: best curl ${best_curl} MB/s, best vestrial ${best_ours} MB/s, ratio ${ratio} (target >= 0.80)"
}
compare http "http://127.0.0.1:$port/big.bin"
compare https "https://localhost:$tls_port/big.bin"

read -r count bytes seconds < <("$bench" parallel "http://127.0.0.1:$port/img/" 200 4)
echo "200 images, MaxConnections 4: ${seconds} s for ${count} loads, ${bytes} bytes"
