#!/usr/bin/env bash
# Runs Doxygen for the docs target and fails on any warning: every public declaration carries
# its `///` line.
# Usage: docs-check.sh <doxygen> <output folder> <source folder>
set -euo pipefail
doxygen=$1 output=$2 source=$3
rm -rf "$output/html"
"$doxygen" "$output/Doxyfile"
if [ -s "$output/warnings.log" ]; then
  echo "Doxygen warnings (document the member):" >&2
  sed -e "s|^$source/||" "$output/warnings.log" >&2
  exit 1
fi
