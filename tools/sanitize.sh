#!/bin/sh
# Builds the game and its test programs with GCC's AddressSanitizer and
# UndefinedBehaviorSanitizer in ./build-sanitize, runs the unit and headless
# engine tests there (the rendered tests run in the normal build), and plays
# the shipped first level with the sanitized game, leak checks on, on the
# normal build's data (tools/build.sh first). The first finding ends the test
# it is in, and the run fails. An argument "build", "test" or "play" does only
# that part.
set -eu
cd "$(dirname "$0")/.."
WHAT=${1:-all}
JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}

# alloc_dealloc_mismatch=0: the engine's own image codec allocates image data
# with malloc and frees it with delete[]; that mismatch is the engine's, and
# turning the check off is the only exception we make.
export ASAN_OPTIONS=alloc_dealloc_mismatch=0:halt_on_error=1:detect_leaks=1
# ubsan.supp and lsan.supp hold the suppressions, each with its reason: all
# are the libraries' own.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:suppressions=$(pwd)/tools/ubsan.supp
export LSAN_OPTIONS=suppressions=$(pwd)/tools/lsan.supp

# The preset "sanitize" (CMakePresets.json) builds at -O1 -g1: sanitized code
# at -O0 makes the engine tests several times slower, and line tables are
# all the sanitizers' reports need. It builds the game and the test programs
# with the content they read; the tools and the rendered tests' own programs
# are not run here.
if [ "$WHAT" = all ] || [ "$WHAT" = build ]; then
  cmake --preset sanitize >/dev/null
  cmake --build --preset sanitize -j "$JOBS"
fi
if [ "$WHAT" = all ] || [ "$WHAT" = test ]; then
  ctest --preset sanitize -j "$JOBS"
fi
if [ "$WHAT" = all ] || [ "$WHAT" = play ]; then
  [ -x build/yvek ] || { echo "build/ has no game: run tools/build.sh first"; exit 1; }
  # Mesa's libraries stay loaded to the end: the engine unloads them with its
  # render system, and the blocks they keep would show as leaks of no module
  # (see lsan.supp). The sanitizer's runtime comes first, as it must.
  # The sanitized game runs several times slower: the script's deadline is
  # longer than under ctest.
  SCRIPT_SECONDS=900 GAME=$(pwd)/build-sanitize/yvek \
  GAME_PRELOAD="$(gcc -print-file-name=libasan.so) libglapi.so.0 libGLX_mesa.so.0 /usr/lib/x86_64-linux-gnu/dri/swrast_dri.so" \
    sh tests/support/with_display.sh sh tests/rendered/play_level.sh build
fi
