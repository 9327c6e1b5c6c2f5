#!/bin/sh
# Makes the game's sounds with sox into a folder (packed into sounds.pak by
# the build): interface blips, a coin ding, a short looping tune and a 3D hit.
# -R keeps the noise the same from run to run.
set -eu
out=$1
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
SOX="sox -R -q"
MONO="-r 22050 -c 1 -b 16"

# Unit placed: a quick rising blip.
$SOX -n $MONO "$out/pointassign.wav" synth 0.12 sine 660:1320 fade q 0.005 0.12 0.04 vol 0.7

# Gold picked up: two bright notes.
$SOX -n $MONO "$tmp/g1.wav" synth 0.07 square 1568 vol 0.25
$SOX -n $MONO "$tmp/g2.wav" synth 0.25 square 2093 fade q 0 0.25 0.2 vol 0.25
$SOX "$tmp/g1.wav" "$tmp/g2.wav" "$out/gold.wav"

# A hit in the world (played in 3D): a short thud of noise.
$SOX -n $MONO "$out/hit.wav" synth 0.25 brownnoise fade q 0.002 0.25 0.2 vol 0.9

# Level music: eight plucked notes that loop without a seam, in stereo.
i=0
for note in C4 E4 G4 C5 A3 C4 E4 G4; do
  i=$((i + 1))
  $SOX -n -r 22050 -c 2 -b 16 "$tmp/n$i.wav" synth 0.3 pluck $note vol 0.5
done
$SOX "$tmp"/n1.wav "$tmp"/n2.wav "$tmp"/n3.wav "$tmp"/n4.wav "$tmp"/n5.wav "$tmp"/n6.wav "$tmp"/n7.wav "$tmp"/n8.wav \
  "$out/level_music.wav"
