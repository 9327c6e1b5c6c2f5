#!/bin/sh
# The game opens its window and draws the GUI; a move and a click given in
# one command hit the button moved to, and what they change is drawn after
# idle frames that drew nothing; Alt+F4 closes the window, and the game ends
# cleanly, saving the current player's record. It runs without "cursor.cur":
# the default pointer stays.
. "$(dirname "$0")/lib.sh"

rm "$WORK/cursor.cur"
# Left of the player panel, where the credits panel opens right of the menu.
CREDITS=60x200+345+200

printf '<record player="tester">\n  <tester />\n</record>\n' > "$WORK/record.xml"
start_game
# (the GUI draws its pointer once the mouse moves away from the centre)
x xdotool mousemove --window "$WID" 300 200
wait_for_picture
cp "$WORK/shot.png" "$BUILD/rendered-start.png"
click 400 300                                          # the logos
x xdotool mousemove --window "$WID" 100 100            # the pointer out of the way
wait_for_still $CREDITS
keep_region $CREDITS
x xdotool mousemove --window "$WID" 240 405 click 1    # the studio button
wait_for_region $CREDITS changed "the move-and-click missed the studio button"
cp "$WORK/shot.png" "$BUILD/rendered-credits.png"
x xdotool mousemove --window "$WID" 540 390 click 1    # the panel's close button
x xdotool mousemove --window "$WID" 100 100
wait_for_region $CREDITS back "the credits panel did not close"

x xdotool key --window "$WID" alt+F4
wait_for_exit
grep -q "/\*\*\*装载完毕\*\*\*" "$WORK/game.out" || fail "start-up progress lines missing"
[ "$(wc -c < "$WORK/save/tester" 2>/dev/null)" = 216 ] || fail "closing did not save the current player's record"
grep -q "cursor file cursor.cur not loaded" "$WORK/game.out" || fail "no word of the missing cursor file"
echo "ok"
