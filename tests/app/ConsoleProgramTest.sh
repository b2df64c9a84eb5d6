#!/usr/bin/env bash
# The variable console of the moving-bar program, driven only by real X input: arrow keys,
# Shift and a mouse drag change the variables, and each change shows in the console's bars
# (row k's bar runs from x = 10 to 10 + 200 x ratio on the lines 3 + 20k .. 15 + 20k).
# Usage: ConsoleProgramTest.sh <folder of movingbars> <build folder>
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
program="$1/movingbars"
out="${STIMORA_TEST_OUTPUT:-$2/test-output}/console"
mkdir -p "$out"
shot() { sleep 0.4; xwd -root -silent | convert xwd:- "png:$out/$1.png"; }
pixel() { convert "$out/$1.png" -format "%[pixel:p{$2,$3}]" info:; }
# Whether row's bar reaches x in screenshot: the same colour as the bar's first column.
reaches() { [ "$(pixel "$1" "$3" $((9 + 20 * $2)))" = "$(pixel "$1" 10 $((9 + 20 * $2)))" ]; }
expect_reaches() { reaches "$1" "$2" "$3" || fail "$4: row $2's bar does not reach x = $3 in $1"; }
expect_short() { reaches "$1" "$2" "$3" && fail "$4: row $2's bar reaches x = $3 in $1"; }

STIMORA_NO_MESSAGE_BOX=1 "$program" &
pid=$!
sleep 2
xdotool mousemove 1000 700 # no row hovered
shot start
# Stimulus Type 1 of 1..3: ratio 0. Bar Width 10 of 3..10: ratio 1. Eccentricity 40 of 20..140.
expect_short start 0 60 "Stimulus Type at 1"
expect_reaches start 2 205 "Bar Width at 10"
expect_short start 3 70 "Eccentricity at 40"

xdotool key Right # Stimulus Type 2: ratio 0.5, bar to x = 110
shot type2
expect_reaches type2 0 105 "Right on Stimulus Type"
expect_short type2 0 115 "Right on Stimulus Type"

xdotool key --delay 150 Down Down Left # Bar Width 9: ratio 6/7, bar to x = 181
shot width9
expect_short width9 2 190 "Down, Down, Left on Bar Width"
expect_reaches width9 2 175 "Down, Down, Left on Bar Width"
expect_reaches width9 0 105 "Stimulus Type kept"

xdotool key Down
xdotool keydown shift
sleep 0.2
xdotool key Right # Shift: the second step, 20: Eccentricity 60, ratio 1/3, bar to x = 76
sleep 0.2
xdotool keyup shift
shot eccentricity60
expect_reaches eccentricity60 3 72 "Shift+Right on Eccentricity"
expect_short eccentricity60 3 82 "Shift+Right on Eccentricity"

# Drag on "Motion Direction" (row 4, y 80..99): press at the bar's start (ratio 0: -1), then
# leave the row and the panel to the right (ratio 1: 1); the drag keeps acting on row 4.
xdotool mousemove 110 90
sleep 0.3
xdotool mousedown 1
sleep 0.2
xdotool mousemove 10 90
shot drag-start
expect_short drag-start 4 60 "drag to ratio 0"
xdotool mousemove 210 300
shot drag-end
expect_reaches drag-end 4 205 "drag to ratio 1 outside the row"
expect_reaches drag-end 2 175 "the row under the path of the drag"
expect_short drag-end 2 190 "the row under the path of the drag"
xdotool mouseup 1
xdotool mousemove 1000 700

xdotool key Escape
for i in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then
  kill -9 $pid
  fail "Escape did not end the program"
fi
wait $pid
code=$?
[ $code -eq 0 ] || fail "exit code $code after Escape"
finish ConsoleProgramTest
