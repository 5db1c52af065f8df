#!/bin/sh
# The soak run: the real demo under a virtual display for SOAK_MINUTES
# (default 10, at least 3) with the dialog's "Loop" box ticked, so the music
# and the show go round and round, and a developer key (Pause, Page Up,
# Page Down, Home) pressed at random every 2 to 6 s from a fixed seed.
# Resident memory is sampled every 10 s into <scratch>/memory.txt. Fails if
# memory grows by more than 2 MiB from the end of the second minute to the
# end, if anything but timing lines reaches standard error, or if the
# program ends before Escape ends it with status 0.
# Arguments: the program, the source folder, a scratch folder.
. "$(dirname "$0")/support/e2e.sh"

MINUTES=${SOAK_MINUTES:-10}
[ "$MINUTES" -ge 3 ] 2>/dev/null || fail "SOAK_MINUTES must be a whole number, at least 3 (is '$MINUTES')"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"
LOG="$WORK/soak.log"
MEMORY="$WORK/memory.txt"

# loop_ticked X Y: whether the check mark's cyan shows in the "Loop" box of
# the dialog at X, Y (template 140, 123 dialog units).
loop_ticked() {
    import -window root "$WORK/dialog.png" 2>/dev/null &&
        [ "$(convert "$WORK/dialog.png" -crop "24x24+$(($1 + 208))+$(($2 + 200))" +repage \
            -fx "b-r" -format "%[fx:int(100*maxima)]" info:)" -gt 40 ]
}

"$VORN" 2>"$LOG" &
PID=$!

# Tick "Loop" in the dialog, then start the show.
ticked=
i=0
while [ -z "$ticked" ] && [ $i -lt 60 ] && kill -0 $PID 2>/dev/null; do
    sleep 0.5
    i=$((i + 1))
    win=$(xdotool search --name '^VORN$' 2>/dev/null | tail -n 1)
    [ -n "$win" ] || continue
    eval "$(xdotool getwindowgeometry --shell "$win")"
    [ "$WIDTH" = 324 ] || continue
    loop_ticked "$X" "$Y" && ticked=1 && break
    xdotool mousemove $((X + 217)) $((Y + 212)) click 1
    sleep 0.5
    loop_ticked "$X" "$Y" && ticked=1
done
[ -n "$ticked" ] || fail "could not tick Loop in the dialog: $(cat "$LOG")"
accept_dialog "$LOG"
wait_for_line "$LOG" "precalc in" 60 || fail "the show did not start: $(cat "$LOG")"

# rss: the program's resident memory in KiB.
rss() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$PID/status" 2>/dev/null
}

# A linear congruential generator with a fixed seed picks keys and pauses.
seed=20240601
next_random() {
    seed=$(( (seed * 1103515245 + 12345) % 2147483648 ))
    RANDOM_VALUE=$(( seed / 65536 ))
}

KEYS="Pause Page_Up Page_Down Home"
start=$(date +%s)
end=$((start + MINUTES * 60))
next_key=$((start + 3))
next_sample=$((start + 10))
presses=0
: >"$MEMORY"
now=$start
while [ "$now" -lt "$end" ]; do
    sleep 0.5
    now=$(date +%s)
    if ! kill -0 $PID 2>/dev/null; then
        wait $PID
        fail "the program ended by itself after $((now - start)) s with status $?: $(grep -v ' in [0-9.]*s$' "$LOG" | tail -n 20)"
    fi
    if [ "$now" -ge "$next_key" ]; then
        next_random
        set -- $KEYS
        shift $((RANDOM_VALUE % 4))
        press "$1"
        presses=$((presses + 1))
        next_random
        next_key=$((now + 2 + RANDOM_VALUE % 5))
    fi
    if [ "$now" -ge "$next_sample" ]; then
        echo "$((now - start)) $(rss)" >>"$MEMORY"
        next_sample=$((next_sample + 10))
    fi
done
echo "$((now - start)) $(rss)" >>"$MEMORY"

press Escape
finish $PID 20
[ "$STATUS" = 0 ] || fail "Escape: status $STATUS: $(grep -v ' in [0-9.]*s$' "$LOG" | tail -n 20)"
if grep -v " in [0-9.]*s$" "$LOG" >"$WORK/unexpected.log"; then
    fail "unexpected lines on standard error: $(head -n 20 "$WORK/unexpected.log")"
fi

# Memory: first, peak and last sample, and the growth since minute two.
awk -v presses=$presses '
    NR == 1 { first = $2 }
    $2 > peak { peak = $2; peakAt = $1 }
    $1 <= 120 { base = $2; baseAt = $1 }
    { last = $2; lastAt = $1 }
    END {
        printf "soak: %d keys; resident memory first %.1f MiB, peak %.1f MiB at %d s, ", presses, first / 1024, peak / 1024, peakAt
        printf "at %d s %.1f MiB, last %.1f MiB at %d s (%+.2f MiB since)\n", baseAt, base / 1024, last / 1024, lastAt, (last - base) / 1024
        exit (last - base > 2048)
    }' "$MEMORY" || fail "resident memory grew by more than 2 MiB after minute two (samples in $MEMORY)"
echo "soak: ok"
