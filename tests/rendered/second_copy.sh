#!/bin/sh
# Two copies of the game started in one working folder lost data: each wrote
# its own player list and records over the other's, and the second truncated
# the first one's engine log. With one copy running, a second one started
# there says so in a message box window titled with the game's name (and on
# the standard error), ends with code 1 once the box is closed, and touches
# neither "record.xml", the save folder nor "Ogre.log"; the first plays on
# and saves as ever. The first copy's window carries the game's icon, big
# and small.
. "$(dirname "$0")/lib.sh"

make_player abc 1 700
start_game
wait_for_picture
x xprop -id "$WID" _NET_WM_ICON > "$WORK/icon.txt"
grep -q "Icon (32 x 32):" "$WORK/icon.txt" || fail "the window has no 32 x 32 icon"
grep -q "Icon (16 x 16):" "$WORK/icon.txt" || fail "the window has no 16 x 16 icon"

# What the second copy must leave as it is: names, sizes and times to the
# nanosecond, and the engine log so far.
files_now() { (cd "$WORK" && stat -c '%n %s %y' record.xml save save/*); }
files_now > "$WORK/files.before"
cp "$WORK/Ogre.log" "$WORK/log.before"

(cd "$WORK" && exec "$BUILD/yvek" > second.out 2>&1) &
second=$!
OTHER_PIDS=$second
SHOTS=second-copy
close_box $second
[ "$BOX_NAME" = "Yvek" ] || fail "the box is titled \"$BOX_NAME\", not with the game's name"
wait_until 30 game_ended_pid $second || fail "the second copy did not end within 30 s of its box closing"
wait $second
code=$?
OTHER_PIDS=
[ "$code" -eq 1 ] || fail "the second copy ended with code $code"
grep -q "游戏已经在这个文件夹中运行" "$WORK/second.out" || fail "the second copy did not say why it ended: $(cat "$WORK/second.out")"
files_now | diff "$WORK/files.before" - || fail "the second copy touched the player list or the save folder"
cmp -s -n "$(wc -c < "$WORK/log.before")" "$WORK/log.before" "$WORK/Ogre.log" ||
  fail "the second copy rewrote the first one's engine log"
! grep -q "游戏已经在这个文件夹中运行" "$WORK/Ogre.log" || fail "the second copy wrote into the engine log"

# The first copy plays on, and closing it saves the record as ever.
click 400 300                        # the logos
start_level 0
close_game
[ "$(read_record abc)" = "1 700" ] || fail "the record after closing: $(read_record abc)"
echo "ok"
