#!/bin/sh
# Builds the game's test programs with GCC's AddressSanitizer and
# UndefinedBehaviorSanitizer in ./build-sanitize and runs the unit and
# headless engine tests there (the rendered tests run in the normal build).
# The first finding ends the test it is in, and the run fails. An argument
# "build" or "test" does only that half.
set -eu
cd "$(dirname "$0")/.."
WHAT=${1:-all}
JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}
SANITIZE="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"

# alloc_dealloc_mismatch=0: the engine's own image codec allocates image data
# with malloc and frees it with delete[]; that mismatch is the engine's, and
# turning the check off is the only exception we make.
export ASAN_OPTIONS=alloc_dealloc_mismatch=0:halt_on_error=1:detect_leaks=1
# ubsan.supp holds the one suppression, with its reason.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:suppressions=$(pwd)/tools/ubsan.supp

if [ "$WHAT" != test ]; then
  # -O1: sanitized code at -O0 makes the engine tests several times slower.
  # -g1: line tables are all the sanitizers' reports need, at a fraction of
  # the compile time of full debug information.
  GENERATOR=""
  [ -f build-sanitize/CMakeCache.txt ] || GENERATOR="-G Ninja"
  cmake -S . -B build-sanitize $GENERATOR -DCMAKE_BUILD_TYPE=Debug -DYVEK_BENCH=OFF \
    -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ \
    -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DCMAKE_CXX_FLAGS="$SANITIZE" -DCMAKE_EXE_LINKER_FLAGS="$SANITIZE" >/dev/null
  # The test programs and the content they read; the game, the tools and the
  # rendered tests' programs are not run here.
  cmake --build build-sanitize -j "$JOBS" --target test_programs
fi
if [ "$WHAT" != build ]; then
  ctest --test-dir build-sanitize --output-on-failure -j "$JOBS" -E '^rendered\.'
fi
