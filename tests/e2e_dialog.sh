#!/bin/sh
# The set-up dialog of the whole program under a virtual display: it shows
# the splash picture, "Exit" ends the program with status 0 before any show
# window, and Return starts the show, which Escape ends with status 0.
# Arguments: the program, the source folder, a scratch folder. The dialog's
# screenshot is kept as <scratch>/dialog.png (and copied to $VORN_SHOT_DIR
# when that is set).
. "$(dirname "$0")/support/e2e.sh"

# dialog_window LOG: waits for the 324 x 234 dialog; sets WX, WY.
dialog_window() {
    WIDTH= HEIGHT=
    i=0
    while [ "$WIDTH" != 324 ] && [ $i -lt 300 ]; do
        win=$(xdotool search --name '^VORN$' 2>/dev/null | tail -n 1)
        [ -n "$win" ] && eval "$(xdotool getwindowgeometry --shell "$win")" && WX=$X WY=$Y
        sleep 0.1
        i=$((i + 1))
    done
    [ "$WIDTH" = 324 ] && [ "$HEIGHT" = 234 ] || fail "no 324 x 234 dialog (${WIDTH} x ${HEIGHT}): $(cat "$1")"
}

# 1. The dialog shows the splash at client pixel (2, 2) at its own size,
# unchanged; "Exit" ends with status 0.
"$VORN" 2>"$WORK/exit.log" &
PID=$!
dialog_window "$WORK/exit.log"
sleep 1
import -window root "$WORK/dialog.png" || fail "no screenshot"
[ -z "$VORN_SHOT_DIR" ] || { mkdir -p "$VORN_SHOT_DIR" && cp "$WORK/dialog.png" "$VORN_SHOT_DIR/dialog.png"; }
convert "$WORK/dialog.png" -crop "320x160+$((WX + 2))+$((WY + 2))" +repage "$WORK/splash.png"
differing=$(compare -metric AE -fuzz 2% "$WORK/splash.png" "$(dirname "$VORN")/generated/splash.ppm" null: 2>&1)
[ "$differing" = 0 ] || fail "the splash on screen differs from the picture in $differing pixels"

# Click "Exit" (template 180, 105, 34 x 15 dialog units), again now and then
# should a click come before the dialog takes input; a window other than the
# dialog would be the show's.
i=0
while kill -0 $PID 2>/dev/null && [ $i -lt 100 ]; do
    [ $((i % 10)) -eq 0 ] && xdotool mousemove $((WX + 295)) $((WY + 183)) click 1
    for w in $(xdotool search --name '^VORN$' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        [ "$WIDTH" = 324 ] || fail "a show window opened after Exit"
    done
    sleep 0.1
    i=$((i + 1))
done
finish $PID 5
[ "$STATUS" = 0 ] || fail "Exit: status $STATUS: $(cat "$WORK/exit.log")"
grep -q "precalc" "$WORK/exit.log" && fail "Exit: the show started"
echo "exit: ok"

# 2. Return in the dialog starts the show; Escape in the show ends it.
"$VORN" 2>"$WORK/run.log" &
PID=$!
dialog_window "$WORK/run.log"
accept_dialog "$WORK/run.log"
escape_ends_show "$WORK/run.log"
echo "run and escape: ok"
