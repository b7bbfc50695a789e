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
