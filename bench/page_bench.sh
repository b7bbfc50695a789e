#!/usr/bin/env bash
# The whole program on a large page, from the file's bytes to a laid-out
# (and for the 1 MiB page painted) page, next to a peer measured in the same
# run, as whole processes:
#   1 MiB  `vestrial --headless --screenshot` (1000x700)  vs  `w3m -dump -cols 100`
#   50 MiB `vestrial --headless` (load and complete layout)  vs  `xmllint --html --noout`
# Five paired runs each (ours, then the peer's); printed are the medians, the
# median of the paired ratios and our peak memory against the page's size.
# Targets: 1 MiB at most 0.5 x w3m; 50 MiB at most 0.25 x xmllint with a peak
# of at most 3 x the page.
# The page is real documentation HTML: SOURCE (default: Node.js's one-page
# API manual, /usr/share/doc/nodejs/api/all.html), its first MiB, and that
# MiB 50 times over.
#   bench/page_bench.sh [SOURCE.html] [BUILD-DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source_page=${1:-/usr/share/doc/nodejs/api/all.html}
build=${2:-$top/build/default}
vestrial=$build/src/shell/vestrial
[ -x "$vestrial" ] || { echo "page_bench: build $vestrial first (cmake --build --preset default)" >&2; exit 1; }
for tool in w3m xmllint; do
  command -v $tool >/dev/null || { echo "page_bench: $tool is missing (scripts/setup.sh)" >&2; exit 1; }
done
[ -s "$source_page" ] || {
  echo "page_bench: no page at $source_page: give an HTML file of at least 1 MiB" >&2
  exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache

head -c 1048576 "$source_page" >"$work/page1.html"
[ "$(stat -c %s "$work/page1.html")" = 1048576 ] || { echo "page_bench: $source_page is under 1 MiB" >&2; exit 1; }
for _ in $(seq 50); do cat "$work/page1.html"; done >"$work/page50.html"

# One run of a command: wall milliseconds and peak resident KiB.
run() {
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo "$(((end - start) / 1000000)) $(tail -n 1 "$work/rss")"
}
median() { sort -n | sed -n 3p; }

# row NAME PAGE-BYTES -- OURS... -- PEER...
row() {
  local name=$1 bytes=$2
  shift 3
  local ours=() peer=()
  while [ "$1" != -- ]; do ours+=("$1"); shift; done
  shift
  peer=("$@")
  : >"$work/pairs"
  for _ in 1 2 3 4 5; do
    read -r our_ms our_kb < <(run "${ours[@]}")
    read -r peer_ms peer_kb < <(run "${peer[@]}")
    echo "$our_ms $our_kb $peer_ms $peer_kb" >>"$work/pairs"
  done
  local our_ms peer_ms ratio our_kb peer_kb
  our_ms=$(awk '{ print $1 }' "$work/pairs" | median)
  peer_ms=$(awk '{ print $3 }' "$work/pairs" | median)
  our_kb=$(awk '{ print $2 }' "$work/pairs" | median)
  peer_kb=$(awk '{ print $4 }' "$work/pairs" | median)
  ratio=$(awk '{ printf "%.3f\n", $1 / ($3 ? $3 : 1) }' "$work/pairs" | median)
  awk -v n="$name" -v o="$our_ms" -v p="$peer_ms" -v r="$ratio" -v ok="$our_kb" -v pk="$peer_kb" \
    -v b="$bytes" 'BEGIN {
    printf "%-8s vestrial %5d ms %4d MiB (%.1f x page)   peer %5d ms %4d MiB   ratio %.3f\n",
      n, o, ok / 1024, ok * 1024 / b, p, pk / 1024, r }'
}

echo "page: $source_page"
row "1 MiB" 1048576 -- "$vestrial" --headless --screenshot "$work/shot.png" --size 1000x700 \
  "$work/page1.html" -- w3m -dump -cols 100 "$work/page1.html"
row "50 MiB" $((50 * 1048576)) -- "$vestrial" --headless "$work/page50.html" \
  -- xmllint --html --noout --recover "$work/page50.html"
echo "targets: 1 MiB ratio <= 0.50 (peer w3m); 50 MiB ratio <= 0.25 (peer xmllint), peak <= 3.0 x page"
