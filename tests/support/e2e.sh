# Shared helpers of the whole-program tests, sourced by tests/e2e_*.sh with
# their arguments: the program, the source folder, a scratch folder. The
# sourcing script runs again under its own virtual X display, in the
# source folder, with VORN, SRC and WORK set: once for each screen size in
# SCREENS (default 640x480), with that size in SCREEN.

# launch LOG COMMAND...: starts the command in the background with its
# standard error in LOG, which is emptied here first: the program opens LOG
# only once it runs, and a check made before that must not read what an
# earlier run left there. Sets PID.
launch() {
    log=$1
    shift
    : >"$log"
    "$@" 2>>"$log" &
    PID=$!
}

# message_box: the program's error box, if one is up. SDL draws it as a
# "VORN" window without a class, and xdotool's search does not see its title.
message_box() {
    xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "VORN": ().*/\1/p' | head -n 1
}

# press KEY: sends a key to the program's error box if one is up, else to its
# last window, if there is one.
press() {
    win=$(message_box)
    [ -n "$win" ] || win=$(xdotool search --name '^VORN$' 2>/dev/null | tail -n 1)
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

# accept_dialog LOG [LINE]: presses Return until the show started by PID
# has started (LOG has its timing line, or LINE) or the program has ended.
accept_dialog() {
    i=0
    while kill -0 $PID 2>/dev/null && ! grep -q "${2:-precalc in}" "$1" && [ $i -lt 150 ]; do
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
    if kill -0 "$1" 2>/dev/null; then
        echo "program did not end within $2 s" >&2
        # SDL takes the first signal for a quit request, which a program
        # waiting on its error box never reads.
        kill "$1"
        sleep 1
        kill -9 "$1" 2>/dev/null
    fi
    wait "$1"
    STATUS=$?
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

VORN=$(realpath "$1"); SRC=$(realpath "$2"); WORK=$3
if [ -z "$INSIDE_DISPLAY" ]; then
    # Error boxes draw their text with the X server's core fonts, which a
    # bare Xvfb lacks (SDL then shows no box at all): the virtual display
    # gets Liberation Sans as one, so every machine shows the same boxes.
    mkdir -p "$WORK/xfonts"
    ln -sf /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf "$WORK/xfonts/"
    mkfontscale "$WORK/xfonts" && mkfontdir "$WORK/xfonts" || exit 1
    # Without -noreset the server starts over whenever its last client
    # leaves, and a program connecting at that moment finds no display.
    for SCREEN in ${SCREENS:-640x480}; do
        INSIDE_DISPLAY=1 SCREEN=$SCREEN xvfb-run -a \
            -s "-screen 0 ${SCREEN}x24 -noreset -fp built-ins,$(realpath "$WORK/xfonts")" sh "$0" "$@" || exit $?
    done
    exit 0
fi
WORK=$(realpath "$WORK")
cd "$SRC"
# xvfb-run runs the script even when no server would start.
xwininfo -root >/dev/null 2>&1 || fail "the virtual display did not start"
# A failed check leaves no program running (it would hold the test's output).
trap '[ -z "$PID" ] || kill -9 $PID 2>/dev/null' EXIT
