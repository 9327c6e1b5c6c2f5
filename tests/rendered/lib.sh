# Shared steps of the rendered tests: a private working folder with the
# build's configuration, the game started there, its window found, screenshots.
#
# Every wait is bounded in time twice: by its own bound and by the script's
# deadline, SCRIPT_SECONDS after the script started (420 by default), which
# comes well before ctest's timeout of 600 s. A wait that runs out fails at
# once, saying what it waited for and how long the script had run; a
# finished wait takes no longer than its condition.
[ -n "${DISPLAY:-}" ] || { echo "no display: skipped"; exit 77; }
BUILD=$(cd "$1" && pwd)
WORK=$(mktemp -d)
GAME_PID=
OTHER_PIDS=  # further copies of the game the script started
SCRIPT_START=$(date +%s)
SCRIPT_END=$((SCRIPT_START + ${SCRIPT_SECONDS:-420}))
cleanup() {
  for pid in $GAME_PID $OTHER_PIDS; do kill "$pid" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT
cp "$BUILD/plugins.cfg" "$BUILD/resources.cfg" "$BUILD/cursor.cur" "$BUILD/yvek.ico" "$BUILD/Update.cfg" "$WORK/"
printf '[system]\nvol=50\n' > "$WORK/game.cfg"

# Every X tool call is bounded in time: on a window that has gone away some
# of them wait for ever.
x() { timeout 30 "$@"; }

fail() {
  echo "FAILED after $(( $(date +%s) - SCRIPT_START )) s: $*"
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
  wait_until 60 window_found || fail "the game's window did not appear within 60 s"
}

# Sets WID to the game's window, once it has one.
window_found() {
  WID=$(x xdotool search --pid "$GAME_PID" 2>/dev/null | head -1) || true
  [ -n "$WID" ]
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
  wait_until 60 picture_drawn || fail "the window stayed blank for 60 s (deviation $v)"
}
picture_drawn() {
  v=$(window_variation)
  awk "BEGIN{exit !($v > 0.002)}"
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

# Waits up to 60 s until the region has clearly changed ("changed") or is
# back to the kept picture ("back"); fails with the message otherwise.
wait_for_region() {
  wait_until 60 region_is "$1" "$2" || fail "$3 (change $change after 60 s)"
}
region_is() {
  change=$(region_change "$1")
  awk "BEGIN{exit !(\"$2\" == \"changed\" ? $change > 0.05 : $change < 0.01)}"
}

# Moves to a point of the window and clicks there, in one command (the GUI
# takes the position before the button that follows it).
click() {
  alive
  x xdotool mousemove --window "$WID" "$1" "$2" click 1
  sleep 0.3
}

# Waits up to 60 s until a file of the working folder contains a text.
wait_for_text() {
  wait_until 60 grep -q -- "$2" "$WORK/$1" 2>/dev/null || fail "$1 did not hold within 60 s: $2"
}

# The game's log from line LOG_FROM + 1 on: a script that plays a level
# again sets LOG_FROM to the lines before the new try.
LOG_FROM=0
log_since() {
  tail -n "+$((LOG_FROM + 1))" "$WORK/Ogre.log" 2>/dev/null
}

# Whether that log holds a text.
log_holds() {
  log_since | LC_ALL=C grep -qF -- "$1"
}

# Waits until that log holds a text, up to SECONDS (300 by default: game time
# runs slow under software rendering).
wait_for_log() {
  wait_until "${2:-300}" log_holds "$1" || fail "the game did not log \"$1\" within ${2:-300} s"
}

# Tries a command again until it succeeds, for up to SECONDS and never past
# the script's deadline: a bound for slow machines, never a pause. Fails at
# once when the game has ended; returns 1 when the time ran out. The command
# must not wait_until itself (the bound is one variable).
wait_until() {
  until_end=$(( $(date +%s) + $1 ))
  [ "$until_end" -le "$SCRIPT_END" ] || until_end=$SCRIPT_END
  shift
  until "$@"; do
    [ -z "$GAME_PID" ] || alive
    [ "$(date +%s)" -lt "$until_end" ] || return 1
    sleep 0.25
  done
}

# Fails when the script has run past its deadline: for loops that wait on
# more than one thing.
in_time() {
  [ "$(date +%s)" -lt "$SCRIPT_END" ] || fail "$1: still not done at the script's deadline"
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
  wait_until 30 region_still "$1" || fail "the picture did not settle within 30 s"
}

# Waits up to 60 s until the game has ended by itself with exit code 0,
# having shut down cleanly: no X error, no sound device left open.
game_ended_pid() {
  ! kill -0 "$1" 2>/dev/null
}
wait_for_exit() {
  pid=$GAME_PID
  GAME_PID=
  wait_until 60 game_ended_pid "$pid" || { GAME_PID=$pid; fail "the game did not end within 60 s"; }
  wait "$pid" || fail "exit code $?"
  GAME_PID=
  ! grep -E "X error|alc_cleanup" "$WORK/game.out" || fail "the game did not shut down cleanly"
}

# Waits up to 60 s until process PID shows a message box window drawn with
# its text, keeps its picture as rendered-$SHOTS-box.png and sets BOX_NAME
# to its title, then closes it as a player does: a click on its OK button,
# centred at its bottom edge.
close_box() {
  wait_until 60 box_drawn "$1" || fail "process $1 showed no drawn message box within 60 s"
  cp "$WORK/box.png" "$BUILD/rendered-$SHOTS-box.png"
  BOX_NAME=$(x xdotool getwindowname "$BOX")
  eval "$(x xdotool getwindowgeometry --shell "$BOX")"
  x xdotool mousemove --window "$BOX" $((WIDTH / 2)) $((HEIGHT - 30)) click 1
}
box_drawn() {
  BOX=$(x xdotool search --all --pid "$1" --class YvekMessageBox 2>/dev/null | head -1) || true
  [ -n "$BOX" ] && x import -window "$BOX" "$WORK/box.png" 2>/dev/null &&
    awk "BEGIN{exit !($(convert "$WORK/box.png" -format '%[fx:standard_deviation]' info:) > 0.002)}"
}

# Closes the window and checks the game ends with exit code 0.
close_game() {
  alive
  x xdotool windowclose "$WID"
  wait_for_exit
}

# A player with a record file, made the current player: NAME PROGRESS GOLD
# [UNLOCKED] (the first UNLOCKED unit types of the unlock list unlocked, by
# default none).
make_player() {
  mkdir -p "$WORK/save"
  python3 -c 'import struct, sys; n = int(sys.argv[4]); open(sys.argv[1], "wb").write(struct.pack("<4i", 0, int(sys.argv[2]), 0, int(sys.argv[3])) + struct.pack("<50i", *([1] * n + [0] * (50 - n))))' \
    "$WORK/save/$1" "$2" "$3" "${4:-0}"
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
