#!/bin/sh
# `make web`: builds the page into build-web/vorn/ (index.html, vorn.js,
# vorn.wasm, vorn.data and the licences) with Debian's emscripten and the
# libraries of libraries.sh (cached), then prints the page's size.
set -e

HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
OUT=$ROOT/build-web
PAGE=$OUT/vorn
BUILD=$OUT/build
JOBS=${JOBS:-2}

sh "$ROOT/packaging/install-deps.sh" web
. "$HERE/env.sh"
prefix=$(sh "$HERE/libraries.sh")
# pkg-config's findings stay in CMake's cache: new libraries, new build.
[ "$(cat "$BUILD/libraries" 2>/dev/null)" = "$prefix" ] || rm -rf "$BUILD"
mkdir -p "$BUILD"
echo "$prefix" >"$BUILD/libraries"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$HERE/toolchain.cmake" -DVORN_WEB_PREFIX="$prefix" \
    -DVORN_WEB_PAGE_DIR="$PAGE" -DCMAKE_BUILD_TYPE=Release >/dev/null
nice -n 10 cmake --build "$BUILD" -j"$JOBS" --target vorn-page

rm -rf "$PAGE/licences"
mkdir -p "$PAGE/licences"
cp "$prefix"/licences/* "$PAGE/licences/"
cp /usr/share/doc/fonts-liberation/copyright "$PAGE/licences/fonts-liberation.txt"
cp /usr/share/common-licenses/LGPL-2.1 "$PAGE/licences/LGPL-2.1.txt"
cd "$PAGE"
total=$(cat index.html vorn.js vorn.wasm vorn.data | wc -c)
packed=$(cat index.html vorn.js vorn.wasm vorn.data | gzip -9 | wc -c)
echo "$PAGE: index.html, vorn.js, vorn.wasm, vorn.data: $((total / 1024)) KiB ($((packed / 1024)) KiB gzipped)"
