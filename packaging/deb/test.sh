#!/bin/sh
# `make test-deb`: the package made by `make deb` is checked by lintian (no
# error or warning; the informational tags are printed), installed with
# apt-get, its menu entry validated, and it is run as a user would: the installed vorn started from / under
# a virtual display (its dialog appears, Return with the 640 x 480 screen
# starts the show, which is lit a few seconds in, and Escape ends it with
# status 0), the installed vorn-capture --at 8 from a folder under /tmp.
# Then the package is purged and none of its files may be left. Screenshots
# and logs stay in build-deb/test/.
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
WORK=$ROOT/build-deb/test

if [ "$1" = play ]; then
    # Under the virtual display, with the shared whole-program helpers, in /.
    set -- /usr/bin/vorn / "$WORK"
    . "$ROOT/tests/support/e2e.sh"
    SDL_AUDIODRIVER=dummy "$VORN" 2>"$WORK/play.log" &
    PID=$!
    i=0
    while [ "$WIDTH" != 324 ] && [ $i -lt 300 ]; do
        win=$(xdotool search --name '^VORN$' 2>/dev/null | tail -n 1)
        [ -n "$win" ] && eval "$(xdotool getwindowgeometry --shell "$win")"
        sleep 0.1
        i=$((i + 1))
    done
    [ "$WIDTH" = 324 ] && [ "$HEIGHT" = 234 ] || fail "no 324 x 234 dialog (${WIDTH} x ${HEIGHT}): $(cat "$WORK/play.log")"
    echo "dialog: ok"
    accept_dialog "$WORK/play.log"
    wait_for_line "$WORK/play.log" "precalc in" 60 || fail "the show did not start: $(cat "$WORK/play.log")"
    # The show fades in after two seconds of black; on a busy machine its
    # first frames come late, so the screen is looked at once a second for
    # up to 20 seconds. The 16:9 picture lies in rows 60 to 419 of the
    # 640 x 480 screen.
    lit=0
    i=0
    while [ "$lit" -le 64 ] && [ $i -lt 20 ]; do
        sleep 1
        import -window root "$WORK/show.png" 2>/dev/null || fail "no screenshot"
        lit=$(convert "$WORK/show.png" -crop 640x360+0+60 -format "%[fx:int(255*maxima)]" info:)
        i=$((i + 1))
    done
    [ "$lit" -gt 64 ] || fail "dark picture 20 seconds into the show (brightest $lit)"
    escape_ends_show "$WORK/play.log"
    echo "show from /: ok"
    exit 0
fi

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

DEB=$(ls "$ROOT"/build-deb/vorn_*_"$(dpkg --print-architecture)".deb 2>/dev/null)
[ "$(echo "$DEB" | wc -w)" = 1 ] || fail "not one package in build-deb/: $DEB"
rm -rf "$WORK" && mkdir -p "$WORK"

lintian --fail-on error,warning --display-info "$DEB" >"$WORK/lintian.log" 2>&1
status=$?
grep -v "^running with root privileges" "$WORK/lintian.log"
[ $status = 0 ] || fail "lintian: status $status"
echo "lintian: ok"

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$DEB" >"$WORK/install.log" 2>&1 || fail "apt-get install: $(cat "$WORK/install.log")"
echo "installed $(dpkg-query -W -f='${Package} ${Version}' vorn)"
desktop-file-validate /usr/share/applications/vorn.desktop || fail "the menu entry"

INSIDE_DISPLAY=1 xvfb-run -a -s "-screen 0 640x480x24" sh "$0" play || fail "the installed vorn"

SHOTS=$(mktemp -d /tmp/vorn-test.XXXXXX)
(cd "$SHOTS" && vorn-capture --at 8 --size 640x360 --out at8.png >"$WORK/capture.out" 2>"$WORK/capture.err") ||
    fail "vorn-capture: $(cat "$WORK/capture.err")"
mv "$SHOTS/at8.png" "$WORK/at8.png" && rmdir "$SHOTS" || fail "vorn-capture wrote more than at8.png: $(ls -A "$SHOTS")"
[ "$(cat "$WORK/capture.out")" = at8.png ] && [ "$(identify -format %wx%h "$WORK/at8.png")" = 640x360 ] &&
    [ "$(convert "$WORK/at8.png" -format "%[fx:int(255*maxima)]" info:)" -gt 64 ] ||
    fail "vorn-capture --at 8: $(cat "$WORK/capture.out" "$WORK/capture.err")"
echo "capture from /tmp: ok"

apt-get purge -y -qq vorn >"$WORK/purge.log" 2>&1 || fail "apt-get purge: $(cat "$WORK/purge.log")"
dpkg-query -W -f='${Status}' vorn 2>/dev/null | grep -q "ok installed" && fail "vorn is still installed"
left=$(dpkg-deb --fsys-tarfile "$DEB" | tar -t | sed 's|^\./|/|' | while read -r path; do
    # Folders shared with other packages stay; the package's own go.
    case "$path" in /) ;; */) [ -e "$path" ] && ! dpkg -S "${path%/}" >/dev/null 2>&1 && echo "$path" ;;
    *) [ -e "$path" ] && echo "$path" ;; esac
done; ls /var/lib/dpkg/info/vorn.* 2>/dev/null)
[ -z "$left" ] || fail "left after purge: $left"
echo "purge: ok"
