#!/bin/sh
# The game opens its window, draws the GUI, takes a click and a key, and ends
# cleanly when its window closes, saving the current player's record. It
# runs without "cursor.cur": the default pointer stays.
. "$(dirname "$0")/lib.sh"

rm "$WORK/cursor.cur"

printf '<record player="tester">\n  <tester />\n</record>\n' > "$WORK/record.xml"
start_game
# (the GUI draws its pointer once the mouse moves away from the centre)
xdotool mousemove --window "$WID" 300 200
wait_for_picture
cp "$WORK/shot.png" "$BUILD/rendered-start.png"
xdotool mousemove --window "$WID" 420 310 click 1
xdotool key --window "$WID" a
close_game
grep -q "/\*\*\*装载完毕\*\*\*" "$WORK/game.out" || fail "start-up progress lines missing"
[ "$(wc -c < "$WORK/save/tester" 2>/dev/null)" = 216 ] || fail "closing did not save the current player's record"
grep -q "cursor file cursor.cur not loaded" "$WORK/game.out" || fail "no word of the missing cursor file"
echo "ok"
