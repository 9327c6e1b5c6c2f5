#!/bin/sh
# A level whose map is missing once started anyway, on a black field where
# nothing could be placed and that never ended. It does not start: the log
# says why, the start screen shows a notice naming the map, a click on the
# notice takes it away, and the game goes on.
. "$(dirname "$0")/lib.sh"

# The shipped levels with the first one's map renamed to one that is not there.
cp -r "$(sed -n 's|^FileSystem=\(.*/data/main\)$|\1|p' "$WORK/resources.cfg")" "$WORK/main"
sed -i '0,/id="demo_flat.map"/s//id="no_such_map.map"/' "$WORK/main/level_1.xml"
sed -i "s|^FileSystem=.*/data/main$|FileSystem=$WORK/main|" "$WORK/resources.cfg"
NOTICE=480x96+160+252
SHOTS=missing-map

make_player abc 0 500
start_game
wait_for_picture
click 400 300                        # the logos
x xdotool mousemove --window "$WID" 700 550
wait_for_still $NOTICE
keep_region $NOTICE
start_level 0
wait_for_log "Map no_such_map.map: not found" 60
wait_for_log "Level 0 not started: its map no_such_map.map cannot be loaded" 60
x xdotool mousemove --window "$WID" 700 550
wait_for_region $NOTICE changed "no notice on the start screen"
shot notice
click 400 300                        # the notice
x xdotool mousemove --window "$WID" 700 550
wait_for_region $NOTICE back "the notice stayed after a click on it"
close_game
echo "ok"
