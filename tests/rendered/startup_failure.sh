#!/bin/sh
# A start-up that fails (here: no render system, as with an empty plug-in
# list) is reported in a message box window, on the standard error and in the
# engine log, and once the box is closed the game ends with a failure code
# instead of aborting.
. "$(dirname "$0")/lib.sh"

printf 'PluginFolder=/nonexistent\n' > "$WORK/plugins.cfg"
(cd "$WORK" && exec "$BUILD/yvek" > game.out 2>&1) &
failing=$!
OTHER_PIDS=$failing
SHOTS=startup-failure
close_box $failing
wait_until 30 game_ended_pid $failing || fail "the game did not end within 30 s of its box closing"
wait $failing
code=$?
OTHER_PIDS=
[ "$code" -ne 0 ] || fail "exit code 0 after a failed start-up"
[ "$code" -lt 128 ] || fail "the game died of signal $((code - 128))"
grep -q "No supported render system available!" "$WORK/game.out" || fail "no message on the standard error"
grep -q "No supported render system available!" "$WORK/Ogre.log" || fail "no message in Ogre.log"
echo "ok"
