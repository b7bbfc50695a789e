#!/usr/bin/env bash
# The program's command-line behaviour, run as a user would run it.
set -u
vestrial=$1
export XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

out=$("$vestrial" --version) || fail "--version exited $?"
[[ $out == "vestrial "* ]] || fail "--version printed '$out'"

out=$("$vestrial" --help) || fail "--help exited $?"
[[ $out == *"--headless"* ]] || fail "--help does not mention --headless"

"$vestrial" --no-such-option 2>/dev/null && fail "an unknown option was accepted"

err=$(env -u DISPLAY "$vestrial" 2>&1 >/dev/null)
status=$?
[ $status -eq 2 ] || fail "without a display the exit status was $status"
[[ $err == *"DISPLAY"* && $err == *"--headless"* ]] || fail "no plain explanation: '$err'"

"$vestrial" --headless || fail "--headless exited $?"
"$vestrial" --headless about:about.htm || fail "--headless URL exited $?"
[ -e "$XDG_CONFIG_HOME/vestrial/registry.reg" ] && fail "start-up wrote the registry file"
echo "shell tests passed"
