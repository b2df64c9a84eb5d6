#!/usr/bin/env bash
# stimora-calibrate as a lab runs it, on the virtual display. Against the simulated PR-655 on a
# pseudo-terminal (the real driver, the pixels read back) it recovers the display's gamma and
# validates every level within 2 %; readings typed on standard input make a profile as well,
# and a run killed after 5 readings resumes at reading 6; a malformed profile or a photometer
# that fails stops it with one line and leaves the profile as it was.
# Usage: CalibrateCommandTest.sh <stimora-calibrate> <output folder>
set -uo pipefail
tool=$1
out="$2/calibrate"
rm -rf "$out"
mkdir -p "$out"
export STIMORA_SIMULATED_REFRESH=240
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# A Python expression over the profile p.
field() { python3 -c 'import json, sys; p = json.load(open(sys.argv[1])); print(eval(sys.argv[2]))' "$1" "$2"; }
check() { python3 -c "import sys; sys.exit(not ($1))" || fail "$2"; }
size=(--width-cm 40 --height-cm 30 --distance-cm 57 --settle-frames 2)

# --- The simulated photometer: L = 0.5 + 119.5 v^2.3 with 0.5 % noise.
"$tool" --profile "$out/simulated.json" "${size[@]}" --photometer simulated >"$out/simulated.log" 2>&1 ||
  fail "simulated run: $(tail -n 1 "$out/simulated.log")"
gamma=$(field "$out/simulated.json" 'p["calibration"]["grey"]["power"]["gamma"]')
check "abs($gamma - 2.3) <= 0.05" "simulated: gamma $gamma, expected 2.3 +- 0.05"
errors=$(field "$out/simulated.json" '[round(k["error_percent"], 2) for k in p["calibration"]["validation"]]')
check "len($errors) == 9 and max(map(abs, $errors)) <= 2" "simulated: validation errors $errors %"
grep -q "one 8-bit step" "$out/simulated.log" || fail "the validation report gives no 8-bit step"
[ -s "$out/simulated.png" ] || fail "no figure"
[ ! -e "$out/simulated.journal" ] || fail "a complete run left its journal"

# --- Typed readings, killed after 5 and resumed: 17 grey levels, then 9 validation levels.
python3 -c '
for k in range(17): print("%.6g" % (0.5 + 119.5 * (k / 16) ** 2.3))
for k in range(1, 10): print("%.6g" % (0.5 + 119.5 * k / 10))' >"$out/readings"
mkfifo "$out/typed"
"$tool" --profile "$out/typed.json" "${size[@]}" --photometer manual <"$out/typed" >"$out/first.log" 2>&1 &
pid=$!
exec 3>"$out/typed"
head -n 5 "$out/readings" >&3
kept() { local n; n=$(grep -c '^reading' "$out/typed.journal" 2>/dev/null); echo "${n:-0}"; }
for _ in $(seq 100); do [ "$(kept)" -ge 5 ] && break; sleep 0.1; done
kill -9 $pid 2>/dev/null
wait $pid 2>/dev/null
exec 3>&-
[ "$(kept)" -eq 5 ] || fail "the journal holds $(kept) readings, expected 5"
tail -n +6 "$out/readings" | "$tool" --profile "$out/typed.json" "${size[@]}" --photometer manual >"$out/second.log" 2>&1 ||
  fail "resumed run: $(tail -n 1 "$out/second.log")"
grep -q "continuing at reading 6 of 26" "$out/second.log" || fail "no resumption at reading 6: $(head -n 3 "$out/second.log")"
grep -q "Reading 6 of 26, grey 0.3125" "$out/second.log" || fail "the resumed run did not ask for reading 6 first"
gamma=$(field "$out/typed.json" 'p["calibration"]["grey"]["power"]["gamma"]')
check "abs($gamma - 2.3) <= 0.01" "typed: gamma $gamma, expected 2.3"

# --- Faults stop the tool with one line and leave the profile as it was.
one_line() { [ "$(wc -l <"$1")" -eq 1 ] || fail "$2: expected one line, got: $(cat "$1")"; }
sed 's/"version": 1/"version": 7/' "$out/simulated.json" >"$out/newer.json"
cp "$out/newer.json" "$out/newer.before"
"$tool" --profile "$out/newer.json" --photometer simulated --settle-frames 2 >"$out/newer.log" 2>&1 &&
  fail "a profile of version 7 was taken"
one_line "$out/newer.log" "unknown version"
grep -q "newer.json: field version is 7" "$out/newer.log" || fail "unknown version: $(cat "$out/newer.log")"
cmp -s "$out/newer.json" "$out/newer.before" || fail "the profile of version 7 was changed"
cp "$out/simulated.json" "$out/simulated.before"
"$tool" --profile "$out/simulated.json" --photometer pr655:/dev/null --timeout-ms 300 >"$out/device.log" 2>&1 &&
  fail "a photometer on /dev/null was taken"
one_line "$out/device.log" "no photometer"
grep -q "/dev/null" "$out/device.log" || fail "no photometer: $(cat "$out/device.log")"
cmp -s "$out/simulated.json" "$out/simulated.before" || fail "a failed calibration changed the profile"

# A canvas refuses a profile made for another refresh rate (240 Hz simulated, 60 Hz now).
example="$(dirname "$tool")/calibrated_contrast"
env -u STIMORA_SIMULATED_REFRESH "$example" "$out/simulated.json" >"$out/example.log" 2>&1 &&
  fail "the example took a profile of another refresh rate"
grep -q "was made for 1024 x 768 at 240 Hz, but the canvas is 1024 x 768 at 60 Hz" "$out/example.log" ||
  fail "profile mismatch: $(cat "$out/example.log")"

"$tool" --help | grep -q -- "--photometer KIND" || fail "--help does not list --photometer"
[ $failures -eq 0 ] && echo "CalibrateCommandTest: all checks passed"
exit $((failures > 0))
