#!/bin/sh
# Installs what is missing, builds, and starts the game from its build folder.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build.sh
cd build
exec ./yvek
