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
  exit 1
}

# Starts the game in the working folder and sets WID to its window.
start_game() {
  (cd "$WORK" && exec "$BUILD/yvek" > game.out 2>&1) &
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
  for _ in $(seq 1 80); do
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
  for _ in $(seq 1 80); do
    grep -q -- "$2" "$WORK/$1" 2>/dev/null && return 0
    sleep 0.25
  done
  fail "$1 never held: $2"
}

# Waits until the game has ended by itself with exit code 0, having shut
# down cleanly: no X error, no sound device left open.
wait_for_exit() {
  for _ in $(seq 1 120); do
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
