#!/bin/sh
# The game opens its window and draws the GUI; a move and a click given in
# one command hit the button moved to, and what they change is drawn after
# idle frames that drew nothing. The credits panel opens framed, on a
# background of its own, above the menu and clear of the player and level
# panels, and closes again. Alt+F4 closes the window, and the game ends
# cleanly, saving the current player's record. It runs without
# "cursor.cur": the default pointer stays.
. "$(dirname "$0")/lib.sh"

rm "$WORK/cursor.cur"
# The credits panel spans 30 to 390 across and 40 to 280 down: where its
# first lines of text stand, a strip across its left frame, and a part of
# its inside right of its text and above its close button.
TEXT=160x80+40+50
FRAME=6x100+28+100
INSIDE=90x90+285+125

# The mean colour of a region of the last screenshot, from 0 to 1, and how
# far its pixels stray from it: "R G B DEVIATION".
region_colour() {
  convert "$WORK/shot.png" -crop "$1" +repage \
    -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b] %[fx:standard_deviation]' info:
}

# Whether the last screenshot shows the credits panel drawn whole: its frame
# gold, its inside the panel image's even dark blue (28, 36, 51 at nearly
# full cover), the stars behind it hidden.
credits_panel_drawn() {
  echo "$(region_colour $FRAME) $(region_colour $INSIDE)" | awk '{
    d = 0.02
    exit !($1 > 0.25 && $5 - 0.110 < d && 0.110 - $5 < d && $6 - 0.141 < d && 0.141 - $6 < d &&
           $7 - 0.200 < d && 0.200 - $7 < d && $8 < 0.005)
  }'
}

printf '<record player="tester">\n  <tester />\n</record>\n' > "$WORK/record.xml"
start_game
# (the GUI draws its pointer once the mouse moves away from the centre)
x xdotool mousemove --window "$WID" 300 200
wait_for_picture
cp "$WORK/shot.png" "$BUILD/rendered-start.png"
click 400 300                                          # the logos
x xdotool mousemove --window "$WID" 620 250            # the pointer out of the way
wait_for_still $TEXT
keep_region $TEXT
x xdotool mousemove --window "$WID" 240 405 click 1    # the studio button
x xdotool mousemove --window "$WID" 620 250
wait_for_region $TEXT changed "the move-and-click missed the studio button"
wait_for_still $INSIDE
cp "$WORK/shot.png" "$BUILD/rendered-credits.png"
credits_panel_drawn ||
  fail "the credits panel is not drawn on its own background: frame $(region_colour $FRAME), inside $(region_colour $INSIDE)"
x xdotool mousemove --window "$WID" 210 252 click 1    # the panel's close button
x xdotool mousemove --window "$WID" 620 250
wait_for_region $TEXT back "the credits panel did not close"

x xdotool key --window "$WID" alt+F4
wait_for_exit
grep -q "/\*\*\*装载完毕\*\*\*" "$WORK/game.out" || fail "start-up progress lines missing"
[ "$(wc -c < "$WORK/save/tester" 2>/dev/null)" = 216 ] || fail "closing did not save the current player's record"
grep -q "cursor file cursor.cur not loaded" "$WORK/game.out" || fail "no word of the missing cursor file"
echo "ok"
