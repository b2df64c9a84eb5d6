#!/usr/bin/env bash
# The two adaptive examples driven by real X keys: each waits for the space bar, takes V / H answers
# until its procedure is done and writes its result file (trials, then estimates; journal removed).
# Usage: AdaptiveExamplesTest.sh <folder of movingbars> <build folder>
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
build=$(cd "$2" && pwd)
out="${STIMORA_TEST_OUTPUT:-$build/test-output}/adaptive-examples"
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
xdotool mousemove 700 600 # without a window manager the keyboard follows the pointer

# run <program> <trials>: runs it to its end in $run, answering V / H in turn; result file in $result.
run() {
  run="$out/$1"
  mkdir -p "$run"
  (cd "$run" && STIMORA_TRIALS=$2 STIMORA_NO_MESSAGE_BOX=1 exec "$build/$1") >"$run/log" 2>&1 &
  local pid=$!
  sleep 3
  kill -0 $pid 2>/dev/null || fail "$1 did not stay up"
  [ -z "$(compgen -G "$run/*.partial")" ] || fail "$1: trials began before the space bar"
  xdotool key space
  answer_until_exit $pid
  wait_exit $pid 10
  local code=$?
  [ $code -eq 0 ] || fail "$1: exit code $code, expected 0 ($(cat "$run/log"))"
  result=$(compgen -G "$run/*.dat" | head -n 1)
  [ -n "$result" ] || { fail "$1: no result file"; return 1; }
  [ -z "$(compgen -G "$run/*.partial")" ] || fail "$1: journal left beside a complete result file"
  [ "$(tr -cd '\r' <"$result" | wc -c)" -eq "$(tr -cd '\n' <"$result" | wc -c)" ] || fail "$1: lines not CR LF"
}
# --- contrast_staircase: two staircases of 4 trials each (far fewer than 12 reversals).
if run contrast_staircase 4; then
  [[ "$(basename "$result")" =~ ^ContrastStaircase_[0-9]{8}_[0-9]{6}\.dat$ ]] || fail "name $(basename "$result")"
  [ "$(sed -n 4p "$result")" = $'TRIAL#\tSTAIRCASE\tContrast\tCorrect\tREVERSAL\tOrientation\tAnswer\t\r' ] ||
    fail "staircase header: $(sed -n 4p "$result")"
  [ "$(sed -n '5,12p' "$result" | cut -f2 | sort | uniq -c | awk '{print $1}' | tr '\n' ' ')" = "4 4 " ] ||
    fail "staircase trials are not 4 from each staircase"
  [ "$(sed -n '5,12p' "$result" | awk -F'\t' '$1 == NR && ($4 == ($6 == $7)) && $3 > 0 && $3 <= 1' | wc -l)" -eq 8 ] ||
    fail "staircase trial lines: numbers, contrasts or correctness"
  [[ "$(sed -n '13,15p' "$result" | awk -F'\t' '{printf "%s:%s:%s ", $1, $2, $4}')" = "STAIRCASE:THRESHOLD:TRIALS 1:"*":4 2:"*":4 " ]] ||
    fail "staircase estimates: $(sed -n '13,15p' "$result")"
  [ "$(tr -cd '\n' <"$result" | wc -c)" -eq 15 ] || fail "staircase file has $(tr -cd '\n' <"$result" | wc -c) lines"
  grep -q "^Staircase 2: threshold contrast" "$run/log" || fail "no thresholds reported: $(cat "$run/log")"
  analyze "$build" "$result" --log
fi

# --- quest_contrast: 5 trials, each line with the posterior mean and sd after it.
if run quest_contrast 5; then
  [[ "$(basename "$result")" =~ ^QuestContrast_[0-9]{8}_[0-9]{6}\.dat$ ]] || fail "name $(basename "$result")"
  [ "$(sed -n 4p "$result")" = $'TRIAL#\tQUEST\tlog10 Contrast\tCorrect\tMEAN\tSD\tOrientation\tAnswer\t\r' ] ||
    fail "QUEST header: $(sed -n 4p "$result")"
  [ "$(sed -n 5p "$result" | cut -f3)" = "-1.3" ] || fail "the first trial is not at the prior mean"
  [ "$(sed -n '5,9p' "$result" | awk -F'\t' '$1 == NR && $2 == 1 && ($4 == ($7 == $8)) && $3 <= 0 && $6 > 0' |
    wc -l)" -eq 5 ] || fail "QUEST trial lines: numbers, intensities, correctness or sd"
  [ "$(sed -n 10p "$result")" = $'QUEST\tMEAN\tSD\tTRIALS\t\r' ] || fail "QUEST estimates header"
  [ "$(sed -n 11p "$result" | cut -f2,3)" = "$(sed -n 9p "$result" | cut -f5,6)" ] || fail "final estimate"
  grep -q "^Threshold: log10 contrast" "$run/log" || fail "no threshold reported: $(cat "$run/log")"
  analyze "$build" "$result"
fi

finish AdaptiveExamplesTest
