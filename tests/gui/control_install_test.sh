#!/usr/bin/env bash
# Installing a control a page needs, through the headless shell's scripts:
# two embeds of a clock that is not registered, its code served by lighttpd
# on 127.0.0.1 compressed by mscompress. The download question is asked once
# and answered by "answer yes|no"; "no" leaves both embeds empty with nothing
# fetched, "yes" expands, registers, logs and shows both clocks.
#   control_install_test.sh VESTRIAL VESTRIAL-OPF CLOCK.ocx
set -u
vestrial=$1 opf=$2 clock=$3
dir=$(mktemp -d)
source "${BASH_SOURCE%/*}/lib.sh"
fail() { echo "FAIL: $case: $*"; exit 1; }

lighttpd=/usr/sbin/lighttpd
if [ ! -x $lighttpd ] || [ ! -x /usr/bin/mscompress ]; then
  echo "control install tests skipped: lighttpd or mscompress is missing (scripts/setup.sh)"
  exit 0
fi

export XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_CACHE_HOME=$dir/cache
controls=$XDG_DATA_HOME/vestrial/controls
www=$dir/www
mkdir -p "$XDG_CONFIG_HOME"
make_clock_install_site "$www" "$opf" "$clock" --company "Clock Makers" ||
  { case=fixture; fail "the site could not be made"; }
port=$(free_port)
base=http://127.0.0.1:$port
clock_class='{BA276F7D-C61B-4F72-873A-E3FA6891A173}'
cat >"$dir/lighttpd.conf" <<CONF
server.document-root = "$www"
server.port = $port
server.bind = "127.0.0.1"
server.errorlog = "$dir/error.log"
mimetype.assign = (".html" => "text/html", ".opf" => "application/x-object-property-file")
CONF
$lighttpd -D -f "$dir/lighttpd.conf" &
pids+=($!)
wait_port "$port" || { case=start; fail "lighttpd did not start: $(cat "$dir/error.log" 2>/dev/null)"; }

run() { # SCRIPT: out, err and status of the run
  out=$(printf '%s\n' "$1" | timeout 60 "$vestrial" --headless --script - --size 640x480 \
    2>"$dir/err")
  status=$?
  err=$(cat "$dir/err")
}
# The controls as "print controls" lists them: class, state and started.
states() { awk '{ print $2, $4, $5 }' <<<"$out"; }
question="vestrial: Do you still want to download ? $base/clock.ocx_"

case=no
run "answer no
open $base/page.html
print controls"
[ $status = 0 ] || fail "status $status: $err"
[ "$(grep -cF "$question" <<<"$err")" = 1 ] && grep -qxF "$question: no" <<<"$err" ||
  fail "not asked once: $err"
[ "$(states)" = "$clock_class empty failed
$clock_class empty failed" ] || fail "print controls: $out"
[ ! -e "$XDG_CACHE_HOME/vestrial/ocxlog.log" ] || fail "an installation was logged"
[ -z "$(ls -A "$controls" 2>/dev/null)" ] || fail "files in the control folder: $(ls "$controls")"

# Nothing queued is a no, said so.
case=unanswered
run "open $base/page.html
print controls"
grep -qxF "$question: no answer queued: no" <<<"$err" || fail "$err"
[ -z "$(ls -A "$controls" 2>/dev/null)" ] || fail "files in the control folder: $(ls "$controls")"

case=yes
run "answer yes
open $base/page.html
print controls"
[ $status = 0 ] || fail "status $status: $err"
[ "$(grep -cF "$question" <<<"$err")" = 1 ] && grep -qxF "$question: yes" <<<"$err" ||
  fail "not asked once: $err"
[ "$(states)" = "$clock_class active started
$clock_class active started" ] || fail "print controls: $out"
cmp -s "$clock" "$controls/clock.ocx" || fail "clock.ocx is not the expanded code"
[ ! -e "$controls/clock.ocx_" ] || fail "the compressed file was kept"
grep -qF "$controls/clock.ocx" "$XDG_CONFIG_HOME/vestrial/registry.reg" || fail "not registered"
printf -v log '%s \r\n' "Product Name = Clock" "Company Name = Clock Makers" \
  "File Description = " "Legal Copyright = " "Legal Trademarks = " "Product Version = " \
  "HTTP Site = clock.ocx_"
log+=$(printf -- '-%.0s' $(seq 58))$'\r\n'
[ "$(cat "$XDG_CACHE_HOME/vestrial/ocxlog.log"; echo .)" = "$log." ] ||
  fail "ocxlog.log: $(od -c "$XDG_CACHE_HOME/vestrial/ocxlog.log" | head)"

# Installed: the next visit asks nothing and fetches nothing.
case=installed
touch -d '2020-01-01 00:00' "$controls/clock.ocx"
run "open $base/page.html
print controls"
! grep -qF "$question" <<<"$err" || fail "asked again: $err"
[ "$(states)" = "$clock_class active started
$clock_class active started" ] || fail "print controls: $out"
[ "$(stat -c %Y "$controls/clock.ocx")" = "$(date -d '2020-01-01 00:00' +%s)" ] ||
  fail "clock.ocx was written again"
echo "control install tests passed"
