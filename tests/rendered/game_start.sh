#!/bin/sh
# The game opens its window, draws the GUI, takes a click and a key, and ends
# cleanly when its window closes.
. "$(dirname "$0")/lib.sh"

start_game
# (the GUI draws its pointer once the mouse moves away from the centre)
xdotool mousemove --window "$WID" 300 200
wait_for_picture
cp "$WORK/shot.png" "$BUILD/rendered-start.png"
xdotool mousemove --window "$WID" 420 310 click 1
xdotool key --window "$WID" a
close_game
grep -q "/\*\*\*装载完毕\*\*\*" "$WORK/game.out" || fail "start-up progress lines missing"
echo "ok"
