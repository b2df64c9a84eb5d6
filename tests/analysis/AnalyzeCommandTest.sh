#!/usr/bin/env bash
# stimora-analyze end to end: a simulated Constant run and a frame log to tables and figures in
# every format; refusals (existing output, malformed input) leave nothing behind.
# Usage: AnalyzeCommandTest.sh <stimora-analyze> <output folder>
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../app/lib.bash"
analyze=$1
out=$2/analyze-command
rm -rf "$out" && mkdir -p "$out" && cd "$out" || exit 1

# A two-alternative observer, Weibull thresholds 0.02 (0 deg) and 0.03 (90 deg), 40 trials a level.
awk 'BEGIN { srand(2); printf "Synthetic\r\nsimulated\r\nWavelength\t20;\t\r\nTRIAL#\tContrast\tOrientation\tResponse\tCorrect\t\r\n"
  split("0.005 0.01 0.02 0.04 0.08", c, " ")
  for (r = 0; r < 40; r++) for (i = 1; i <= 5; i++) for (o = 0; o <= 90; o += 90) {
    k = rand() < 0.5 + 0.5 * (1 - exp(-(c[i] / (o ? 0.03 : 0.02)) ^ 2.5)) ? 1 : 0
    printf "%d\t%g\t%d\t%d\t%d\t\r\n", ++n, c[i], o, 1 + k, k } }' >run.dat
printf 'index\tframes\tonset_ms\tinterval_ms\tmissed\r\n' >frames.tsv
awk 'BEGIN { t = 0; for (i = 0; i < 300; i++) { d = (i % 97 == 50) ? 33.3 : 16.7 + (i % 7 - 3) * 0.05
  t += i ? d : 0; printf "%d\t1\t%.4f\t%.4f\t%d\r\n", i, t, i ? d : 0, (d > 20) } }' >>frames.tsv
cp run.dat run.copy
head -n 104 run.dat >run.dat.partial # the journal of a run stopped after 100 trials

"$analyze" --by Orientation --log --bootstrap 200 --format png,pdf,svg run.dat frames.tsv run.dat.partial >written 2>err ||
  fail "exit $? ($(cat err))"
[ "$(wc -l <written)" -eq 14 ] || fail "names $(wc -l <written) files, expected 14: $(cat written)"
[ "$(sed -n '2,$p' run_partial_levels.tsv | awk -F'\t' '{ n += $3 } END { print n }')" = 100 ] || fail "journal trials"
while read -r f; do [ -s "$f" ] || fail "$f named but empty"; done <written
pngcheck -q run_psychometric.png frames_timing.png >/dev/null || fail "PNG files do not check"
[ "$(head -c 4 run_psychometric.pdf)" = "%PDF" ] && grep -q "<svg" run_psychometric.svg || fail "PDF or SVG"
cmp -s run.dat run.copy || fail "the input changed"
awk -F'\t' 'NR > 1 && $8 == 0.75 && $10 < $9 && $9 < $11 && $9 > 0.005 && $9 < 0.08 { n++ } END { exit n != 2 }' \
  run_fit.tsv || fail "two fits with thresholds inside their intervals: $(cat run_fit.tsv)"
[ "$(sed -n 2p frames_timing.tsv | cut -f1,2,3)" = $'300\t3\t3' ] || fail "timing summary $(cat frames_timing.tsv)"

# Data without a maximum-likelihood estimate: a step, all correct, all at chance. No interval, and
# the figure (SVG) has no curve: no path of more than 50 segments.
level() { for ((i = 0; i < 20; i++)); do printf '%d\t%s\t%d\t\r\n' $((++n)) "$1" $((i < $2)); done; }
for data in "step 10 20 20" "perfect 20 20 20" "chance 10 10 10"; do
  set -- $data; n=0
  { printf 'E\r\nnote\r\n\r\nTRIAL#\tContrast\tCorrect\t\r\n'; level 1 "$2"; level 2 "$3"; level 3 "$4"; } >"$1.dat"
  for model in logistic gaussian weibull; do
    "$analyze" --force --model $model --bootstrap 50 --format svg "$1.dat" >/dev/null 2>err || fail "$1 $model: $(cat err)"
    awk -F'\t' 'NR == 2 && $9 == "NA" && $10 == "NA" && $19 == "no" && $20 ~ /^no maximum-likelihood estimate/ { ok = 1 }
      END { exit !ok }' "$1_fit.tsv" || fail "$1 $model: $(sed -n 2p "$1_fit.tsv")"
    [ "$(grep -o 'd="[^"]*"' "$1_psychometric.svg" | awk '{ n = gsub(/ L /, "") } n > 50' | wc -l)" = 0 ] ||
      fail "$1 $model: a curve is drawn"
  done
done
grep -q "jumps from the guess rate to the top between intensities 1 and 2" step_fit.tsv &&
  grep -q "every answer is correct" perfect_fit.tsv && grep -q "no intensity rises above" chance_fit.tsv ||
  fail "reasons: $(cut -f20 step_fit.tsv perfect_fit.tsv chance_fit.tsv)"

# Input refused with the file and line: inf and hexadecimal intensities, a guess rate that is no
# number, a threshold proportion the function never reaches, --log below 0.
refused() { # expected message, then the command's arguments
  local expected=$1; shift
  "$analyze" --force "$@" >/dev/null 2>err && fail "accepted $*"
  grep -qF "$expected" err || fail "$*: $(cat err)"
}
sed '5s/\t1\t/\tinf\t/' step.dat >inf.dat && refused 'inf.dat:5: "inf" in column "Contrast" is not a number.' inf.dat
sed '6s/\t1\t/\t0x1\t/' step.dat >hex.dat && refused 'hex.dat:6: "0x1" in column' hex.dat
sed '3s/.*/Guess rate\thalf;\t\r/' step.dat >guess.dat && refused 'guess.dat:3: the fixed variable "Guess rate" is "half"' guess.dat
sed '3s/.*/Guess rate\t0.5;\t\r/' step.dat >rate.dat && refused 'rate.dat:3: --threshold-at 0.45 lies outside (0.5, 0.94)' --threshold-at 0.45 rate.dat
sed 's/^\([0-9]*\)\t1\t/\1\t-1\t/' step.dat >negative.dat && refused 'negative.dat: --log cannot draw the intensity -1' --log --model logistic negative.dat

# Interrupted during a slow bootstrap: the first input's outputs are written under temporary
# names by then; none is left behind.
mkdir signal && cp run.dat signal/a.dat && cp run.dat signal/b.dat
"$analyze" --by Orientation --bootstrap 1000000 signal/a.dat signal/b.dat >/dev/null 2>&1 &
for ((i = 0; i < 100; i++)); do compgen -G "signal/.*writing*" >/dev/null && break; sleep 0.1; done
kill -INT $!
wait $!
[ $? -eq 130 ] && [ "$(ls -A signal | tr '\n' ' ')" = "a.dat b.dat " ] || fail "after SIGINT: $(ls -A signal)"
cp "$out/run_psychometric.png" "$out/frames_timing.png" "$2/" 2>/dev/null

# Existing outputs are refused without --force, and nothing is written.
touch -d 2000-01-01 run_fit.tsv
"$analyze" --bootstrap 0 run.dat >/dev/null 2>err && fail "overwrote without --force"
grep -q 'run_levels.tsv" exists; --force overwrites it' err || fail "refusal: $(cat err)"
[ "$(stat -c %Y run_fit.tsv)" = "$(date -d 2000-01-01 +%s)" ] || fail "an output changed without --force"
"$analyze" --bootstrap 0 --force run.dat >/dev/null 2>err || fail "--force: $(cat err)"

# Malformed input: the message names the file and line; no output, no temporary file.
mkdir bad && sed '7s/0\.01/abc/' run.dat >bad/run.dat
"$analyze" bad/run.dat >/dev/null 2>err && fail "accepted a non-numeric intensity"
grep -qx 'stimora-analyze: bad/run.dat:7: "abc" in column "Contrast" is not a number.' err || fail "$(cat err)"
[ "$(ls -A bad)" = "run.dat" ] || fail "left behind: $(ls -A bad)"

# --help documents every option the command takes.
for option in $(grep -o '"--[a-z-]*"' "$(dirname "${BASH_SOURCE[0]}")/../../tools/stimora-analyze/main.cpp" | sort -u); do
  "$analyze" --help | grep -q -- "^  ${option//\"/} " || fail "--help does not document $option"
done
finish AnalyzeCommandTest
