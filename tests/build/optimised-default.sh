#!/usr/bin/env bash
# A plain configure (no build type, no options) must compile every target with -O3: at -O2
# the compiler vectorises none of the matrix loops.
set -euo pipefail
source_dir=$1
work=$2
rm -rf "$work"
cmake -S "$source_dir" -B "$work" -G "Unix Makefiles" >/dev/null
mapfile -t flag_files < <(find "$work" -name flags.make)
[ ${#flag_files[@]} -gt 0 ] || { echo "no compile flags written under $work" >&2; exit 1; }
for f in "${flag_files[@]}"; do
  grep -q '^CXX_FLAGS = .*-O3' "$f" || { echo "not compiled with -O3: $f" >&2; exit 1; }
done
echo "${#flag_files[@]} targets compile with -O3"
