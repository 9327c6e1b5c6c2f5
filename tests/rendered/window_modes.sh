#!/bin/sh
# "full"=1 in game.cfg: the game starts filling the screen (Xvfb has no
# window manager: the whole 1024 x 768 screen), the GUI takes the window's
# size, and the pointer maps 1:1 onto it: a click on the studio button where
# the wider layout puts it opens the credits panel.
. "$(dirname "$0")/lib.sh"

printf '[system]\nvol=50\nfull=1\n' > "$WORK/game.cfg"
start_game
fills_screen() {
  x xdotool getwindowgeometry "$WID" | grep -q "Geometry: 1024x768"
}
wait_until 30 fills_screen || fail "the window does not fill the screen within 30 s"
x xdotool mousemove --window "$WID" 100 100
wait_for_picture
click 512 384                                          # the logos
# The credits panel's left part, clear of the player panel.
CREDITS=100x200+415+200
x xdotool mousemove --window "$WID" 100 100
wait_for_still $CREDITS
keep_region $CREDITS
click 307 405                                          # the studio button: 0.3 of the width, less 80
wait_for_region $CREDITS changed "the click did not reach the studio button"
cp "$WORK/shot.png" "$BUILD/rendered-full.png"
close_game
echo "ok"
