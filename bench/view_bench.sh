#!/usr/bin/env bash
# A 1 MB local HTML page in the headless shell: time from the navigation to
# the first painted screen and to the complete page (loaded, laid out,
# painted), next to `w3m -dump` and `lynx -dump` of the same file measured in
# the same run, as ratios. Target: the complete page in less time than w3m.
# Best of 5 runs each. Needs the default build (view_bench), w3m and lynx.
#   bench/view_bench.sh [BUILD-DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/default}
bench=$build/bench/view/view_bench
[ -x "$bench" ] || { echo "view_bench: build $bench first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config

page=$work/page.html
{
  echo '<html><head><title>One megabyte</title></head><body bgcolor="#ffffff">'
  i=0
  while [ "$(stat -c %s "$page" 2>/dev/null || echo 0)" -lt 1000000 ]; do
    for _ in $(seq 50); do
      i=$((i + 1))
      echo "<h2>Section $i</h2><p>Paragraph $i has <b>bold</b>, <i>italic</i> and"
      echo "<a href=\"#s$i\">a link</a> among ordinary words that wrap over several lines"
      echo "of the window, as the text of a long manual page does.</p>"
      echo "<ul><li>first point<li>second point</ul>"
    done >>"$page.part"
    cat "$page.part" >>"$page"; rm "$page.part"
  done
  echo '</body></html>'
} >>"$page"

best() { sort -n | head -n 1; }
time_ms() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
first=()
complete=()
for _ in 1 2 3 4 5; do
  read -r f c < <("$bench" "$page")
  first+=("$f"); complete+=("$c")
done
best_first=$(printf '%s\n' "${first[@]}" | best)
best_complete=$(printf '%s\n' "${complete[@]}" | best)
w3m_ms=$(for _ in 1 2 3 4 5; do time_ms w3m -dump "$page"; done | best)
lynx_ms=$(for _ in 1 2 3 4 5; do time_ms lynx -dump "$page"; done | best)
echo "page: $(stat -c %s "$page") bytes"
echo "vestrial first screen: ${best_first} ms"
echo "vestrial complete page: ${best_complete} ms"
echo "w3m -dump: ${w3m_ms} ms   lynx -dump: ${lynx_ms} ms"
awk -v c="$best_complete" -v w="$w3m_ms" -v l="$lynx_ms" 'BEGIN {
  printf "complete / w3m = %.2f   complete / lynx = %.2f   (target: below 1 against w3m)\n", c / w, c / l }'
