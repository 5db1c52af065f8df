#!/bin/sh
# The whole show under a virtual display with the real soundtrack: Page Down
# jumps through it while screenshots are taken (kept as <scratch>/show-*.png).
# The picture is lit through the show, the letterbox bars of the 4:3 screen
# stay black, from pattern 15 on the picture is black, and Escape ends the
# program with status 0.
# Arguments: the program, the source folder, a scratch folder.
. "$(dirname "$0")/support/e2e.sh"

# shot NAME: a screenshot of the whole screen as <scratch>/show-NAME.png.
shot() {
    import -window root "$WORK/show-$1.png" 2>/dev/null || fail "no screenshot $1"
}

# brightest NAME GEOMETRY: the largest channel value (0..255) of a region.
brightest() {
    convert "$WORK/show-$1.png" -crop "$2" +repage -format "%[fx:int(255*maxima)]" info:
}

# jump N [KEY]: Home, then N presses of Page Down (one pattern each) and
# KEY if given, then time to draw: the show is then a little past pattern N.
jump() {
    press Home
    n=0
    while [ $n -lt "$1" ]; do
        press Page_Down
        n=$((n + 1))
    done
    [ -z "$2" ] || press "$2"
    sleep 1
}

launch "$WORK/show.log" "$VORN"
accept_dialog "$WORK/show.log"
wait_for_line "$WORK/show.log" "precalc in" 60 || fail "the show did not start: $(cat "$WORK/show.log")"
sleep 3

# 640 x 480 shows the 16:9 picture in rows 60 to 419.
for step in "2 p02" "5 p05" "8 p08" "11 p11" "14 p14"; do
    set -- $step
    jump "$1"
    shot "$2"
    [ "$(brightest "$2" 640x360+0+60)" -gt 64 ] || fail "dark picture at $2"
    [ "$(brightest "$2" 640x58+0+0)" = 0 ] && [ "$(brightest "$2" 640x58+0+422)" = 0 ] ||
        fail "letterbox bars not black at $2"
done
# The music ends a second after pattern 16: Pause holds the show there.
jump 16 Pause
shot p16
[ "$(brightest p16 640x480+0+0)" = 0 ] || fail "the picture after pattern 15 is not black"
kill -0 $PID 2>/dev/null || fail "the show ended early: $(cat "$WORK/show.log")"
press Escape
finish $PID 20
[ "$STATUS" = 0 ] || fail "Escape: status $STATUS"
grep -v " in [0-9.]*s$" "$WORK/show.log" && fail "unexpected lines on standard error"
echo "show: ok, screenshots in $WORK"
