#!/bin/sh
# The full demo map's grass in the running game: the start view with the
# map's grass against the same view of a copy without it. The grass turns
# a share of the picture's pixels green, and nothing is written to
# "exception.log". The screenshots stay in the build folder.
. "$(dirname "$0")/lib.sh"

mkdir -p "$WORK/bare"
sed '/<Grass>/,/<\/Grass>/d' "$BUILD/maps/demo_full.map" > "$WORK/bare/bare_demo.map"
grep -q "<Grass>" "$BUILD/maps/demo_full.map" || fail "the demo map has no grass"
sed -i "s|^\[General\]|[General]\nFileSystem=$WORK/bare|" "$WORK/resources.cfg"

view_of() {
  printf '[system]\nvol=50\nmap=%s\nWater=0\n' "$1" > "$WORK/game.cfg"
  start_game
  wait_for_picture
  # A few more frames: the grass pages load in the frame step.
  sleep 4
  shoot "$WORK/$2.png" || fail "no screenshot"
  close_game
}
view_of demo_full.map grass
view_of bare_demo.map bare

# Pixels whose green changed clearly and that are green in the grassy view.
share=$(convert "$WORK/grass.png" "$WORK/bare.png" \
  -fx '(abs(u.g - v.g) > 0.06 && u.g > u.b && u.g >= u.r) ? 1 : 0' -format '%[fx:mean]' info:)
cp "$WORK/grass.png" "$BUILD/rendered-grass.png"
awk "BEGIN{exit !($share > 0.01)}" || fail "no grass in the picture (changed green share $share)"
[ -e "$WORK/exception.log" ] && fail "exception.log: $(cat "$WORK/exception.log")"
echo "ok (grass share $share)"
