#!/usr/bin/env bash
# Runs a command on a private Xvfb display. Xvfb picks a free display number
# itself (-displayfd), so tests running side by side never race for one, as
# they do with xvfb-run -a. -noreset: a server whose last client leaves resets
# itself and refuses connections meanwhile, and a probing client is enough to
# trigger that.
#   with_xvfb.sh COMMAND [ARGS...]
set -u
dir=$(mktemp -d)
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$dir"' EXIT
if ! read -r -t 20 number <"$dir/display"; then
  echo "Xvfb did not start:"; cat "$dir/xvfb.log"; exit 1
fi
DISPLAY=:$number "$@"
status=$?
[ $status -ne 0 ] && { echo "--- Xvfb :$number said:"; cat "$dir/xvfb.log"; }
exit $status
