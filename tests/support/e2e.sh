# Shared helpers of the whole-program tests, sourced by tests/e2e_*.sh with
# their arguments: the program, the source folder, a scratch folder. The
# sourcing script runs again under its own virtual X display, in the
# source folder, with VORN, SRC and WORK set.

# press KEY: sends a key to the program's focused window, if there is one.
press() {
    win=$(xdotool search --name '^VORN$' 2>/dev/null | tail -n 1)
    [ -z "$win" ] || { xdotool windowfocus "$win"; xdotool key --clearmodifiers "$1"; } 2>/dev/null
    return 0
}

# wait_for_line FILE TEXT SECONDS: waits until FILE holds TEXT.
wait_for_line() {
    i=0
    while [ $i -lt $(( $3 * 10 )) ]; do
        grep -q "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
        i=$((i + 1))
    done
    echo "timed out waiting for '$2' in $1" >&2
    return 1
}

# accept_dialog LOG: presses Return until the show started by PID has
# started (LOG has its timing line) or the program has ended.
accept_dialog() {
    i=0
    while kill -0 $PID 2>/dev/null && ! grep -q "precalc in" "$1" && [ $i -lt 150 ]; do
        sleep 0.2
        press Return
        i=$((i + 1))
    done
}

# escape_ends_show LOG: once the show has started (LOG has its timing line)
# and still runs 3 s later, Escape ends it with status 0.
escape_ends_show() {
    wait_for_line "$1" "precalc in" 60 || fail "the show did not start: $(cat "$1")"
    sleep 3
    kill -0 $PID 2>/dev/null || fail "the show ended by itself: $(cat "$1")"
    press Escape
    finish $PID 20
    [ "$STATUS" = 0 ] || fail "Escape: status $STATUS: $(cat "$1")"
}

# finish PID SECONDS: waits for the program to end (pressing Return now and
# then to close an error box); sets STATUS to its exit status. Run it in
# this shell, not in a subshell: only the parent can reap the program.
finish() {
    i=0
    while kill -0 "$1" 2>/dev/null && [ $i -lt $(( $2 * 5 )) ]; do
        sleep 0.2
        i=$((i + 1))
        [ $((i % 5)) -eq 0 ] && press Return
    done
    kill -0 "$1" 2>/dev/null && kill "$1" && echo "program did not end within $2 s" >&2
    wait "$1"
    STATUS=$?
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

VORN=$(realpath "$1"); SRC=$(realpath "$2"); WORK=$3
if [ -z "$INSIDE_DISPLAY" ]; then
    mkdir -p "$WORK"
    INSIDE_DISPLAY=1 xvfb-run -a -s "-screen 0 640x480x24" sh "$0" "$@"
    exit $?
fi
WORK=$(realpath "$WORK")
cd "$SRC"
