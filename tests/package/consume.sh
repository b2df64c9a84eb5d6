#!/usr/bin/env bash
# Installs Stimora into a scratch prefix and builds an experiment outside the tree against it
# with find_package(Stimora) alone, then runs it.
set -euo pipefail
source_dir=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
cmake -S "$source_dir" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$work/prefix" \
  -DSTIMORA_BENCHMARKS=OFF >/dev/null
cmake --build "$work/build" --target stimora stimora_analysis stimora_analyze -j2 >/dev/null
cmake --install "$work/build" >/dev/null
cmake -S "$source_dir/tests/package/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/consumer" -j2 >/dev/null
"$work/consumer/consumer"
