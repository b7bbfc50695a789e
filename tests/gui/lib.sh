# What the shell-level tests share. Source it after setting dir (the test's
# scratch folder): processes added to pids are stopped, and dir removed, when
# the test ends.
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$dir"
}
trap cleanup EXIT

free_port() { /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
# A free port the preferences sheet can take (it allows 1 to 9999 only).
free_low_port() {
  /usr/bin/python3 -c '
import random, socket
for port in random.sample(range(2000, 10000), 8000):
    s = socket.socket()
    try:
        s.bind(("127.0.0.1", port))
    except OSError:
        continue
    print(port)
    break'
}
# Waits until something listens on the port on 127.0.0.1.
wait_port() {
  for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0; sleep 0.1; done
  return 1
}
# A site offering the sample clock as a control to install, in WWW: its code
# compressed by mscompress ("clock.ocx_", the original "clock.ocx" beside it,
# for comparing), "clock.opf" naming it (extra arguments go to vestrial-opf),
# and "page.html" embedding it twice on white.
#   make_clock_install_site WWW VESTRIAL-OPF CLOCK.ocx [OPF-ARGUMENTS...]
make_clock_install_site() {
  local www=$1 opf=$2 clock=$3
  shift 3
  mkdir -p "$www" && cp "$clock" "$www/clock.ocx" &&
    (cd "$www" && /usr/bin/mscompress clock.ocx) &&
    "$opf" "$www/clock.opf" --class '{BA276F7D-C61B-4F72-873A-E3FA6891A173}' \
      --product-name Clock --filename-url clock.ocx_ --compressed \
      --property BackColor='#FFFF00' "$@" &&
    printf '<title>Two clocks</title><body bgcolor="#ffffff">
<embed src="clock.opf" width=320 height=64><br><embed src="clock.opf" width=320 height=64>\n' \
      >"$www/page.html"
}
# Presses Escape on WINDOW until the program PID ends, three times at most:
# under load a synthetic key can be lost, and a retry says so in the output
# rather than hiding a slow exit. Fails (with fail) if the program stays.
#   end_with_escape WINDOW PID
end_with_escape() {
  local window=$1 pid=$2 try
  for try in 1 2 3; do
    xdotool windowfocus --sync "$window" key Escape 2>/dev/null
    timeout 10 tail --pid="$pid" -f /dev/null && return 0
    echo "note: the program was still running 10 s after Escape number $try" \
      "(its window is $(xdotool getwindowname "$window" 2>/dev/null || echo gone))"
  done
  fail "the program did not end after Escape (its window is $(xdotool getwindowname "$window" 2>/dev/null || echo gone))"
}
