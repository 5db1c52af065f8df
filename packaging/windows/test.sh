#!/bin/sh
# `make test-windows`: plays the packed 64-bit build (build-windows/vorn-<version>-win64)
# under Wine on a virtual display with SDL's dummy audio, in a fresh Wine
# prefix. The dialog appears, Return starts the show, a few seconds in the
# picture is lit, Escape ends with status 0; without data/tune.mp3 the
# program ends with its message and status 1. Screenshots are kept in
# build-windows/test/ (dialog.png, show.png). Then vorn-capture.exe --at T
# against the Linux build's vorn-capture (LINUX_CAPTURE, default
# build/vorn-capture): the same picture up to a small per-pixel tolerance.
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
VERSION=$(sed -n 's/^project(vorn VERSION \([0-9.]*\) .*/\1/p' "$ROOT/CMakeLists.txt")
PACKAGE=$ROOT/build-windows/vorn-$VERSION-win64
[ -f "$PACKAGE/vorn.exe" ] && [ -f "$PACKAGE.zip" ] || { echo "no $PACKAGE.zip: run make windows first" >&2; exit 1; }
grep -q "^VORN $VERSION for Windows" "$PACKAGE/README.txt" || { echo "README.txt without the version" >&2; exit 1; }
export LINUX_CAPTURE=$(realpath "${LINUX_CAPTURE:-$ROOT/build/vorn-capture}")
[ -x "$LINUX_CAPTURE" ] || { echo "no $LINUX_CAPTURE: build the Linux vorn-capture first" >&2; exit 1; }

# The shared whole-program helpers, driving Wine through wine-run.sh.
set -- "$HERE/wine-run.sh" "$ROOT" "$ROOT/build-windows/test"
. "$ROOT/tests/support/e2e.sh"

# Wine quietly, without its Mono and Gecko installers; SDL without a sound card.
export WINEPREFIX="$WORK/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" SDL_AUDIODRIVER=dummy
export WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=$(dirname "$WINE")/wineserver
# A Wine server left from an earlier run would serve the new prefix badly.
"$WINESERVER" -k 2>/dev/null
rm -rf "$WINEPREFIX"
trap '"$WINESERVER" -k 2>/dev/null' EXIT
"$WINE" wineboot --init >/dev/null 2>&1 || fail "Wine cannot start"
"$WINESERVER" -w

# shot NAME: a screenshot of the whole screen as <scratch>/NAME.png.
shot() {
    import -window root "$WORK/$1.png" 2>/dev/null || fail "no screenshot $1"
}

# brightest NAME GEOMETRY: the largest channel value (0..255) of a region.
brightest() {
    convert "$WORK/$1.png" -crop "$2" +repage -format "%[fx:int(255*maxima)]" info:
}

# 1. The dialog, Return, the show, Escape.
export VORN_EXE="$PACKAGE/vorn.exe"
launch "$WORK/run.log" env -C "$WORK" "$VORN"
i=0
while [ -z "$(xdotool search --name '^VORN$' 2>/dev/null)" ] && [ $i -lt 300 ]; do
    kill -0 $PID 2>/dev/null || fail "the program ended before its dialog: $(cat "$WORK/run.log")"
    sleep 0.1
    i=$((i + 1))
done
# The dialog draws a moment after its window opens.
i=0
while shot dialog && [ "$(brightest dialog 640x480+0+0)" -le 64 ] && [ $i -lt 30 ]; do
    sleep 1
    i=$((i + 1))
done
[ "$(brightest dialog 640x480+0+0)" -gt 64 ] || fail "no dialog on the screen"
echo "dialog: ok"
accept_dialog "$WORK/run.log"
wait_for_line "$WORK/run.log" "precalc in" 60 || fail "the show did not start: $(cat "$WORK/run.log")"
sleep 5
shot show
# 640 x 480 shows the 16:9 picture in rows 60 to 419, black bars around it.
[ "$(brightest show 640x360+0+60)" -gt 64 ] || fail "dark picture a few seconds in"
[ "$(brightest show 640x58+0+0)" = 0 ] || fail "the letterbox bar is not black"
escape_ends_show "$WORK/run.log"
echo "show and escape: ok"

# 2. A missing data file: its message on standard error, status 1.
rm -rf "$WORK/missing"
cp -r "$PACKAGE" "$WORK/missing"
rm "$WORK/missing/data/tune.mp3"
export VORN_EXE="$WORK/missing/vorn.exe"
launch "$WORK/missing.log" env -C "$WORK" "$VORN"
accept_dialog "$WORK/missing.log"
finish $PID 30
[ "$STATUS" = 1 ] || fail "missing tune: status $STATUS: $(cat "$WORK/missing.log")"
grep -q "data/tune.mp3 not found" "$WORK/missing.log" || fail "missing tune: $(cat "$WORK/missing.log")"
echo "missing tune: ok"

# 3. vorn-capture.exe draws the Linux build's picture of the same show time,
# up to rounding: no pixel differs by more than TOLERANCE in any channel.
TOLERANCE=${TOLERANCE:-8}
at=3
(cd "$ROOT" && "$LINUX_CAPTURE" --at $at --out "$WORK/capture-linux.png" >/dev/null) ||
    fail "the Linux vorn-capture failed"
(cd "$PACKAGE" && "$WINE" vorn-capture.exe --at $at --out "$WORK/capture-windows.png" >/dev/null 2>"$WORK/capture.log") ||
    fail "vorn-capture.exe failed: $(cat "$WORK/capture.log")"
for side in linux windows; do
    [ "$(convert "$WORK/capture-$side.png" -format "%[fx:int(255*maxima)]" info:)" -gt 64 ] ||
        fail "the $side capture is dark"
done
peak=$(compare -metric PAE "$WORK/capture-linux.png" "$WORK/capture-windows.png" null: 2>&1 | sed 's/ .*//')
peak=$(( ${peak%.*} / 257 ))
differing=$(compare -metric AE "$WORK/capture-linux.png" "$WORK/capture-windows.png" "$WORK/capture-diff.png" 2>&1)
echo "capture at $at: $differing pixels differ, by at most $peak of 255"
[ "$peak" -le "$TOLERANCE" ] || fail "the Windows capture differs from the Linux one by $peak of 255"
echo "capture: ok"

echo "windows: ok, screenshots in $WORK"
