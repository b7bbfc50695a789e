#!/usr/bin/env bash
# The headless shell against a hostile server and hostile files: every fault
# ends the run in bounded time with a message that says what happened and a
# status that says it failed. Usage: fault_test.sh VESTRIAL [RUNS [MEMORY]]
# (RUNS: how often the cases that once hung are repeated; MEMORY "no" skips
# the case that fills a page to its cap).
set -u
vestrial=$1
runs=${2:-50}
memory=${3:-yes}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config
fail() { echo "FAIL: $*"; exit 1; }

coproc SERVER { exec /usr/bin/python3 "$here/hostile_server.py" "$work/requests.log"; }
server_pid=$SERVER_PID
trap 'kill "$server_pid" 2>/dev/null; rm -rf "$work"' EXIT
read -r -t 30 port <&"${SERVER[0]}" || fail "the server did not start"
base=http://127.0.0.1:$port

# run NAME STATUS BOUND_SECONDS ARGS...: runs the headless shell, which must
# end within the bound (a hang is caught at three times it) with STATUS.
run() {
    local name=$1 want=$2 bound=$3
    shift 3
    local start=$(date +%s%N)
    timeout -s KILL $((bound * 3)) "$vestrial" --headless "$@" >"$work/out" 2>"$work/err"
    status=$?
    local took=$(( ($(date +%s%N) - start) / 1000000 ))
    [ $status -eq 137 ] && fail "$name: still running after $((bound * 3)) s"
    [ $status -eq "$want" ] || fail "$name: exit status $status, not $want; stderr: $(cat "$work/err")"
    [ $took -le $((bound * 1000)) ] || fail "$name: took $took ms, more than $bound s"
}
said() { grep -qF -- "$2" "$work/err" || fail "$1: stderr lacks '$2': $(cat "$work/err")"; }
shows() { grep -qF -- "$2" "$work/out" || fail "$1: the page lacks '$2': $(cat "$work/out")"; }

closed="The server closed the connection before sending a page."
for path in /empty /cut-header /status-only /no-blank-line; do
    run "$path" 1 30 "$base$path"
    said "$path" "$closed"
done

run one-line 0 30 --dump-elements "$base/one-line"
shows one-line "one line without a line feed"

run short 1 30 --dump-elements "$base/short"
said short "The server closed the connection after 22 of the 100 bytes"
shows short "short of its length"

run reset 1 30 --dump-elements "$base/reset"
said reset "Could not read data from host 127.0.0.1"
shows reset "started"

run not-modified 1 30 "$base/not-modified"
said not-modified "304 - Not modified"

run to-file 1 30 "$base/to-file"
said to-file "redirected the request to the local file \"file:///etc/hostname\""

run bad-port 1 30 "http://127.0.0.1:99999/"
said bad-port "The URL \"http://127.0.0.1:99999/\" is malformed."

# A raw line break in a picture's address never starts a header line.
run inject 0 30 "$base/inject"
grep -qa "^X-Injected-Raw" "$work/requests.log" && fail "inject: a header line was injected"
grep -qa "GET /img?a%0D%0AX-Injected-Raw:%201 " "$work/requests.log" ||
    fail "inject: the picture was not asked for escaped: $(cat -A "$work/requests.log")"

# A page from the network never reads a file of this computer, even as a
# picture; the same picture from a local page shows.
/usr/bin/convert -size 50x40 xc:red "$work/red.gif"
image_width() {
    /usr/bin/python3 -c 'import json, sys
for line in sys.stdin:
    item = json.loads(line)
    if item.get("type") == 4:
        print(item["rect"][2] - item["rect"][0])' <"$work/out"
}
printf '<img src="file://%s">' "$work/red.gif" >"$work/local.html"
run local-img 0 30 --dump-layout "file://$work/local.html"
[ "$(image_width)" = 50 ] || fail "local-img: the picture is $(image_width) wide"
run file-img 0 30 --dump-layout "$base/file-img?$work/red.gif"
[ "$(image_width)" = 32 ] || fail "file-img: the picture is $(image_width) wide, not broken"
grep -qaF "$work/red.gif" "$work/requests.log" || fail "file-img: the page was not asked for"

# Silence, at the start or half-way through the page, ends at --timeout.
for path in /silent /stall-body; do
    run "$path" 1 30 --timeout 2 "$base$path"
    said "$path" "the page did not finish loading within 2 seconds"
done

# Endless answers: a page keeps what fits under its cap and says so (skipped
# where a sanitizer multiplies the memory and the time), and data without a
# viewer streams to a temporary file instead of the memory; the unbounded
# program held 3.8 GB after 20 s of either.
mem() { /usr/bin/time -f %M -o "$work/rss" timeout -s KILL "$@"; }
if [ "$memory" = yes ]; then
    mem 300 "$vestrial" --headless "$base/endless-text" >/dev/null 2>"$work/err"
    status=$?
    [ $status -eq 1 ] || fail "endless-text: exit status $status: $(cat "$work/err")"
    said endless-text "The page has more than 256 MiB of text; the rest of it was not loaded."
    rss=$(tail -1 "$work/rss")
    echo "endless-text: peak $((rss / 1024)) MiB for 256 MiB of text"
    [ "$rss" -lt $((1536 * 1024)) ] || fail "endless-text: peak $rss KiB"
fi
mem 60 "$vestrial" --headless --timeout 3 "$base/endless-bytes" >/dev/null 2>"$work/err"
said endless-bytes "the page did not finish loading within 3 seconds"
rss=$(tail -1 "$work/rss")
[ "$rss" -lt $((256 * 1024)) ] || fail "endless-bytes: peak $rss KiB"

# The cases that once hung, many times over: a FIFO, a device, and pictures
# that fail to decode shown as the page.
mkfifo "$work/fifo"
: >"$work/empty.gif"
printf 'GIF89a\001\000' >"$work/cut.gif"
for ((i = 0; i < runs; i++)); do
    run fifo 1 30 "file://$work/fifo"
    run device 1 30 "file:///dev/zero"
    run empty-gif 0 30 "file://$work/empty.gif"
    run cut-gif 0 30 "file://$work/cut.gif"
    run html-as-gif 0 30 "$base/html-as-gif"
done
echo "fault tests passed"
