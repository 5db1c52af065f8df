#!/bin/sh
# Installs the Debian packages VORN needs to build, run and test, and only
# those that are missing. Quiet when everything is already there.
# `install-deps.sh windows` adds the cross compilers, the tools that fetch and
# build the Windows libraries from Debian's sources, and Wine to play the result;
# `install-deps.sh deb` the tools that make and check the Debian package;
# `install-deps.sh web` emscripten, the tools that fetch the web build's
# library sources, the browsers that test the page (headless Chromium,
# Firefox under the virtual display) and Node.js for the Firefox test's driver.
set -e

PACKAGES="
build-essential cmake pkg-config
libsdl2-dev libmpg123-dev libkissfft-dev libjpeg-dev
libgl-dev libgles-dev libglu1-mesa-dev libgl1-mesa-dri libegl-mesa0 libegl1
libfreetype-dev libfontconfig-dev fonts-liberation libimgui-dev
libcli11-dev libpng-dev ffmpeg
libgtest-dev libbenchmark-dev
xvfb xauth xdotool x11-utils xfonts-utils imagemagick lame python3 python3-pil apitrace
clang libclang-rt-14-dev
"
if [ "$1" = windows ]; then
    PACKAGES="$PACKAGES
g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
dpkg-dev nasm zip wine64
"
fi
if [ "$1" = web ]; then
    PACKAGES="$PACKAGES
emscripten dpkg-dev chromium chromium-driver python3-selenium firefox-esr
"
    # Debian's Node.js unless one (with its npm) is already installed.
    if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
        PACKAGES="$PACKAGES nodejs npm"
    fi
fi
if [ "$1" = deb ]; then
    PACKAGES="$PACKAGES
dpkg-dev lintian desktop-file-utils
"
fi

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
