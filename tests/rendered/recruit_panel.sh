#!/bin/sh
# The game's first level: the first wave opens the recruit panel with its
# text, and the settings are opened over the panel. A player with every unit
# type unlocked fills the panel's first row with four icons; each is drawn
# the same while the wave's text shows and while the settings are open as
# with neither up, so neither covers it. The panel, the text band and the
# menu button are found where main.layout puts them. Screenshots stay in the
# build folder (rendered-recruit-*.png).
. "$(dirname "$0")/lib.sh"

SHOTS=recruit
LAYOUT=$(dirname "$0")/../../data/pak/gui/main.layout
# The message's yellow (FFFFE040 in main.layout); the farmer icon's wheat is
# bluer, so a text over the icons is told from them.
YELLOW='r > 0.9 && g > 0.75 && b < 0.3'
ICONS=4                              # swordsman, farmer, archer, priest

# The area of a window directly under the layout's root in the game's window
# (the latest screenshot's size) into AREA_X, AREA_Y, AREA_W and AREA_H; the
# layout gives it as {{x scale, x offset}, {y ...}, {right ...}, {bottom ...}}.
area() {
  name=$1
  size=$(identify -format '%w %h' "$WORK/shot.png")
  set -- $(sed -n "/^    <Window .*name=\"$1\"/,/name=\"Area\"/s/.*name=\"Area\" value=\"\([^\"]*\)\".*/\1/p" \
      "$LAYOUT" | head -1 | tr -d '{}' |
    awk -F, -v size="$size" '{ split(size, s, " "); x = $1 * s[1] + $2; y = $3 * s[2] + $4
      printf "%d %d %d %d\n", x, y, $5 * s[1] + $6 - x, $7 * s[2] + $8 - y }')
  [ $# = 4 ] || fail "main.layout gives no area of \"$name\""
  AREA_X=$1 AREA_Y=$2 AREA_W=$3 AREA_H=$4
}

# Cell N of the recruit panel's first row as a crop geometry: the screen puts
# 64-pixel cells 66 pixels apart from (10, 10) in the panel.
cell() {
  echo "64x64+$((PANEL_X + 10 + 66 * $1))+$((PANEL_Y + 10))"
}

# A crop of a picture (FILE GEOMETRY) into the working folder as NAME.png.
crop() {
  convert "$1" -crop "$2" +repage "$WORK/$3.png"
}

# How far two pictures of the working folder differ (normalised root mean
# square, 0 to 1).
difference() {
  compare -metric RMSE "$WORK/$1.png" "$WORK/$2.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/'
}

# Whether the latest screenshot shows the message's yellow text in its band.
text_shown() {
  shoot
  crop "$WORK/shot.png" "$BAND" band
  yellow=$(convert "$WORK/band.png" -fx "$YELLOW" -format '%[fx:mean]' info:)
  awk "BEGIN{exit !($yellow > 0.005)}"
}

# Checks each icon of the first row in a screenshot (FILE, kept as NAME)
# against the picture with nothing over the panel; WHAT names what was up.
icons_uncovered() {
  cp "$1" "$BUILD/rendered-$SHOTS-$2.png"
  i=0
  while [ "$i" -lt "$ICONS" ]; do
    crop "$1" "$(cell $i)" now
    change=$(difference now "icon-$i")
    awk "BEGIN{exit !($change < 0.02)}" || fail "$3 covers icon $i of the recruit panel (change $change)"
    i=$((i + 1))
  done
}

away() {
  alive
  x xdotool mousemove --window "$WID" 60 590
}

make_player abc 0 500 $ICONS
start_game
wait_for_picture
click 400 300                        # the logos
start_level 0
wait_for_log "Recruit panel open"
LOG_FROM=$(wc -l < "$WORK/Ogre.log")
away
shoot
area recruit
PANEL_X=$AREA_X PANEL_Y=$AREA_Y
area text
BAND="${AREA_W}x${AREA_H}+$AREA_X+$AREA_Y"

# --- The wave's text, blinking for some seconds of game time with the panel:
# screenshots until one shows it.
seen=
while ! log_holds "Message over"; do
  in_time "looking for the wave's text"
  text_shown && { seen=1; cp "$WORK/shot.png" "$WORK/with-text.png"; break; }
done
if [ -z "$seen" ]; then
  cp "$WORK/shot.png" "$BUILD/rendered-$SHOTS-failed.png"
  fail "the wave's text was never seen in its band before it was over (yellow share $yellow)"
fi

# --- The panel with nothing over it: the icons as they are.
wait_for_log "Message over"
wait_for_still "$(cell 0)"
shot alone
i=0
while [ "$i" -lt 6 ]; do
  crop "$BUILD/rendered-$SHOTS-alone.png" "$(cell $i)" "icon-$i"
  i=$((i + 1))
done
i=0
while [ "$i" -lt "$ICONS" ]; do
  change=$(difference "icon-$i" icon-5)
  awk "BEGIN{exit !($change > 0.1)}" || fail "no icon in cell $i of the recruit panel (change $change from an empty cell)"
  i=$((i + 1))
done
icons_uncovered "$WORK/with-text.png" text "the wave's text"

# --- The settings, opened over the panel.
area config
SETTINGS="${AREA_W}x${AREA_H}+$AREA_X+$AREA_Y"
keep_region "$SETTINGS"
area main
click $((AREA_X + AREA_W / 2)) $((AREA_Y + AREA_H / 2))  # the menu
away
wait_for_region "$SETTINGS" changed "the settings did not open"
icons_uncovered "$WORK/shot.png" settings "the settings"
close_game
echo "ok"
