#!/usr/bin/env bash
# The moving-bar program as a user meets it on a (virtual) display: it shows the fixed parts of
# its frame, Escape ends it with exit code 0, Alt+F4 ends it with exit code 1 and leaves the
# display as it was. Usage: ProgramTest.sh <folder of movingbars> <build folder>
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
program="$1/movingbars"
out="${STIMORA_TEST_OUTPUT:-$2/test-output}/program"
mkdir -p "$out"

pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
expect_pixel() { # file x y "r,g,b" what
  local got
  got=$(pixel "$1" "$2" "$3")
  [ "$got" = "$4" ] || fail "$5: pixel ($2,$3) is $got, expected $4"
}
shot() { xwd -root -silent | convert xwd:- "png:$1"; }

# --- Escape: exit code 0, after the frame's fixed parts were on screen. The pointer (drawn as
# a software cursor) is kept away from the parts checked. The frame log of the first
# seconds, before anything else loads the machine, shows the rate: Xvfb cannot synchronise,
# so the frames are paced to its 60 Hz in software.
rm -f "$out/frames.tsv"
STIMORA_NO_MESSAGE_BOX=1 STIMORA_FRAME_LOG="$out/frames.tsv" "$program" 2>"$out/stderr.txt" &
pid=$!
sleep 2
xdotool mousemove 1000 200
sleep 1
kill -0 $pid 2>/dev/null || fail "program did not stay up"
shot "$out/running.png"
expect_pixel "$out/running.png" 512 384 "255,255,255" "fixation square centre"
expect_pixel "$out/running.png" 510 382 "255,255,255" "fixation square top-left corner"
expect_pixel "$out/running.png" 509 384 "0,0,0" "left of the fixation square"
expect_pixel "$out/running.png" 515 384 "0,0,0" "right of the fixation square"
expect_pixel "$out/running.png" 100 344 "0,0,0" "left mask over the upper row"
expect_pixel "$out/running.png" 900 424 "0,0,0" "right mask over the lower row"
# Unsynchronised on Xvfb: the red warning bar, 600 x 20 centred at (511.5, 748).
expect_pixel "$out/running.png" 220 740 "255,0,0" "vsync warning bar"
# The console in the top-left corner: its grey panel, and the software cursor's white cross.
expect_pixel "$out/running.png" 1000 200 "255,255,255" "software cursor centre"
[ "$(pixel "$out/running.png" 215 5)" != "0,0,0" ] || fail "console panel missing"
xdotool key Escape
wait_exit $pid 10
code=$?
[ $code -eq 0 ] || fail "Escape: exit code $code, expected 0"
# The typical rate over flips 10 to 100 (about 1.5 s from the routine's start): one over the
# median interval, so that a frame the busy test machine makes late does not count.
rate=$(awk -F'\t' '$1 >= 10 && $1 <= 100 { print $4 }' "$out/frames.tsv" | sort -g |
  awk '{ v[NR] = $1 } END { if (NR > 0) printf "%.2f", 1000 / v[int((NR + 1) / 2)] }')
awk -v r="$rate" 'BEGIN { exit !(r >= 59 && r <= 61) }' || fail "frame rate from the frame log is '$rate', expected 60 +- 1"
grep -q "paced in software" "$out/stderr.txt" || fail "no timing summary on standard error"

# --- 12,000 pointer moves, or 3,000 wheel clicks, sent ahead of Escape: neither ever queues,
# so Escape ends the program at once.
for flood in moves wheel; do
  STIMORA_NO_MESSAGE_BOX=1 "$program" &
  pid=$!
  sleep 2
  if [ $flood = moves ]; then
    xdotool $(for i in $(seq 12000); do echo mousemove $((100 + i % 700)) $((100 + i % 500)); done)
  else
    xdotool mousemove 1000 200 click --repeat 3000 --delay 0 4
  fi
  start=$(date +%s%N)
  xdotool key Escape
  wait_exit $pid 10
  code=$?
  elapsed=$((($(date +%s%N) - start) / 1000000))
  [ $code -eq 0 ] || fail "Escape after the $flood: exit code $code"
  [ $elapsed -le 500 ] || fail "Escape after the $flood took $elapsed ms"
done

# --- Alt+F4: exit code 1, display restored (nothing of ours left on the root window).
STIMORA_NO_MESSAGE_BOX=1 "$program" &
pid=$!
sleep 3
xdotool key alt+F4
wait_exit $pid 10
code=$?
[ $code -eq 1 ] || fail "Alt+F4: exit code $code, expected 1"
shot "$out/after-close.png"
size=$(identify -format "%wx%h" "$out/after-close.png")
[ "$size" = "1024x768" ] || fail "screen is $size after the program ended"
[ "$(pixel "$out/after-close.png" 512 384)" != "255,255,255" ] || fail "the program's frame is still on screen"

finish ProgramTest
