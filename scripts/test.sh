#!/usr/bin/env bash
# Sets everything up, builds and runs the whole test suite: a bounded run of
# every fuzzer (whose clang build also checks the lock annotations), the
# AddressSanitizer+UBSan and ThreadSanitizer builds, and the normal build.
# Exits non-zero on any failure and ends with a table of each stage's time.
#   scripts/test.sh            everything (the default build's tests are
#                              not run again after the sanitizer builds)
#   scripts/test.sh default    one preset only (default, asan, tsan or fuzz)
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
[ ${#presets[@]} -eq 0 ] && presets=(fuzz asan tsan default)

for preset in "${presets[@]}"; do
  stage "$preset-configure" cmake --preset "$preset" >/dev/null
  if [ "$preset" = fuzz ]; then
    # All of src/, not only the fuzzers: this clang build is the one that
    # checks the lock annotations (-Wthread-safety, warnings are errors).
    stage "$preset-build" cmake --build --preset "$preset"
    stage "$preset-run" "$top/scripts/fuzz.sh" "${FUZZ_SECONDS:-20}"
  elif [ "$preset" = default ] && [ $# -eq 0 ]; then
    # The build the README runs, made with its optimiser's warnings as
    # errors; its tests are the ones the sanitizer builds have just run.
    stage "$preset-build" cmake --build --preset "$preset"
  else
    stage "$preset-build" cmake --build --preset "$preset"
    stage "$preset-test" ctest --preset "$preset" -j"$(nproc)"
  fi
done
