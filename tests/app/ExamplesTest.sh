#!/usr/bin/env bash
# The two example programs as an observer meets them on a (virtual) display, driven by real X
# input: contrast_detection waits on its start screen for the space bar only, takes V / H
# answers and writes its result file (CR LF lines, journal removed), or keeps the journal of
# the finished trials when Escape stops it; demo_bars changes its variables with the arrow
# keys and writes the final settings at Escape; reaction_time takes its answers from the space
# bar or from a response box; eeg_triggers sends a code at every reversal; drifting_gratings
# shows a changing field of patches and ends at Escape; audiovisual_sync logs a
# click beside each flash.
# Usage: ExamplesTest.sh <folder of movingbars> <build folder>
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.bash"
build=$(cd "$2" && pwd)
detection="$build/contrast_detection"
demo="$build/demo_bars"
reaction="$build/reaction_time"
out="${STIMORA_TEST_OUTPUT:-$build/test-output}/examples"
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)

lines() { [ -f "$1" ] && tr -cd '\n' <"$1" | wc -c || echo 0; }
one() { compgen -G "$1" | head -n 1; }

for program in "$detection" "$demo" "$reaction" "$build/drifting_gratings" "$build/eeg_triggers" "$build/audiovisual_sync"; do
  [ -x "$program" ] || { echo "FAIL: $program was not built"; exit 1; }
done
# Without a window manager the keyboard follows the pointer; keep it off the console panel.
xdotool mousemove 700 600

# --- contrast_detection, run to its end: 5 contrasts x 2 orientations x 1 repetition.
run="$out/complete"
mkdir -p "$run"
(cd "$run" && STIMORA_REPETITIONS=1 STIMORA_NO_MESSAGE_BOX=1 exec "$detection") >"$run/log" 2>&1 &
pid=$!
sleep 3
kill -0 $pid 2>/dev/null || fail "contrast_detection did not stay up"
xdotool key Escape
sleep 1.5
kill -0 $pid 2>/dev/null || fail "Escape ended the start screen"
[ -z "$(one "$run/*.partial")" ] || fail "trials began before the space bar"
xdotool key space
answer_until_exit $pid
wait_exit $pid 10
code=$?
[ $code -eq 0 ] || fail "contrast_detection: exit code $code, expected 0 ($(cat "$run/log"))"
result=$(one "$run/ContrastDetection_*.dat")
if [ -z "$result" ]; then
  fail "no result file in $run"
else
  [[ "$(basename "$result")" =~ ^ContrastDetection_[0-9]{8}_[0-9]{6}\.dat$ ]] || fail "result file name $(basename "$result")"
  [ "$(lines "$result")" -eq 14 ] || fail "result file has $(lines "$result") lines, expected 4 + 10"
  [ "$(tr -cd '\r' <"$result" | wc -c)" -eq 14 ] || fail "result lines do not end in CR LF"
  [ "$(sed -n 1p "$result")" = $'ContrastDetection\r' ] || fail "line 1: $(sed -n 1p "$result")"
  [ "$(sed -n 3p "$result")" = $'Wavelength\t20;\t\r' ] || fail "line 3: $(sed -n 3p "$result")"
  [ "$(sed -n 4p "$result")" = $'TRIAL#\tContrast\tOrientation\tResponse\tCorrect\t\r' ] ||
    fail "line 4: $(sed -n 4p "$result")"
  # Each of the 10 combinations once; every trial answered.
  combos=$(sed -n '5,$p' "$result" | cut -f2,3 | sort -u | wc -l)
  [ "$combos" -eq 10 ] || fail "$combos distinct combinations, expected 10"
  answered=$(sed -n '5,$p' "$result" | cut -f4 | grep -cE '^[12]$')
  [ "$answered" -eq 10 ] || fail "$answered answered trials, expected 10"
  [ "$(sed -n '5,$p' "$result" | cut -f1 | tr '\n' ' ')" = "1 2 3 4 5 6 7 8 9 10 " ] || fail "trial numbers"
fi
[ -z "$(one "$run/*.partial")" ] || fail "journal left beside a complete result file"
[ -n "$result" ] && analyze "$build" "$result" --by Orientation --log

# --- contrast_detection stopped with Escape after a few trials: the journal keeps them.
run="$out/stopped"
mkdir -p "$run"
(cd "$run" && STIMORA_REPETITIONS=1 STIMORA_NO_MESSAGE_BOX=1 exec "$detection") >"$run/log" 2>&1 &
pid=$!
sleep 3
xdotool key space
sleep 1
journal=$(one "$run/*.partial")
for ((i = 0; i < 60; i++)); do
  [ -n "$journal" ] && [ "$(lines "$journal")" -ge 6 ] && break
  xdotool key v
  sleep 0.4
  journal=$(one "$run/*.partial")
done
for ((i = 0; i < 20 && $(kill -0 $pid 2>/dev/null && echo 1 || echo 0); i++)); do
  xdotool key Escape
  sleep 0.5
done
wait_exit $pid 10
code=$?
[ $code -eq 0 ] || fail "stopped contrast_detection: exit code $code, expected 0"
[ -z "$(one "$run/ContrastDetection_*.dat")" ] || fail "a stopped run wrote a result file"
if [ -z "$journal" ] || [ ! -f "$journal" ]; then
  fail "no journal after Escape"
else
  n=$(($(lines "$journal") - 4))
  [ $n -ge 2 ] && [ $n -lt 10 ] || fail "journal holds $n trials"
  [ "$(sed -n 4p "$journal")" = $'TRIAL#\tContrast\tOrientation\tResponse\tCorrect\t\r' ] || fail "journal header"
  expected=$(seq 1 $n | tr '\n' ' ')
  [ "$(sed -n '5,$p' "$journal" | cut -f1 | tr '\n' ' ')" = "$expected" ] || fail "journal trial numbers"
fi

# --- demo_bars: the arrow keys change the variables; Escape ends it and writes the settings.
run="$out/demo"
mkdir -p "$run"
(cd "$run" && STIMORA_NO_MESSAGE_BOX=1 exec "$demo") >"$run/log" 2>&1 &
pid=$!
sleep 3
kill -0 $pid 2>/dev/null || fail "demo_bars did not stay up"
xdotool key Right
sleep 0.5
xdotool key Down
sleep 0.5
xdotool key Left
sleep 0.5
xdotool key Escape
wait_exit $pid 10
code=$?
[ $code -eq 0 ] || fail "demo_bars: exit code $code, expected 0 ($(cat "$run/log"))"
settings=$(one "$run/DemoBars_*.txt")
if [ -z "$settings" ]; then
  fail "no settings file in $run"
else
  [ "$(lines "$settings")" -eq 4 ] || fail "settings file has $(lines "$settings") lines"
  [ "$(cut -f1 "$settings" | tr '\n' '|')" = "Bar Width|Bar Count|Luminance|Speed|" ] || fail "settings labels"
  # Untouched variables stay at their middle levels; the two stepped ones moved.
  grep -q $'^Luminance\t0.75\r$' "$settings" || fail "Luminance is not at its middle level"
  grep -q $'^Speed\t2\r$' "$settings" || fail "Speed is not at its middle level"
  grep -q $'^Bar Width\t16\r$' "$settings" && fail "Right did not change Bar Width"
  grep -q $'^Bar Count\t6\r$' "$settings" && fail "Left did not change Bar Count"
fi

# --- reaction_time: three trials answered with the space bar; one line per trial with its
# outcome, and the frame log beside the results. Runs that started in the same second hold the
# plain names of the next few seconds: this run numbers its files and overwrites none.
run="$out/reaction"
rm -rf "$run"
mkdir -p "$run"
for s in 0 1 2 3 4; do echo taken >"$run/ReactionTime_$(date -d "+$s sec" +%Y%m%d_%H%M%S).dat"; done
(cd "$run" && STIMORA_TRIALS=3 STIMORA_NO_MESSAGE_BOX=1 exec "$reaction") >"$run/log" 2>&1 &
pid=$!
sleep 2
for ((i = 0; i < 60 && $(kill -0 $pid 2>/dev/null && echo 1 || echo 0); i++)); do
  xdotool key space
  sleep 0.3
done
wait_exit $pid 10
code=$?
[ $code -eq 0 ] || fail "reaction_time: exit code $code, expected 0 ($(cat "$run/log"))"
result=$(one "$run/ReactionTime_*_2.dat")
frames=$(one "$run/ReactionTime_*_2_frames.tsv")
[ "$(cat "$run"/ReactionTime_*[0-9][0-9].dat | sort -u)" = taken ] || fail "reaction_time overwrote another run's file"
[ -n "$result" ] && [ "$(lines "$result")" -eq 5 ] || fail "reaction_time result: $(cat "$result" 2>/dev/null)"
[ -n "$result" ] && [ "$(sed -n '3,$p' "$result" | cut -f5 | grep -cE '^(hit|anticipation|miss)$')" -eq 3 ] ||
  fail "reaction_time outcomes"
[ -n "$frames" ] && [ "$(head -c 5 "$frames")" = "index" ] || fail "no frame log beside the results"
[ -n "$frames" ] && analyze "$build" "$frames"

# --- reaction_time with a response box: the test is the box on the far end of a pseudo-terminal,
# pressing a button every 0.3 s; eeg_triggers sends its codes to a UDP socket of the test's.
run="$out/reaction-box"
mkdir -p "$run"
python3 - "$reaction" "$run" <<'EOF_BOX' || fail "reaction_time --response-box: exit code $? ($(cat "$run/log"))"
import os, pty, subprocess, sys, time
far, near = pty.openpty()
path = os.ttyname(near)
os.close(near)
env = dict(os.environ, STIMORA_TRIALS="3", STIMORA_NO_MESSAGE_BOX="1")
p = subprocess.Popen([sys.argv[1], "--response-box", path], cwd=sys.argv[2], env=env,
                     stdout=open(sys.argv[2] + "/log", "w"), stderr=subprocess.STDOUT)
time.sleep(2)
while p.poll() is None:
    os.write(far, b"\x01")
    time.sleep(0.3)
sys.exit(p.wait())
EOF_BOX
result=$(one "$run/ReactionTime_*.dat")
[ -n "$result" ] && [ "$(sed -n '3,$p' "$result" | cut -f5 | grep -cE '^(hit|anticipation)$')" -eq 3 ] ||
  fail "reaction_time with a box: $(cat "$result" 2>/dev/null)"
run="$out/eeg"
mkdir -p "$run"
codes=$(cd "$run" && STIMORA_REVERSALS=2 STIMORA_NO_MESSAGE_BOX=1 python3 -c '
import socket, subprocess, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", 0))
p = subprocess.run([sys.argv[1], "--udp", "127.0.0.1:%d" % s.getsockname()[1]], stdout=open("log", "w"))
s.setblocking(False)
print(" ".join(s.recv(16).decode() for _ in range(8)), p.returncode)' "$build/eeg_triggers")
[ "$codes" = "11 11 12 12 11 11 12 12 0" ] || fail "eeg_triggers sent \"$codes\" ($(cat "$run/log"))"
[ "$(cut -f4 "$run"/EegTriggers_*_events.tsv | tr -d '\r' | tr '\n' ' ')" = "code 11 11 12 12 11 11 12 12 " ] ||
  fail "eeg_triggers events: $(cat "$run"/EegTriggers_*_events.tsv)"

# --- drifting_gratings: the field drifts (two screenshots differ), the console steps a
# variable, Escape ends it cleanly.
run="$out/drifting"
mkdir -p "$run"
(cd "$run" && STIMORA_NO_MESSAGE_BOX=1 exec "$build/drifting_gratings") >"$run/log" 2>&1 &
pid=$!
sleep 3
kill -0 $pid 2>/dev/null || fail "drifting_gratings did not stay up ($(cat "$run/log"))"
xwd -root -silent | convert xwd:- -crop 600x500+300+150 "png:$run/a.png"
xdotool key Right
sleep 0.3
xwd -root -silent | convert xwd:- -crop 600x500+300+150 "png:$run/b.png"
xdotool key Escape
wait_exit $pid 10
code=$?
[ $code -eq 0 ] || fail "drifting_gratings: exit code $code, expected 0 ($(cat "$run/log"))"
spread=$(convert "$run/a.png" -colorspace gray -format "%[fx:standard_deviation*255]" info:)
awk "BEGIN { exit !($spread > 5) }" || fail "drifting_gratings shows no patches (grey spread $spread)"
changed=$(compare -metric AE "$run/a.png" "$run/b.png" null: 2>&1 | cut -d' ' -f1)
awk "BEGIN { exit !($changed > 1000) }" || fail "drifting_gratings: the field does not change ($changed pixels changed)"

# --- audiovisual_sync: three flashes with a click each, played into a JACK server of the test's
# own on its dummy driver; the saved frame log holds a sound mark beside each flash's flip.
run="$out/audiovisual"
mkdir -p "$run"
server="stimora-examples-$$"
JACK_NO_AUDIO_RESERVATION=1 jackd -n "$server" -d dummy -r 48000 -p 256 >/dev/null 2>&1 &
jack=$!
sleep 1
(cd "$run" && JACK_DEFAULT_SERVER="$server" STIMORA_TRIALS=3 STIMORA_NO_MESSAGE_BOX=1 \
  timeout 60 "$build/audiovisual_sync") >"$run/log" 2>&1
code=$?
kill $jack
wait $jack 2>/dev/null
[ $code -eq 0 ] || fail "audiovisual_sync: exit code $code ($(grep -v ^ALSA "$run/log"))"
log=$(one "$run/AudiovisualSync_*.tsv")
[ -n "$log" ] && [ "$(grep -c $'\tsound\t' "$log")" -eq 3 ] || fail "audiovisual_sync: no three sound marks in $log"
grep -q "^Sound timing on \"JACK" "$run/log" || fail "audiovisual_sync: no sound timing report"

finish ExamplesTest
