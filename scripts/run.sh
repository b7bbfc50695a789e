#!/usr/bin/env bash
# Sets everything up, builds, and starts the browser on the home page or on the
# URL or file given: scripts/run.sh [URL | FILE]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
cmake --preset default -S "$top" >/dev/null
cmake --build --preset default
exec "$top/build/default/src/shell/vestrial" "$@"
