#!/bin/sh
# The set-up dialog of the whole program under a virtual display. On a
# 1280 x 720 screen it shows the splash picture, "Exit" ends the program
# with status 0 before any show window, and Return with no mode chosen (none
# is preselected there) is a fatal error: its message on standard error,
# then an error box over the dialog until Return closes it, then status 1.
# On 640 x 480, the preselected mode, Return starts the show, which Escape
# ends with status 0.
# Arguments: the program, the source folder, a scratch folder. The dialog's
# screenshot is kept as <scratch>/dialog.png (and copied to $VORN_SHOT_DIR
# when that is set).
SCREENS="1280x720 640x480"
. "$(dirname "$0")/support/e2e.sh"

# dialog_window LOG: waits for the 324 x 234 dialog; sets DIALOG, WX, WY.
dialog_window() {
    WIDTH= HEIGHT=
    i=0
    while [ "$WIDTH" != 324 ] && [ $i -lt 300 ]; do
        win=$(xdotool search --name '^VORN$' 2>/dev/null | tail -n 1)
        [ -n "$win" ] && eval "$(xdotool getwindowgeometry --shell "$win")" && DIALOG=$win WX=$X WY=$Y
        sleep 0.1
        i=$((i + 1))
    done
    [ "$WIDTH" = 324 ] && [ "$HEIGHT" = 234 ] || fail "no 324 x 234 dialog (${WIDTH} x ${HEIGHT}): $(cat "$1")"
}

if [ "$SCREEN" = 640x480 ]; then
    # 3. Return in the dialog starts the show; Escape in the show ends it.
    launch "$WORK/run.log" "$VORN"
    dialog_window "$WORK/run.log"
    accept_dialog "$WORK/run.log"
    escape_ends_show "$WORK/run.log"
    echo "run and escape: ok"
    exit 0
fi

# 1. The dialog shows the splash at client pixel (2, 2) at its own size,
# unchanged; "Exit" ends with status 0.
launch "$WORK/exit.log" "$VORN"
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

# 2. Return with no mode chosen: the message on standard error first, then
# the box over the dialog, which stays until Return closes it; status 1.
# Return goes to the dialog itself until the box is up (the screenshot of
# the box is kept as <scratch>/no-mode.png).
launch "$WORK/no-mode.log" "$VORN"
dialog_window "$WORK/no-mode.log"
i=0
while [ -z "$(message_box)" ] && kill -0 $PID 2>/dev/null && [ $i -lt 50 ]; do
    xdotool windowfocus "$DIALOG" key --clearmodifiers Return 2>/dev/null
    sleep 0.2
    i=$((i + 1))
done
[ -n "$(message_box)" ] || fail "no mode: no error box: $(cat "$WORK/no-mode.log")"
[ "$(cat "$WORK/no-mode.log")" = "Error #0006, your windows is a piece of shit" ] ||
    fail "no mode: standard error: $(cat "$WORK/no-mode.log")"
sleep 1
import -window root "$WORK/no-mode.png"
[ -n "$(message_box)" ] && kill -0 $PID 2>/dev/null || fail "no mode: the box did not wait for Return"
press Return
finish $PID 10
[ "$STATUS" = 1 ] || fail "no mode: status $STATUS"
echo "no mode: ok"
