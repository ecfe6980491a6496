#!/usr/bin/env bash
# Runs a GUI test executable on an X server of its own (Xvfb), so that GUI tests
# can run side by side; VELDRIX_TEST_DISPLAY names a display to use instead (a
# desktop, to watch them: run them one at a time then). VELDRIX_TEST_WM names a
# window manager (openbox) to run on the test's server first, for the tests about
# where windows are placed: without one a window stays where the program put it.
# VELDRIX_TEST_CASES_APART runs each test case in a process of its own, for tests
# about the first window a process shows.
run_test() {
  if [ -z "${VELDRIX_TEST_CASES_APART:-}" ]; then
    "$@"
    return
  fi
  local cases status=0
  cases="$("$@" --gtest_list_tests | awk '/^[^ ]/ { group = $1 } /^  / { print group $1 }')" || return 1
  [ -n "$cases" ] || return 1
  for name in $cases; do
    "$@" --gtest_filter="$name" || status=1
  done
  return "$status"
}
folder="$(mktemp -d)"
server=""
manager=""
# Asked to end, a process that has not within two seconds is killed: Xvfb can miss
# the wake-up of a SIGTERM and sleep on, which would hold the test until ctest's
# time-out although it has ended.
end_process() {
  kill "$1" 2>/dev/null
  for _ in $(seq 40); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.05
  done
  kill -KILL "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}
stop() {
  if [ -n "$manager" ]; then end_process "$manager"; fi
  if [ -n "$server" ]; then end_process "$server"; fi
  rm -rf "$folder"
}
trap stop EXIT
# The program log and configuration of a test that does not isolate its folders
# go here, never into the user's own.
export XDG_DATA_HOME="$folder/data" XDG_CONFIG_HOME="$folder/config"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
if [ -n "${VELDRIX_TEST_DISPLAY:-}" ]; then
  export DISPLAY="$VELDRIX_TEST_DISPLAY"
  run_test "$@"
  exit
fi
# The server picks a free display itself and writes its number to fd 3, so servers
# started at the same time never race for one. Without -noreset the server resets
# when its last client leaves and drops every connection still being set up: the
# manager, connecting while a probe of the screen closes, would be turned away.
Xvfb -displayfd 3 -screen 0 "${VELDRIX_TEST_SCREEN:-1920x1080}x24" -nolisten tcp -noreset 3>"$folder/display" 2>"$folder/server.log" &
server=$!
for _ in $(seq 300); do
  [ -s "$folder/display" ] && break
  if ! kill -0 "$server" 2>/dev/null; then
    cat "$folder/server.log" >&2
    exit 1
  fi
  sleep 0.05
done
if [ ! -s "$folder/display" ]; then
  echo "Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$(head -n 1 "$folder/display")"
if [ -n "${VELDRIX_TEST_WM:-}" ]; then
  # The manager has taken the screen once the root window names its check window;
  # a window mapped before that would be placed by nobody. A manager that gives up
  # before that is started again, on a machine busy with other starts too.
  managed() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
  for _ in 1 2 3; do
    "$VELDRIX_TEST_WM" >>"$folder/manager.log" 2>&1 &
    manager=$!
    for _ in $(seq 200); do
      managed && break
      kill -0 "$manager" 2>/dev/null || break
      sleep 0.05
    done
    managed && break
    end_process "$manager"
    manager=""
  done
  if ! managed; then
    echo "$VELDRIX_TEST_WM did not take the screen" >&2
    cat "$folder/manager.log" >&2
    exit 1
  fi
fi
run_test "$@"
