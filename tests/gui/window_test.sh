#!/usr/bin/env bash
# Under Xvfb: the main window appears with its title, and Escape closes it and
# ends the program cleanly. Runs under with_xvfb.sh, which sets DISPLAY.
set -u
vestrial=$1
export XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME"; kill $pid 2>/dev/null' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Start on an empty page, which also shows that the settings file is read.
mkdir -p "$XDG_CONFIG_HOME/vestrial"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Vestrial\\Vestrial\\UserInfo]\r\n"LoadHomePage"=dword:00000000\r\n' \
  >"$XDG_CONFIG_HOME/vestrial/registry.reg"

"$vestrial" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name ' - Vestrial$' | head -n 1)
[ -n "$window" ] || fail "no Vestrial window appeared"
# No window manager runs under Xvfb: focus the window directly.
xdotool windowfocus --sync "$window" key Escape
timeout 10 tail --pid=$pid -f /dev/null || fail "the program did not end when its window closed"
wait $pid
status=$?
[ $status -eq 0 ] || fail "exit status $status"
echo "window test passed"
