#!/usr/bin/env bash
# Runs Doxygen for the docs target and fails on a warning the accepted list does not hold. A
# warning is compared as "file: text", without its line number, so edits elsewhere keep it.
# Usage: docs-check.sh <doxygen> <output folder> <source folder> <accepted list>
set -euo pipefail
doxygen=$1 output=$2 source=$3 accepted=$4
rm -rf "$output/html"
"$doxygen" "$output/Doxyfile"
new=$(grep ': warning: ' "$output/warnings.log" |
  sed -e "s|^$source/||" -e 's/^\([^:]*\):[0-9]*: warning: /\1: /' |
  grep -vxF -f <(grep -v '^#' "$accepted") || true)
if [ -n "$new" ]; then
  echo "Doxygen warnings (document the member, or list the line in $accepted):" >&2
  echo "$new" >&2
  exit 1
fi
