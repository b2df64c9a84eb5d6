#!/usr/bin/env bash
# Installs Stimora into a scratch prefix and builds an experiment outside the tree against it
# with find_package(Stimora) alone, then runs it; the installed Python module imports.
set -euo pipefail
source_dir=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
cmake -S "$source_dir" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$work/prefix" \
  -DSTIMORA_BENCHMARKS=OFF >/dev/null
cmake --build "$work/build" --target stimora stimora_analysis stimora_analyze stimora_calibrate stimora_python -j2 >/dev/null
cmake --install "$work/build" >/dev/null
# The installed headers are the public ones: no platform half, nothing of OpenGL, and every
# header they include installed beside them.
include=$work/prefix/include/Stimora
for internal in Platform.h APICanvasProperties.h display/CanvasInternal.h; do
  [ ! -e "$include/$internal" ] || { echo "internal header installed: $internal" >&2; exit 1; }
done
! grep -rl '<GL/' "$include" || { echo "an installed header includes OpenGL" >&2; exit 1; }
grep -rho '#include "[^"]*"' "$include" | sed 's/#include "//; s/"$//' | sort -u | while read -r h; do
  [ -e "$include/$h" ] || { echo "an installed header includes $h, which is not installed" >&2; exit 1; }
done
cmake -S "$source_dir/tests/package/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/consumer" -j2 >/dev/null
"$work/consumer/consumer"
PYTHONPATH=$work/prefix/lib/python3/dist-packages /usr/bin/python3 -c "import stimora" ||
  { echo "the installed Python module does not import" >&2; exit 1; }
