#!/bin/sh
# The full demo map's grass in the running game, reached by starting the
# second level: its start view with the map's grass against the same view of
# a copy without it, found first by the same name. The grass turns
# a share of the picture's pixels green, and nothing is written to
# "exception.log". The screenshots stay in the build folder.
. "$(dirname "$0")/lib.sh"

mkdir -p "$WORK/bare"
cp "$BUILD"/maps/demo_full* "$WORK/bare/"
sed '/<Grass>/,/<\/Grass>/d' "$BUILD/maps/demo_full.map" > "$WORK/bare/demo_full.map"
grep -q "<Grass>" "$BUILD/maps/demo_full.map" || fail "the demo map has no grass"
printf '[system]\nvol=50\nWater=0\n' > "$WORK/game.cfg"

view_of() {
  make_player abc 1 500
  start_game
  wait_for_picture
  click 400 300                      # the logos
  start_level 1
  # A few more frames: the grass pages load in the frame step.
  sleep 4
  shoot "$WORK/$1.png" || fail "no screenshot"
  close_game
}
view_of grass
sed -i "s|FileSystem=$BUILD/maps\$|FileSystem=$WORK/bare|" "$WORK/resources.cfg"
grep -q "FileSystem=$WORK/bare" "$WORK/resources.cfg" || fail "the build's maps are not listed in resources.cfg"
view_of bare

# Pixels whose green changed clearly and that are green in the grassy view.
share=$(convert "$WORK/grass.png" "$WORK/bare.png" \
  -fx '(abs(u.g - v.g) > 0.06 && u.g > u.b && u.g >= u.r) ? 1 : 0' -format '%[fx:mean]' info:)
cp "$WORK/grass.png" "$BUILD/rendered-grass.png"
awk "BEGIN{exit !($share > 0.01)}" || fail "no grass in the picture (changed green share $share)"
[ -e "$WORK/exception.log" ] && fail "exception.log: $(cat "$WORK/exception.log")"
echo "ok (grass share $share)"
