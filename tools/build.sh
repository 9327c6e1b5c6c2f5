#!/bin/sh
# Configures and builds the game, its tests and benchmarks in ./build.
set -eu
cd "$(dirname "$0")/.."
JOBS=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$JOBS"
