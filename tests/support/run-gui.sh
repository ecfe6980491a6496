#!/usr/bin/env bash
# Runs a GUI test executable on an X server of its own (Xvfb), so that GUI tests
# can run side by side; VELDRIX_TEST_DISPLAY names a display to use instead (a
# desktop, to watch them: run them one at a time then).
if [ -n "${VELDRIX_TEST_DISPLAY:-}" ]; then
  DISPLAY="$VELDRIX_TEST_DISPLAY" exec "$@"
fi
folder="$(mktemp -d)"
# The server picks a free display itself and writes its number to fd 3, so servers
# started at the same time never race for one.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$folder/display" 2>"$folder/server.log" &
server=$!
stop() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -rf "$folder"
}
trap stop EXIT
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
DISPLAY=":$(head -n 1 "$folder/display")" "$@"
