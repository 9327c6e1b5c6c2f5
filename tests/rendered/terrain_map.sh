#!/bin/sh
# The full demo map in the running game, reached by starting the second level,
# in both water qualities: the picture shows terrain and statics (not
# uniform) and the pond's water (pixels clearly bluer than red). The
# screenshots stay in the build folder.
. "$(dirname "$0")/lib.sh"

# The share of the window's pixels whose blue exceeds their red by 5 %: the
# ground, the stone and the lantern's light are all redder than blue.
water_share() {
  convert "$WORK/shot.png" -fx '(b - r > 0.05) ? 1 : 0' -format '%[fx:mean]' info:
}

# Whether a fresh screenshot shows the map (not uniform) and its water; the
# refraction and the fading run in the frame step, a few frames after the
# level starts.
map_and_water_shown() {
  v=$(window_variation)
  share=$(water_share)
  awk "BEGIN{exit !($v > 0.05 && $share > 0.05)}"
}

for quality in 1 0; do
  printf '[system]\nvol=50\nWater=%s\n' "$quality" > "$WORK/game.cfg"
  make_player abc 1 500
  start_game
  wait_for_picture
  click 400 300                      # the logos
  start_level 1
  wait_until 60 map_and_water_shown ||
    fail "no map and water in the picture within 60 s (deviation $v, bluish share $share)"
  cp "$WORK/shot.png" "$BUILD/rendered-terrain-water$quality.png"
  close_game
  grep -q "Map demo_full" "$WORK/Ogre.log" && fail "the map logged problems: $(grep 'Map demo_full' "$WORK/Ogre.log")"
done
echo "ok"
