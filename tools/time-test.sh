#!/bin/sh
# Times the test command step by step on a fresh clone of this checkout's
# committed work (packages already installed): one line per step, wall
# seconds. Run it as CI would on a small machine, e.g.
#   taskset -c 0,1 tools/time-test.sh
# The clone is left in the temporary folder it names, for a look at its logs.
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
dir=$(mktemp -d /tmp/yvek-time-test.XXXXXX)
git clone -q "$src" "$dir/yvek"
times="$dir/times"
: > "$times"
start=$(date +%s)
status=0
TEST_TIMES="$times" "$dir/yvek/tools/test.sh" > "$dir/test.log" 2>&1 || status=$?
total=$(( $(date +%s) - start ))
echo "cores: $(nproc)"
awk '{ printf "%-15s %5d s  %5.1f min\n", $1, $2, $2 / 60 }' "$times"
printf '%-15s %5d s  %5.1f min\n' total "$total" "$(echo "$total / 60" | bc -l)"
[ "$status" -eq 0 ] || echo "the test command failed (exit code $status): see $dir/test.log"
echo "clone and log: $dir"
exit "$status"
