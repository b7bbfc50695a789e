#!/usr/bin/env bash
# Sets everything up, builds and runs the whole test suite: the clang
# AddressSanitizer+UBSan build (which also checks the lock annotations and
# makes the fuzzers) with a bounded run of every fuzzer, and the
# ThreadSanitizer build. Exits non-zero on any failure and ends with a table
# of each stage's time.
#   scripts/test.sh            everything
#   scripts/test.sh default    one preset only (default, asan or tsan)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

stages=()
started=$SECONDS
print_times() {
  local status=$?
  printf '\n%-28s %8s\n' stage seconds
  local row
  for row in "${stages[@]}"; do printf '%-28s %8s\n' ${row}; done
  printf '%-28s %8s\n' total $((SECONDS - started))
  exit $status
}
trap print_times EXIT

# Runs one stage and records its wall time under its name.
stage() {
  local name=$1 begin=$SECONDS
  shift
  echo "=== $name ===" >&2
  "$@"
  stages+=("$name $((SECONDS - begin))")
}

stage setup "$top/scripts/setup.sh"

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(asan tsan)

for preset in "${presets[@]}"; do
  # --fresh: a build directory configured by an older preset (another
  # compiler) is set up again instead of refused; unchanged commands are not
  # compiled again.
  stage "$preset-configure" cmake --preset "$preset" --fresh >/dev/null
  stage "$preset-build" cmake --build --preset "$preset"
  if [ "$preset" = asan ]; then
    stage "$preset-fuzz" "$top/scripts/fuzz.sh" "${FUZZ_SECONDS:-10}"
  fi
  stage "$preset-test" ctest --preset "$preset" -j"$(nproc)"
done
