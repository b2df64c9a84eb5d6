# Shared by the program tests (sourced, not run: CTest runs only the *.sh files here).
# A test records failures with fail, waits for its program with wait_exit and ends with
# finish, which prints the summary and gives the script's exit code.

failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
wait_exit() { # pid seconds -> exit code, or 124 after killing it
  local pid=$1 limit=$2 i
  for ((i = 0; i < limit * 10; i++)); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return 124
}
answer_until_exit() { # pid: answers V and H in turn until the program ends (at most 150 keys)
  local i
  for ((i = 0; i < 150 && $(kill -0 "$1" 2>/dev/null && echo 1 || echo 0); i++)); do
    if ((i % 2)); then xdotool key h; else xdotool key v; fi
    sleep 0.4
  done
}
analyze() { # build-folder file [options]: stimora-analyze on a file an example wrote; the tables
  # and figures stay beside it in the test output
  local build=$1 written f
  shift
  written=$("$build/stimora-analyze" --bootstrap 200 "$@" 2>"$build/analyze.err") ||
    { fail "stimora-analyze $*: $(cat "$build/analyze.err")"; return; }
  for f in $written; do [ -s "$f" ] || fail "stimora-analyze named $f but it is empty"; done
  grep -q '\.png$' <<<"$written" || fail "stimora-analyze $*: no figure"
}
finish() { # test name
  if [ $failures -eq 0 ]; then
    echo "$1: all checks passed"
    exit 0
  fi
  exit 1
}
