#!/bin/sh
# Installs the Debian packages VORN needs to build, run and test, and only
# those that are missing. Quiet when everything is already there.
set -e

PACKAGES="
build-essential cmake pkg-config
libsdl2-dev libmpg123-dev libkissfft-dev libjpeg-dev
libgl-dev libglu1-mesa-dev libgl1-mesa-dri libegl-mesa0 libegl1
libfreetype-dev libfontconfig-dev fonts-liberation libimgui-dev
libcli11-dev libpng-dev ffmpeg
libgtest-dev libbenchmark-dev
xvfb xauth xdotool imagemagick lame
clang libclang-rt-14-dev
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

echo "installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
