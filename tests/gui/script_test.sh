#!/usr/bin/env bash
# The script shell's own rules on local pages: how it reports mistakes and
# failures, and the input and output commands.
#   script_test.sh VESTRIAL
set -u
vestrial=$1
dir=$(mktemp -d)
export XDG_CONFIG_HOME=$dir/config
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
run() { # SCRIPT [ARGS...]: out, err and status of the run
  local script=$1
  shift
  out=$(printf '%s\n' "$script" | timeout 60 "$vestrial" --headless --script - "$@" 2>"$dir/err")
  status=$?
  err=$(cat "$dir/err")
}

mkdir -p "$XDG_CONFIG_HOME"
# The link comes first, at the page's top-left margins (12, 10).
{
  echo '<title>Tall</title><a href="other.html">Other page</a>'
  for i in $(seq 1 200); do echo "<p>Line $i</p>"; done
} >"$dir/tall.html"
printf '<title>Other</title>The other page\n' >"$dir/other.html"

# Mistakes are found before anything runs, with the line they are on.
run 'open '"$dir"'/tall.html
# a comment

screenshot '"$dir"'/never.png
prnt url'
[ $status = 2 ] || fail "an unknown command gave status $status"
[ "$err" = 'vestrial: line 5: unknown command "prnt"' ] || fail "stderr: $err"
[ -e "$dir/never.png" ] && fail "a command ran before the mistake was found"
run 'click 10'
[ $status = 2 ] && [[ $err == "vestrial: line 1: click takes 2 arguments, not 1"* ]] ||
  fail "a missing argument: $status $err"
# A failure while running stops the run with status 1; later lines do not run.
run 'screenshot '"$dir"'/no/such/dir.png
print url' "$dir/tall.html"
[ $status = 1 ] && [ -z "$out" ] && [[ $err == "vestrial: line 1: cannot write"* ]] ||
  fail "a failed screenshot: $status '$out' $err"

# Pointer, keys and pictures.
run 'move 20 15
print status
screenshot '"$dir"'/top.png
key End
screenshot '"$dir"'/end.png
key Home
screenshot '"$dir"'/home.png
type "nothing takes this"
dump-layout
click 20 15
print title
home
print url' "$dir/tall.html"
[ $status = 0 ] || fail "input commands: status $status: $err"
lines=$(grep -v '^{' <<<"$out")
[ "$lines" = "file://$dir/other.html
Other - Vestrial
about:about.htm" ] || fail "input commands printed $lines"
grep -q '^{"extent":\[' <<<"$out" || fail "dump-layout wrote no extent"
cmp -s "$dir/top.png" "$dir/end.png" && fail "End did not scroll"
cmp -s "$dir/top.png" "$dir/home.png" || fail "Home did not scroll back"
echo "script tests passed"
