#!/bin/sh
# The whole program under a virtual display: it starts, prints its start-up
# timings, renders frames, and ends with status 0 on Escape and at the end
# of a non-looping tune; a missing tune ends it with status 1 and a message.
# Arguments: the program, the source folder, a scratch folder.
. "$(dirname "$0")/support/e2e.sh"
silent_mp3 "$WORK/long.mp3" 60
silent_mp3 "$WORK/short.mp3" 2

make_show_dir "$WORK/escape" "$WORK/long.mp3"
start_show "$WORK/escape" "$WORK/escape.log"
escape_ends_show "$WORK/escape.log"
echo "escape: ok"

make_show_dir "$WORK/end" "$WORK/short.mp3"
start_show "$WORK/end" "$WORK/end.log"
wait_for_line "$WORK/end.log" "precalc in" 30 || fail "no start-up timing line"
finish $PID 30
[ "$STATUS" = 0 ] || fail "end of tune: status $STATUS: $(cat "$WORK/end.log")"
echo "end of tune: ok"

make_show_dir "$WORK/missing" ""
start_show "$WORK/missing" "$WORK/missing.log"
finish $PID 30
[ "$STATUS" = 1 ] || fail "missing tune: status $STATUS"
grep -q "^data/tune.mp3 not found$" "$WORK/missing.log" || fail "missing tune: $(cat "$WORK/missing.log")"
echo "missing tune: ok"
