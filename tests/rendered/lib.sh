# Shared steps of the rendered tests: a private working folder with the
# build's configuration, the game started there, its window found, screenshots.
[ -n "${DISPLAY:-}" ] || { echo "no display: skipped"; exit 77; }
BUILD=$(cd "$1" && pwd)
WORK=$(mktemp -d)
GAME_PID=
cleanup() {
  [ -n "$GAME_PID" ] && kill "$GAME_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
cp "$BUILD/plugins.cfg" "$BUILD/resources.cfg" "$BUILD/cursor.cur" "$BUILD/Update.cfg" "$WORK/"
printf '[system]\nvol=50\n' > "$WORK/game.cfg"

# Every X tool call is bounded in time: on a window that has gone away some
# of them wait for ever.
x() { timeout 30 "$@"; }

fail() {
  echo "FAILED: $*"
  echo "--- game output"; cat "$WORK/game.out" 2>/dev/null | tail -30
  echo "--- engine log"; tail -40 "$WORK/Ogre.log" 2>/dev/null
  exit 1
}

# Starts the game in the working folder and sets WID to its window. GAME
# names another build of the game to run on the build folder's data, with
# GAME_PRELOAD the libraries to preload into it (into the game alone: the X
# tools run as they are).
start_game() {
  (cd "$WORK" && exec env ${GAME_PRELOAD:+LD_PRELOAD="$GAME_PRELOAD"} "${GAME:-$BUILD/yvek}" > game.out 2>&1) &
  GAME_PID=$!
  WID=
  for _ in $(seq 1 240); do
    WID=$(x xdotool search --pid "$GAME_PID" 2>/dev/null | head -1) || true
    [ -n "$WID" ] && return 0
    kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended at start-up"
    sleep 0.25
  done
  fail "no game window"
}

# Fails at once when the game is no longer running.
alive() {
  kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended"
}

# A screenshot of the window into $WORK/shot.png (or the file named).
shoot() {
  alive
  x import -window "$WID" "${1:-$WORK/shot.png}" 2>/dev/null
}

# A screenshot kept in the build folder as rendered-$SHOTS-NAME.png (SHOTS
# names the script's pictures).
shot() {
  shoot "$BUILD/rendered-$SHOTS-$1.png" || fail "no screenshot $1"
}

# The standard deviation of the window's picture (0 for a uniform picture).
window_variation() {
  shoot || { echo 0; return; }
  convert "$WORK/shot.png" -format '%[fx:standard_deviation]' info:
}

# Waits until the window's picture is no longer uniform (the GUI is drawn).
wait_for_picture() {
  for _ in $(seq 1 240); do
    v=$(window_variation)
    awk "BEGIN{exit !($v > 0.002)}" && return 0
    sleep 0.25
  done
  fail "the window stayed blank"
}

# Keeps a region of a fresh screenshot (geometry WxH+X+Y) as the picture
# before a change.
keep_region() {
  shoot || fail "no screenshot"
  convert "$WORK/shot.png" -crop "$1" +repage "$WORK/before.png"
}

# How far the region now differs from the kept picture (normalised root mean
# square, 0 to 1).
region_change() {
  shoot
  convert "$WORK/shot.png" -crop "$1" +repage "$WORK/now.png"
  compare -metric RMSE "$WORK/now.png" "$WORK/before.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/'
}

# Waits until the region has clearly changed ("changed") or is back to the
# kept picture ("back"); fails with the message otherwise.
wait_for_region() {
  for _ in $(seq 1 240); do
    change=$(region_change "$1")
    awk "BEGIN{exit !(\"$2\" == \"changed\" ? $change > 0.05 : $change < 0.01)}" && return 0
    sleep 0.25
  done
  fail "$3 (change $change)"
}

# Moves to a point of the window and clicks there, in one command (the GUI
# takes the position before the button that follows it).
click() {
  alive
  x xdotool mousemove --window "$WID" "$1" "$2" click 1
  sleep 0.3
}

# Waits until a file of the working folder contains a text.
wait_for_text() {
  for _ in $(seq 1 240); do
    grep -q -- "$2" "$WORK/$1" 2>/dev/null && return 0
    sleep 0.25
  done
  fail "$1 never held: $2"
}

# The game's log from line LOG_FROM + 1 on: a script that plays a level
# again sets LOG_FROM to the lines before the new try.
LOG_FROM=0
log_since() {
  tail -n "+$((LOG_FROM + 1))" "$WORK/Ogre.log" 2>/dev/null
}

# Waits up to five minutes until that log holds a text: game time runs slow
# under software rendering.
wait_for_log() {
  for _ in $(seq 1 1200); do
    log_since | grep -q -- "$1" && return 0
    alive
    sleep 0.25
  done
  fail "the log never held: $1"
}

# Waits until a command succeeds, trying it again for up to SECONDS: a bound
# for slow machines, never a pause. Returns 1 when it never succeeded.
wait_until() {
  bound=$(( $(date +%s) + $1 ))
  shift
  until "$@"; do
    alive
    [ "$(date +%s)" -lt "$bound" ] || return 1
    sleep 0.25
  done
}

# Whether a region of a fresh screenshot is the same as the one before
# (keeps the new one): the picture has settled, e.g. after a pointer move.
region_still() {
  shoot || return 1
  convert "$WORK/shot.png" -crop "$1" +repage "$WORK/still.png"
  if [ -e "$WORK/still-before.png" ]; then
    change=$(compare -metric RMSE "$WORK/still.png" "$WORK/still-before.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
    mv "$WORK/still.png" "$WORK/still-before.png"
    awk "BEGIN{exit !($change < 0.002)}"
  else
    mv "$WORK/still.png" "$WORK/still-before.png"
    return 1
  fi
}

# Waits until a region stays the same from one screenshot to the next.
wait_for_still() {
  rm -f "$WORK/still-before.png"
  wait_until 30 region_still "$1" || fail "the picture did not settle"
}

# Waits until the game has ended by itself with exit code 0, having shut
# down cleanly: no X error, no sound device left open.
wait_for_exit() {
  for _ in $(seq 1 480); do
    kill -0 "$GAME_PID" 2>/dev/null || break
    sleep 0.25
  done
  kill -0 "$GAME_PID" 2>/dev/null && fail "the game did not end"
  wait "$GAME_PID" || fail "exit code $?"
  GAME_PID=
  ! grep -E "X error|alc_cleanup" "$WORK/game.out" || fail "the game did not shut down cleanly"
}

# Closes the window and checks the game ends with exit code 0.
close_game() {
  alive
  x xdotool windowclose "$WID"
  wait_for_exit
}

# A player with a record file, made the current player: NAME PROGRESS GOLD
# (no unit type unlocked).
make_player() {
  mkdir -p "$WORK/save"
  python3 -c 'import struct, sys; open(sys.argv[1], "wb").write(struct.pack("<4i", 0, int(sys.argv[2]), 0, int(sys.argv[3])) + bytes(200))' \
    "$WORK/save/$1" "$2" "$3"
  printf '<record player="%s">\n  <%s />\n</record>\n' "$1" "$1" > "$WORK/record.xml"
}

# The progress and the gold of a player's record file, as "PROGRESS GOLD".
read_record() {
  python3 -c 'import struct, sys; r = struct.unpack("<4i", open(sys.argv[1], "rb").read(16)); print(r[1], r[3])' \
    "$WORK/save/$1"
}

# From the start screen (logos gone, a current player): level N (from 0) of
# the level list, started.
start_level() {
  click 240 316                      # new game: the level list
  click 440 $((165 + 16 * $1))       # the level
  click 515 478                      # OK
  wait_for_text Ogre.log "Starting level $1 on map"
}
