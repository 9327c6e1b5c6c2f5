#!/bin/sh
# Installs what is missing, builds, and runs every test: the unit and engine
# tests, the rendered tests (each on a virtual X server of its own), the unit
# and engine tests once more under the sanitizers, and short fuzz runs.
# With TEST_TIMES set to a file, each step appends "step seconds" to it.
set -eu
cd "$(dirname "$0")/.."
JOBS=$(nproc 2>/dev/null || echo 2)

step() {
  name=$1
  shift
  start=$(date +%s)
  "$@"
  [ -z "${TEST_TIMES:-}" ] || echo "$name $(( $(date +%s) - start ))" >> "$TEST_TIMES"
}

# No sound hardware here: OpenAL Soft's null device.
export ALSOFT_DRIVERS=${ALSOFT_DRIVERS:-null}

step install tools/install-deps.sh
step build tools/build.sh ci
step tests ctest --preset ci -j "$JOBS"
step sanitize-build tools/sanitize.sh build
step sanitize-tests tools/sanitize.sh test
step sanitize-play tools/sanitize.sh play
step fuzz-build tools/fuzz.sh "${FUZZ_SECONDS:-30}" build
step fuzz-runs tools/fuzz.sh "${FUZZ_SECONDS:-30}" run
