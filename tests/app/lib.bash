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
finish() { # test name
  if [ $failures -eq 0 ]; then
    echo "$1: all checks passed"
    exit 0
  fi
  exit 1
}
