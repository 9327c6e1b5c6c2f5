#!/bin/sh
# Configures and builds the game, its tests and benchmarks in ./build.
set -eu
cd "$(dirname "$0")/.."
JOBS=$(nproc 2>/dev/null || echo 2)
# Ninja for a new build folder; an existing one keeps the generator it has.
GENERATOR=""
[ -f build/CMakeCache.txt ] || GENERATOR="-G Ninja"
cmake -S . -B build $GENERATOR -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$JOBS"
