#!/bin/sh
# The map editing tool edits the full demo map and the game loads the result
# (the second level is played on it):
# the example strokes paint the ground of the start view red, so a large part
# of the picture is clearly redder than green where the unedited map shows
# hardly any such pixel. The screenshots stay in the build folder.
. "$(dirname "$0")/lib.sh"
STROKES=$(cd "$(dirname "$0")/../../tools/mapedit" && pwd)/demo.strokes

# Sets SHARE to the share of a fresh screenshot's pixels whose red is more
# than twice their green, and succeeds when the picture shows the map (not
# uniform) with a share above the one given.
red_share_above() {
  v=$(window_variation)
  SHARE=$(convert "$WORK/shot.png" -fx '(r > 2 * g && r > 0.1) ? 1 : 0' -format '%[fx:mean]' info:)
  awk "BEGIN{exit !($v > 0.05 && $SHARE > $1)}"
}

# Starts the second level on the demo map and waits until its picture shows
# the map with a red share above the one given; SHARE is then that share.
show_map() {
  make_player abc 1 500
  start_game
  wait_for_picture
  click 400 300                      # the logos
  start_level 1
  wait_for_log "Recruit panel open"
  wait_until 60 red_share_above "$2" || fail "the $1 map did not show as expected within 60 s (red share $SHARE)"
  cp "$WORK/shot.png" "$BUILD/rendered-map-editor-$1.png"
  close_game
  grep -q "Map demo_full" "$WORK/Ogre.log" && fail "the map logged problems: $(grep 'Map demo_full' "$WORK/Ogre.log")"
  return 0
}

show_map original -1
before=$SHARE

# The tool edits a copy of the map in place; the game then finds the copy.
mkdir "$WORK/maps"
cp "$BUILD"/maps/demo_full* "$WORK/maps/"
cp "$BUILD/editconfig.xml" "$WORK/"
(cd "$WORK" && "$BUILD/mapedit" maps/demo_full.map "$STROKES" maps > mapedit.out 2>&1) ||
  fail "mapedit failed: $(cat "$WORK/mapedit.out")"
grep -q "maps/demo_full.map written" "$WORK/mapedit.out" || fail "mapedit said: $(cat "$WORK/mapedit.out")"
sed -i "s|FileSystem=$BUILD/maps\$|FileSystem=$WORK/maps|" "$WORK/resources.cfg"
grep -q "FileSystem=$WORK/maps" "$WORK/resources.cfg" || fail "the build's maps are not listed in resources.cfg"

show_map edited "$(awk "BEGIN{print $before + 0.2}")"
after=$SHARE
echo "ok (red share $before before, $after after)"
