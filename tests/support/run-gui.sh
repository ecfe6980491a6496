#!/usr/bin/env bash
# Runs a GUI test executable on the current display, or under Xvfb when there is none.
if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
exec xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" "$@"
