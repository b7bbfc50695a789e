#!/usr/bin/env bash
# Runs every fuzzer of the fuzz build for a bounded time over a scratch copy of
# its seed corpus, so the committed seeds stay as they are.
#   scripts/fuzz.sh [SECONDS-PER-TARGET [FUZZER-NAME...]]
# FUZZ_BUILD names another build directory of the fuzz preset.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
shift || true
build=${FUZZ_BUILD:-$top/build/fuzz}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
for fuzzer in "$build"/fuzz/*_fuzz; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then
    continue
  fi
  mkdir -p "$scratch/$name"
  [ -d "$top/fuzz/corpus/$name" ] && cp -r "$top/fuzz/corpus/$name/." "$scratch/$name/"
  echo "--- $name: ${seconds}s"
  if ! (cd "$scratch" && "$fuzzer" -max_total_time="$seconds" -print_final_stats=0 \
          "$scratch/$name" 2>"$scratch/$name.log"); then
    tail -n 40 "$scratch/$name.log"
    failed=1
  fi
done
exit $failed
