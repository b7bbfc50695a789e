#!/usr/bin/env bash
# Parses every UTF-8 HTML page under /usr/share/doc as a page opened from
# disk and fails when one shows a UTF-8 sequence as separate Windows-1252
# characters ("Ã©", "â€™") that iconv's reading of the page does not hold.
# CI runs the same test over a sample of the pages.
#   scripts/check_share_doc_text.sh [BUILD-DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/default}
VESTRIAL_SHARE_DOC_ALL=1 exec "$build/tests/html_tests" \
  --gtest_filter='ShareDocCorpus.*'
