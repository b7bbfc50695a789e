#!/usr/bin/env bash
# Sets everything up, builds and runs the whole test suite: the normal build,
# the AddressSanitizer+UBSan and ThreadSanitizer builds, and a bounded run of
# every fuzzer. Exits non-zero on any failure.
#   scripts/test.sh            everything
#   scripts/test.sh default    one preset only (default, asan, tsan or fuzz)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/setup.sh"

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(fuzz asan tsan default)

for preset in "${presets[@]}"; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  if [ "$preset" = fuzz ]; then
    "$top/scripts/fuzz.sh" "${FUZZ_SECONDS:-30}"
  else
    ctest --preset "$preset" -j2
  fi
done
