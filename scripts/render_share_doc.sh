#!/usr/bin/env bash
# Renders every HTML file under /usr/share/doc (or the folder given) with
# --screenshot, one process per file with a time limit, and reports each file
# that crashed, hung or drew a sanitizer report. Meant for the ASan build:
#   scripts/render_share_doc.sh build/asan/src/shell/vestrial [FOLDER] [SECONDS]
# Exit status 1 when any file failed that way. A page that merely fails to
# load (exit status 1 with its message) counts as rendered.
set -u
vestrial=${1:?usage: render_share_doc.sh VESTRIAL [FOLDER] [SECONDS]}
folder=${2:-/usr/share/doc}
limit=${3:-30}
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
lsan_supp=$(dirname "$0")/../tests/lsan.supp
[ -f "$lsan_supp" ] && export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$lsan_supp}

total=0
bad=0
while IFS= read -r -d '' file; do
  total=$((total + 1))
  timeout "$limit" "$vestrial" --headless --screenshot "$work/out.png" "$file" \
    >/dev/null 2>"$work/err"
  status=$?
  reason=
  if [ $status -eq 124 ]; then
    reason="hung (over ${limit}s)"
  elif [ $status -ge 128 ]; then
    reason="crashed (status $status)"
  elif grep -q -E 'ERROR: (Address|Leak|UndefinedBehavior)Sanitizer|runtime error:' "$work/err"; then
    reason="sanitizer report"
  elif [ $status -ne 0 ] && [ $status -ne 1 ]; then
    reason="exit status $status"
  fi
  if [ -n "$reason" ]; then
    bad=$((bad + 1))
    echo "$reason: $file"
    head -n 20 "$work/err" | sed 's/^/    /'
  fi
done < <(find -L "$folder" -type f \( -iname '*.html' -o -iname '*.htm' \) -print0 2>/dev/null)
echo "$total files rendered, $bad failed"
[ $bad -eq 0 ]
