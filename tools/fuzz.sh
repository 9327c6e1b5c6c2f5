#!/bin/sh
# Builds the fuzz targets with clang and runs each for a while (seconds,
# default 30) on its seed corpus. Any crash fails the run.
set -eu
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-30}
JOBS=$(nproc 2>/dev/null || echo 2)
cmake -S fuzz -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$JOBS"
(cd build-fuzz && FUZZ_SECONDS=$SECONDS_EACH ctest --output-on-failure -j "$JOBS")
