#!/bin/sh
# Installs every Debian 12 package the game, its tests and its tools need.
# Quiet and quick when everything is already there.
set -eu

PACKAGES="
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libogre-1.12-dev ogre-1.12-tools
  libcegui-mk2-dev libcegui-mk2-data
  libois-dev libtinyxml-dev libx11-dev libxcursor-dev libxft-dev
  libopenal-dev libopenal1 libsndfile1-dev
  fonts-wqy-zenhei
  xvfb xauth xdotool x11-utils x11-xserver-utils mesa-utils libgl1-mesa-dri imagemagick sox
  libgtest-dev libgmock-dev libbenchmark-dev glslang-tools
"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing:$missing"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
