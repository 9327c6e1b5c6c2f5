#!/bin/sh
# Builds the fuzz targets with clang and runs each for a while (seconds,
# default 30) on its seed corpus. Any crash fails the run. A second argument
# "build" or "run" does only that half.
set -eu
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-30}
WHAT=${2:-all}
JOBS=$(nproc 2>/dev/null || echo 2)
if [ "$WHAT" != run ]; then
  GENERATOR=""
  [ -f build-fuzz/CMakeCache.txt ] || GENERATOR="-G Ninja"
  cmake -S fuzz -B build-fuzz $GENERATOR -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build-fuzz -j "$JOBS"
fi
if [ "$WHAT" != build ]; then
  (cd build-fuzz && FUZZ_SECONDS=$SECONDS_EACH ctest --output-on-failure -j "$JOBS")
fi
