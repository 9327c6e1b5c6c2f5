#!/bin/sh
# Configures and builds the game, its tests, benchmarks and tools with a
# preset of CMakePresets.json: "release" (the default, in ./build) or "ci"
# (the same build folder, warnings as errors: the test command's).
set -eu
cd "$(dirname "$0")/.."
PRESET=${1:-release}
JOBS=$(nproc 2>/dev/null || echo 2)
cmake --preset "$PRESET" >/dev/null
cmake --build --preset "$PRESET" -j "$JOBS"
