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
# Every free function a public header documents must reach the reference: a namespace without
# its own comment, for one, would leave them all out without a warning.
missing=$(for header in $(find "$source/universal" -name '*.h' ! -name '*Internal.h' ! -name 'MatrixEvaluation.h' \
  ! -name 'MatrixRegion.h' ! -name 'RasterGlyphs.h' ! -name 'GaborRendererPool.h'); do
  awk '/^\/\/\// { documented = 1; next }
       documented && /^[A-Za-z].*[A-Za-z0-9_]\(/ && !/^(class|struct|namespace|enum|template|#)/ {
         line = $0; sub(/\(.*/, "", line); n = split(line, words, /[ *&:]+/); print words[n] }
       { documented = 0 }' "$header"
done | sort -u | while read -r name; do
  grep -qF ">$name<" "$output"/html/namespace*.html || echo "$name"
done)
if [ -n "$missing" ]; then
  echo "Documented but missing from the reference: $missing" >&2
  exit 1
fi
