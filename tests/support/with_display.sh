#!/bin/sh
# Runs a command on an X server of its own (a new Xvfb on a free display
# number), so that tests that draw can run side by side. Without Xvfb the
# command runs on the display of the caller; with neither, the test is
# skipped (exit code 77).
if ! command -v Xvfb >/dev/null 2>&1; then
  [ -n "${DISPLAY:-}" ] || { echo "no display: skipped"; exit 77; }
  exec "$@"
fi
fifo=$(mktemp -u)
mkfifo "$fifo"
# -displayfd: the server picks a free display and writes its number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r number < "$fifo"
rm -f "$fifo"
if [ -z "$number" ]; then
  echo "Xvfb did not start"
  exit 1
fi
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null' EXIT
trap 'exit 143' TERM INT
export DISPLAY=":$number"
"$@"
