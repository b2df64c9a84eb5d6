#!/usr/bin/env bash
# Without a display the program cannot open its canvas: the entry point reports the failure in
# one notification (on standard error where no box can be shown) and exits with code 0,
# never hanging on an invisible surface. Usage: NoDisplayTest.sh <folder of movingbars> <build folder>
set -uo pipefail
program="$1/movingbars"
errors=$(env -u DISPLAY -u WAYLAND_DISPLAY STIMORA_NO_MESSAGE_BOX=1 timeout 30 "$program" 2>&1 >/dev/null)
code=$?
expected="Stimora Notification: class Stimora::APICanvasProperties [API ERROR] Failed to regist main window."
failures=0
[ $code -eq 0 ] || { echo "FAIL: exit code $code, expected 0"; failures=1; }
[ "$(grep -c -F "$expected" <<<"$errors")" -eq 1 ] || {
  echo "FAIL: expected one notification \"$expected\", got:"
  echo "$errors"
  failures=1
}
[ $failures -eq 0 ] && echo "NoDisplayTest: all checks passed"
exit $failures
