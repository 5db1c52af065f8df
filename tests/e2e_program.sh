#!/bin/sh
# The whole program under a virtual display: it starts, prints its start-up
# timings, renders frames, and ends with status 0 on Escape and at the end
# of a non-looping tune; a missing tune ends it with status 1 and a message.
# Arguments: the program, the source folder, a scratch folder.
VORN=$(realpath "$1"); SRC=$(realpath "$2"); WORK=$3
. "$SRC/tests/support/e2e.sh"

if [ -z "$INSIDE_DISPLAY" ]; then
    mkdir -p "$WORK"
    INSIDE_DISPLAY=1 in_display sh "$0" "$@"
    exit $?
fi
WORK=$(realpath "$WORK")
silent_mp3 "$WORK/long.mp3" 60
silent_mp3 "$WORK/short.mp3" 2

# Escape ends a running show with status 0.
make_show_dir "$WORK/escape" "$WORK/long.mp3"
start_show "$WORK/escape" "$WORK/escape.log"
wait_for_line "$WORK/escape.log" "precalc in" 30 || fail "no start-up timing line"
sleep 3
kill -0 $PID 2>/dev/null || fail "the show ended by itself: $(cat "$WORK/escape.log")"
press Escape
finish $PID 20
[ "$STATUS" = 0 ] || fail "Escape: status $STATUS: $(cat "$WORK/escape.log")"
echo "escape: ok"

# The end of a non-looping tune ends the show with status 0.
make_show_dir "$WORK/end" "$WORK/short.mp3"
start_show "$WORK/end" "$WORK/end.log"
wait_for_line "$WORK/end.log" "precalc in" 30 || fail "no start-up timing line"
finish $PID 30
[ "$STATUS" = 0 ] || fail "end of tune: status $STATUS: $(cat "$WORK/end.log")"
echo "end of tune: ok"

# A missing tune is fatal with its message.
make_show_dir "$WORK/missing" ""
start_show "$WORK/missing" "$WORK/missing.log"
finish $PID 30
[ "$STATUS" = 1 ] || fail "missing tune: status $STATUS"
grep -q "^data/tune.mp3 not found$" "$WORK/missing.log" || fail "missing tune: $(cat "$WORK/missing.log")"
echo "missing tune: ok"
