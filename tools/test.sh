#!/bin/sh
# Installs what is missing, builds, and runs every test: the unit and engine
# tests, the rendered tests under a virtual X server, the unit and engine
# tests once more under the sanitizers, and short fuzz runs.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
JOBS=$(nproc 2>/dev/null || echo 2)

# No sound hardware here: OpenAL Soft's null device.
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}

# Rendered tests need a display; start a virtual one when there is none.
if [ -z "${DISPLAY:-}" ]; then
  for n in 99 98 97 96 95; do
    [ -e /tmp/.X11-unix/X$n ] && continue
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    trap 'kill $XVFB_PID 2>/dev/null || true' EXIT
    export DISPLAY=:$n
    for _ in 1 2 3 4 5 6 7 8 9 10; do
      [ -e /tmp/.X11-unix/X$n ] && break
      sleep 0.5
    done
    break
  done
fi

(cd build && ctest --output-on-failure -j "$JOBS")

tools/sanitize.sh

tools/fuzz.sh "${FUZZ_SECONDS:-30}"
