#!/bin/sh
# A start-up that fails (here: no render system, as with an empty plug-in
# list) is reported on the standard error and in the engine log, and the game
# ends with a failure code instead of aborting.
. "$(dirname "$0")/lib.sh"

printf 'PluginFolder=/nonexistent\n' > "$WORK/plugins.cfg"
set +e
(cd "$WORK" && timeout 120 "$BUILD/yvek" > game.out 2>&1)
code=$?
[ "$code" -ne 124 ] || fail "the game did not end within 120 s of a failed start-up"
set -e
[ "$code" -ne 0 ] || fail "exit code 0 after a failed start-up"
[ "$code" -lt 128 ] || fail "the game died of signal $((code - 128))"
grep -q "No supported render system available!" "$WORK/game.out" || fail "no message on the standard error"
grep -q "No supported render system available!" "$WORK/Ogre.log" || fail "no message in Ogre.log"
echo "ok"
