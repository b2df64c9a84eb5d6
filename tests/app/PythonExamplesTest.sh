#!/usr/bin/env bash
# The Python contrast staircase driven by real X keys, as the C++ one is: it waits for the
# space bar, takes V / H answers until both staircases end, writes its result file, and
# stimora-analyze reads it.
# Usage: PythonExamplesTest.sh <folder of movingbars> <build folder>
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
examples=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../examples/python" && pwd)
build=$(cd "$2" && pwd)
out="${STIMORA_TEST_OUTPUT:-$build/test-output}/python-examples"
rm -rf "$out"
mkdir -p "$out"
xdotool mousemove 700 600 # without a window manager the keyboard follows the pointer

(cd "$out" && PYTHONPATH="$build/python" STIMORA_TRIALS=4 STIMORA_NO_MESSAGE_BOX=1 \
  exec /usr/bin/python3 "$examples/contrast_staircase.py") >"$out/log" 2>&1 &
pid=$!
sleep 3
kill -0 $pid 2>/dev/null || fail "contrast_staircase.py did not stay up: $(cat "$out/log")"
[ -z "$(compgen -G "$out/*.partial")" ] || fail "trials began before the space bar"
xdotool key space
answer_until_exit $pid
wait_exit $pid 10
code=$?
[ $code -eq 0 ] || fail "exit code $code, expected 0 ($(cat "$out/log"))"
result=$(compgen -G "$out/ContrastStaircase_*.dat" | head -n 1)
if [ -n "$result" ]; then
  [ "$(sed -n 4p "$result")" = $'TRIAL#\tSTAIRCASE\tContrast\tCorrect\tREVERSAL\tOrientation\tAnswer\t\r' ] ||
    fail "staircase header: $(sed -n 4p "$result")"
  [ "$(sed -n '5,12p' "$result" | awk -F'\t' '$1 == NR && ($4 == ($6 == $7)) && $3 > 0 && $3 <= 1' | wc -l)" -eq 8 ] ||
    fail "trial lines: numbers, contrasts or correctness"
  grep -q "^Staircase 2: threshold contrast" "$out/log" || fail "no thresholds reported: $(cat "$out/log")"
  analyze "$build" "$result" --log
else
  fail "no result file ($(cat "$out/log"))"
fi
finish PythonExamplesTest
