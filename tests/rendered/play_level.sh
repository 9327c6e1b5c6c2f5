#!/bin/sh
# The game's own first level played as a new player would, with real X clicks
# and keys: a player is made on the start screen and starts the first level.
# The first try places nothing: the goblins reach the stone cells at the left
# of the view, the defeat panel comes and nothing is paid. The defeat panel's
# OK starts the second try, in which a swordsman is put into every lane an
# enemy walks in (two for the brute), then a second and a third one into
# every lane (the slow sanitized game must not lose it either): the level is
# won, the player's record
# holds the gold and the next level, and "record.xml" names the player.
# Screenshots of the steps stay in the build folder (rendered-play-*.png).
. "$(dirname "$0")/lib.sh"

SHOTS=play

# Whether a screenshot shows an end panel (dark blue, in the middle) over
# the brown ground.
panel_shown() {
  blue=$(convert "$BUILD/rendered-play-$1.png" -format '%[fx:p{400,230}.b - p{400,230}.r]' info:)
  awk "BEGIN{exit !($blue > 0)}"
}

# Whether a fresh screenshot, kept as NAME, shows the end panel.
shows_panel() {
  shot "$1"
  panel_shown "$1"
}

# Waits up to 60 s until a screenshot shows the end panel.
wait_for_panel() {
  wait_until 60 shows_panel "$1" || fail "no end panel in $1 within 60 s"
}

# The window row of the middle of each lane in the start view.
row_y() {
  case $1 in
    43) echo 172 ;; 45) echo 220 ;; 47) echo 272 ;; 49) echo 329 ;; 51) echo 392 ;; 53) echo 461 ;;
    *) fail "no lane $1" ;;
  esac
}

# The swordsmen placed in a lane in the current try.
placed_in() {
  log_since | grep -c "Placed swordsman at [0-9]*, $1\$"
}

# Whether the game has logged one more placement in a lane than BEFORE.
placed_more() {
  [ "$(placed_in "$1")" -gt "$2" ]
}

# Puts a swordsman into lane Z at window column X (240 is world x 37, 300 is
# 39): the bar icon, the point, a click, in one go. Clicks while the icon
# cools down do nothing, so it tries again until the game logs the placement
# or the level is won, every other time at column X2 when given (a unit may
# stand at X by then); for up to 90 s.
place() {
  y=$(row_y "$2")
  before=$(placed_in "$2")
  column=$1
  until_placed=$(( $(date +%s) + 90 ))
  while [ "$(date +%s)" -lt "$until_placed" ]; do
    in_time "placing a swordsman in lane $2"
    x xdotool mousemove --window "$WID" 174 39 click --window "$WID" 1 \
      mousemove --window "$WID" "$column" "$y" click --window "$WID" 1
    wait_until 1 placed_more "$2" "$before" && return 0
    log_holds "Level 0 lost" && fail "lost while placing in lane $2"
    log_holds "Level 0 won" && return 0
    [ -n "${3:-}" ] && { [ "$column" = "$1" ] && column=$3 || column=$1; }
  done
  fail "no swordsman placed in lane $2 within 90 s"
}

# From the recruit panel of a try: the swordsman, then OK.
recruit() {
  wait_for_log "Recruit panel open"
  shot "$1-recruit"
  click 235 158                      # the first unit type of the panel: the swordsman
  click 540 546                      # OK
}

# --- A new player starts the first level.
start_game
wait_for_picture
click 400 300                        # the logos
click 546 449                        # the new player's name
xdotool type --window "$WID" abc
click 710 449                        # OK
wait_for_text record.xml '<record player="abc">'
shot start
start_level 0

# --- First try: nothing placed, the level is lost and nothing is paid.
recruit lose
wait_for_log "Level 0 lost"
wait_for_panel lose-panel
# The record is written at a victory or at the end: a defeat leaves it be.
[ ! -e "$WORK/save/abc" ] || [ "$(read_record abc)" = "0 500" ] || fail "a defeat changed the record: $(read_record abc)"

# --- Second try: a swordsman at once in every lane an enemy walks in, two
# where a brute walks, and meanwhile up to three in each lane the waves
# use (the sixth lane is taken only by a wave of six), until the level is won.
LOG_FROM=$(wc -l < "$WORK/Ogre.log")
click 330 380                        # the defeat panel's OK: the level again
recruit win
handled=0
while ! log_holds "Level 0 won"; do
  alive
  in_time "the second try, not yet won"
  log_holds "Level 0 lost" && fail "the second try was lost"
  enemy=$(log_since | sed -n 's/.*Wave unit \([a-z_]*\) of side 0 at [0-9]*, \([0-9]*\)$/\1 \2/p' |
    sed -n "$((handled + 1))p")
  if [ -n "$enemy" ]; then
    handled=$((handled + 1))
    lane=${enemy#* }
    [ "$(placed_in "$lane")" -ge 1 ] || place 240 "$lane"
    [ "${enemy% *}" = brute ] && [ "$(placed_in "$lane")" -lt 2 ] && place 300 "$lane" 240
    [ "$handled" = 1 ] && shot win-placed
    continue
  fi
  empty=
  for want in 1 2 3; do
    for lane in 43 45 47 49 51; do
      [ "$(placed_in "$lane")" -ge "$want" ] || { empty=$lane; break 2; }
    done
  done
  if [ -n "$empty" ] && [ "$(placed_in "$empty")" -ge 1 ]; then
    place 300 "$empty" 240
  elif [ -n "$empty" ]; then
    place 240 "$empty" 300
  else
    sleep 0.25
  fi
done
gold=$(log_since | sed -n 's/.*Level 0 won, gold \([0-9]*\)$/\1/p' | head -1)
[ -n "$gold" ] || fail "no gold in the log"
wait_for_panel win-panel
[ "$(read_record abc)" = "1 $((500 + gold))" ] || fail "the record holds $(read_record abc), not 1 $((500 + gold))"
close_game
grep -q '<record player="abc">' "$WORK/record.xml" || fail "record.xml does not name abc"
grep -q '<abc />' "$WORK/record.xml" || fail "record.xml does not list abc"
echo "ok"
