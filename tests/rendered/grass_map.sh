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

# Whether a fresh screenshot shows the map (not uniform).
map_shown() {
  v=$(window_variation)
  awk "BEGIN{exit !($v > 0.05)}"
}

# Whether a fresh screenshot shows grass: pixels whose green changed clearly
# from the bare view and that are green in this one. The grass pages load in
# the frame step, a few frames after the level starts.
grass_shown() {
  shoot "$WORK/grass.png" || return 1
  share=$(convert "$WORK/grass.png" "$WORK/bare.png" \
    -fx '(abs(u.g - v.g) > 0.06 && u.g > u.b && u.g >= u.r) ? 1 : 0' -format '%[fx:mean]' info:)
  awk "BEGIN{exit !($share > 0.01)}"
}

start_demo_level() {
  make_player abc 1 500
  start_game
  wait_for_picture
  click 400 300                      # the logos
  start_level 1
}

# The bare copy first: its view once the map shows.
sed "s|FileSystem=$BUILD/maps\$|FileSystem=$WORK/bare|" "$WORK/resources.cfg" > "$WORK/resources-bare.cfg"
cp "$WORK/resources.cfg" "$WORK/resources-grass.cfg"
grep -q "FileSystem=$WORK/bare" "$WORK/resources-bare.cfg" || fail "the build's maps are not listed in resources.cfg"
cp "$WORK/resources-bare.cfg" "$WORK/resources.cfg"
start_demo_level
wait_until 60 map_shown || fail "the map did not show within 60 s (deviation $v)"
wait_for_log "Recruit panel open"
shoot "$WORK/bare.png" || fail "no screenshot"
close_game

cp "$WORK/resources-grass.cfg" "$WORK/resources.cfg"
start_demo_level
wait_until 60 grass_shown || fail "no grass in the picture within 60 s (changed green share $share)"
close_game
cp "$WORK/grass.png" "$BUILD/rendered-grass.png"
[ -e "$WORK/exception.log" ] && fail "exception.log: $(cat "$WORK/exception.log")"
echo "ok (grass share $share)"
