#!/usr/bin/env bash
# Start-up of the window: from starting the program to its window showing the
# home page (about:about.htm, titled "About Vestrial - Vestrial" once the page
# is shown; it is painted in the same pass of the loop), next to the headless
# shell's start-up writing the same page's picture (--screenshot), measured in
# the same run, as a ratio; and the window's resident memory once its home
# page is painted. Targets: the window with its home page within 0.04 s, in at
# most 15 MiB. Best of 5 runs each (memory: the median), under a private Xvfb
# of 1024 x 768. The window is watched through X events (window_probe), which
# take no processor time from the program while it starts.
#   bench/startup_bench.sh [BUILD-DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/default}
vestrial=$build/src/shell/vestrial
[ -x "$vestrial" ] || { echo "startup_bench: build $vestrial first" >&2; exit 1; }
if [ -z "${STARTUP_BENCH_DISPLAY:-}" ]; then
  exec env STARTUP_BENCH_DISPLAY=1 bash "$top/tests/gui/with_xvfb.sh" bash "$0" "$build"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
now() { date +%s.%N; }

best() { sort -g | head -n 1; }

probe=$build/bench/window_probe
[ -x "$probe" ] || { echo "startup_bench: build $probe first" >&2; exit 1; }
window_times=()
window_kib=()
for _ in 1 2 3 4 5; do
  read -r seconds kib < <("$probe" 'About Vestrial - Vestrial' "$vestrial")
  window_times+=("$seconds")
  window_kib+=("$kib")
done

headless_times=()
for _ in 1 2 3 4 5; do
  start=$(now)
  "$vestrial" --headless --screenshot "$work/home.png" about:about.htm
  end=$(now)
  headless_times+=("$(echo "$end - $start" | bc -l)")
done

window=$(printf '%s\n' "${window_times[@]}" | best)
resident=$(printf '%s\n' "${window_kib[@]}" | sort -n | sed -n 3p)
headless=$(printf '%s\n' "${headless_times[@]}" | best)
printf 'window with the home page:   %.3f s (best of 5)\n' "$window"
printf 'headless --screenshot:       %.3f s (best of 5)\n' "$headless"
printf 'ratio window / headless:     %.2f\n' "$(echo "$window / $headless" | bc -l)"
printf 'window resident, painted:    %.1f MiB (median of 5)\n' "$(echo "$resident / 1024" | bc -l)"
awk -v w="$window" -v k="$resident" 'BEGIN { exit !(w <= 0.04 && k <= 15 * 1024) }' &&
  echo "targets (0.04 s, 15 MiB): met" || echo "targets (0.04 s, 15 MiB): missed"
