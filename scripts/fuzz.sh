#!/usr/bin/env bash
# Runs every fuzzer of the AddressSanitizer build over its committed seed corpus and then
# for a bounded time, on as many fuzzers at once as there are cores. It works
# on a scratch copy of the corpus, so the committed seeds stay as they are.
#   scripts/fuzz.sh [SECONDS-PER-TARGET [FUZZER-NAME...]]
# FUZZ_BUILD names another build directory of the asan preset.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
shift || true
build=${FUZZ_BUILD:-$top/build/asan}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Leaks of system libraries that only damaged input reaches.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/fuzz/lsan.supp}

run_one() {
  local fuzzer=$1 seconds=$2 top=$3 scratch=$4
  local name
  name=$(basename "$fuzzer")
  mkdir -p "$scratch/$name"
  [ -d "$top/fuzz/corpus/$name" ] && cp -r "$top/fuzz/corpus/$name/." "$scratch/$name/"
  # libFuzzer first replays every input of the corpus, then mutates.
  if (cd "$scratch" && "$fuzzer" -max_total_time="$seconds" -print_final_stats=0 \
        "$scratch/$name" 2>"$scratch/$name.log"); then
    echo "--- $name: ${seconds}s clean"
  else
    echo "--- $name: FAILED"
    tail -n 40 "$scratch/$name.log"
    return 1
  fi
}
export -f run_one

fuzzers=()
for fuzzer in "$build"/fuzz/*_fuzz; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then
    continue
  fi
  fuzzers+=("$fuzzer")
done
[ ${#fuzzers[@]} -gt 0 ] || { echo "fuzz: no fuzzers in $build/fuzz" >&2; exit 1; }
printf '%s\n' "${fuzzers[@]}" |
  xargs -P "$(nproc)" -I{} bash -c 'run_one "$1" "$2" "$3" "$4"' _ {} "$seconds" "$top" "$scratch"
