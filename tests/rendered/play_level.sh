#!/bin/sh
# A level played as a person would, with real X clicks and keys: a new
# player is made on the start screen, the first level is started, a unit is
# chosen in the recruit panel and placed in the lane of the wave's goblin,
# which it kills; its gold coin is picked up and the victory panel comes. The
# player's record then holds the gold and the next level, and "record.xml"
# names the player. A second run places nothing: the goblin reaches the
# defeat cells, the defeat panel comes, and nothing is paid. Screenshots of
# every step stay in the build folder (rendered-play-*.png).
#
# The level is the game's own first level shortened by the test's own level
# file: one goblin, and every coin is gold.
. "$(dirname "$0")/lib.sh"

mkdir -p "$WORK/main"
cp "$(dirname "$0")/../../data/main/"* "$WORK/main/"
iconv -f UTF-8 -t GBK > "$WORK/main/level_1.xml" <<'EOF'
<levels>
  <level id="demo_flat.map" money="1500" food="0" name="第一关 初战平原" music="level_music.wav"
         win="平原守住了！" defeat="平原失守了……" gold_rat="100" silver_rat="0">
    <des>测试用的短关卡。</des>
    <units/>
    <assaults>
      <assault time="1" recruit="1" stop="0" text="哥布林来了！" sound="hit.wav"
               x="48" y="48" width="0" height="0" t_x="2" t_y="0">
        <enemy id="goblin" num="1"/>
      </assault>
    </assaults>
  </level>
</levels>
EOF
sed -i "s|^FileSystem=.*/data/main\$|FileSystem=$WORK/main|" "$WORK/resources.cfg"

shot() {
  kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended"
  import -window "$WID" "$BUILD/rendered-play-$1.png" 2>/dev/null || fail "no screenshot $1"
}

# Whether a screenshot shows an end panel (dark blue, in the middle) over
# the brown ground.
panel_shown() {
  blue=$(convert "$BUILD/rendered-play-$1.png" -format '%[fx:p{400,230}.b - p{400,230}.r]' info:)
  awk "BEGIN{exit !($blue > 0)}"
}

# Waits until the game's log holds a text: up to two minutes, or the seconds
# given (game time runs slow under software rendering).
wait_for_log() {
  for _ in $(seq 1 $((2 * ${2:-120}))); do
    grep -q -- "$1" "$WORK/Ogre.log" 2>/dev/null && return 0
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended"
    sleep 0.5
  done
  fail "the log never held: $1"
}

# The screen row of each lane of the start view (x 400 is world x 41).
row_y() {
  case $1 in
    43) echo 170 ;; 45) echo 220 ;; 47) echo 272 ;; 49) echo 325 ;; 51) echo 385 ;; 53) echo 455 ;;
    *) fail "no lane $1" ;;
  esac
}

# Starts the game with a new player "abc" typed in, and the first level.
begin() {
  start_game
  wait_for_picture
  click 400 300                      # the logos
  click 546 449                      # the new player's name
  xdotool type --window "$WID" abc
  click 710 449                      # OK
  wait_for_text record.xml '<record player="abc">'
  shot "$1-start"
  start_level 0
  wait_for_text Ogre.log "Recruit panel open"
  sleep 1
  shot "$1-recruit"
  click 235 122                      # the first unit type of the panel: the swordsman
  click 540 510                      # OK
  sleep 1
  ROW=$(sed -n 's/.*Wave unit goblin of side 0 at [0-9]*, \([0-9]*\)$/\1/p' "$WORK/Ogre.log" | head -1)
  [ -n "$ROW" ] || fail "no goblin in the log"
}

# --- Victory.
begin win
Y=$(row_y "$ROW")
click 174 39                         # the swordsman in the bar
xdotool mousemove --window "$WID" 400 "$Y"
sleep 0.5
shot win-place
xdotool click --window "$WID" 1
wait_for_log "Placed swordsman at 41, $ROW"
# The goblin walks into the swordsman and dies; its coin lies where it fell,
# east of the swordsman in its lane. Sweep there until it is picked up.
for _ in $(seq 1 60); do
  grep -q "Collected gold" "$WORK/Ogre.log" && break
  for x in 400 425 450 475; do
    xdotool mousemove --window "$WID" $x "$Y"
    sleep 0.4
    xdotool click --window "$WID" 1
    grep -q "Collected gold" "$WORK/Ogre.log" && break
  done
done
grep -q "Collected gold" "$WORK/Ogre.log" || fail "no coin picked up"
shot win-coin
gold=$(sed -n 's/.*Collected gold \([0-9]*\)$/\1/p' "$WORK/Ogre.log" | head -1)
wait_for_log "Level 0 won, gold $gold"
sleep 1
shot win-panel
panel_shown win-coin && fail "a panel covers the battlefield before the end"
panel_shown win-panel || fail "no victory panel"
[ "$(read_record abc)" = "1 $((500 + gold))" ] || fail "the record holds $(read_record abc), not 1 $((500 + gold))"
close_game
grep -q '<record player="abc">' "$WORK/record.xml" || fail "record.xml does not name abc"
grep -q '<abc />' "$WORK/record.xml" || fail "record.xml does not list abc"

# --- Defeat: a new game folder state, nothing placed.
rm -rf "$WORK/save" "$WORK/record.xml" "$WORK/Ogre.log"
begin lose
wait_for_log "Level 0 lost" 400
sleep 1
shot lose-panel
panel_shown lose-panel || fail "no defeat panel"
close_game
[ "$(read_record abc)" = "0 500" ] || fail "a defeat changed the record: $(read_record abc)"
echo "ok"
