#!/usr/bin/env bash
# Every include in the framework points down the layers or within its own: a lower layer never
# names a higher one, so that each layer builds and tests without those above it. The order
# (ARCHITECTURE.md explains it), lowest first:
#   base < platform < math, file < devices < display (colour and the drawing interface; the
#   triggers, devices/*Trigger.*, which listen to the flips)
#   < figures < canvas (display/Canvas*, Display, RasterGlyphs) < experiment, application
#   < analysis < Stimora.h
# Usage: include-layers.sh <source folder>
set -uo pipefail
cd "$1" || exit 2

rank() {
  case "$1" in
    universal/base/*) echo 0 ;;
    platform/*) echo 1 ;;
    universal/math/* | universal/file/*) echo 2 ;;
    universal/devices/*Trigger.*) echo 4 ;;
    universal/devices/*) echo 3 ;;
    universal/display/Canvas* | universal/display/Display.* | universal/display/RasterGlyphs.*) echo 6 ;;
    universal/display/*) echo 4 ;;
    universal/figures/*) echo 5 ;;
    universal/experiment/* | universal/application/*) echo 7 ;;
    universal/analysis/*) echo 8 ;;
    universal/Stimora.h) echo 9 ;;
    *) echo "unplaced" ;;
  esac
}

wrong=0
while read -r file; do
  from=$(rank "$file")
  [ "$from" = unplaced ] && { echo "not in any layer: $file"; wrong=1; continue; }
  while read -r included; do
    if [ -f "universal/$included" ]; then target="universal/$included"
    elif [ -f "platform/$included" ]; then target="platform/$included"
    else echo "$file: includes \"$included\", which is no header of the framework"; wrong=1; continue
    fi
    to=$(rank "$target")
    if [ "$to" -gt "$from" ]; then
      echo "$file (layer $from) includes $target (layer $to), a higher layer"
      wrong=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files -co --exclude-standard universal platform | grep -E '\.(h|cpp)$')
[ $wrong -eq 0 ] && echo "IncludeLayers: every include points down the layers"
exit $wrong
