#!/bin/sh
# Faults from the machine, each ending the whole program with status 1 and
# a message naming the cause as the first line on standard error (no
# library's noise before it): no display at all, a sound driver or device
# that cannot be opened (before any loading), an OpenGL without
# multitexturing. The data folder is found beside the executable or above
# it when the program is started elsewhere; when there is none, the message
# names the folders tried.
# Arguments: the program, the source folder, a scratch folder.
. "$(dirname "$0")/support/e2e.sh"

# run_to_end NAME COMMAND...: runs the command with standard error in
# $WORK/NAME.log until it ends (pressing Return for the dialog and for error
# boxes); sets STATUS.
run_to_end() {
    log="$WORK/$1.log"
    shift
    launch "$log" "$@"
    finish $PID 30
}

# expect_message NAME TEXT: the run ended with status 1 and TEXT as the
# first line of its standard error.
expect_message() {
    [ "$STATUS" = 1 ] || fail "$1: status $STATUS: $(cat "$WORK/$1.log")"
    head -n 1 "$WORK/$1.log" | grep -q "$2" || fail "$1: '$2' is not the first line: $(cat "$WORK/$1.log")"
    echo "$1: ok"
}

run_to_end no-display env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR -u SDL_VIDEODRIVER "$VORN"
expect_message no-display "^No display could be opened: .* (DISPLAY and WAYLAND_DISPLAY are unset)$"

run_to_end no-sound env SDL_AUDIODRIVER=nosuch "$VORN"
expect_message no-sound "^Error initializing output device. Sound driver \"nosuch\": Audio target 'nosuch' not available$"
grep -q "precalc" "$WORK/no-sound.log" && fail "no-sound: reported only after the loading"
run_to_end no-device env SDL_AUDIODRIVER=alsa AUDIODEV=nosuch "$VORN"
expect_message no-device "^Error initializing output device. Sound driver \"alsa\": "

run_to_end old-gl env MESA_GL_VERSION_OVERRIDE=1.1 MESA_EXTENSION_OVERRIDE=-GL_ARB_multitexture "$VORN"
expect_message old-gl "^Your shitty 3d card doesnt support GL_ARB_multitexture!$"

# Started from an empty folder, the program finds data/ above its own
# folder (as ./build/vorn run from inside build/ does) and plays.
rm -rf "$WORK/tree" "$WORK/elsewhere"
mkdir -p "$WORK/tree/build" "$WORK/elsewhere"
ln -s "$SRC/data" "$WORK/tree/data"
cp "$VORN" "$WORK/tree/build/vorn"
launch "$WORK/found.log" env -C "$WORK/elsewhere" "$WORK/tree/build/vorn"
accept_dialog "$WORK/found.log"
grep -q "precalc in" "$WORK/found.log" || fail "data beside the program: no show: $(cat "$WORK/found.log")"
press Escape
finish $PID 20
[ "$STATUS" = 0 ] || fail "data beside the program: status $STATUS: $(cat "$WORK/found.log")"
echo "data beside the program: ok"

# With no data/ anywhere on the way, every folder tried is named.
LOST=$(realpath "$(mktemp -d)")
cp "$VORN" "$LOST/vorn"
launch "$WORK/lost.log" env -C "$LOST" ./vorn
finish $PID 30
tried=$LOST
folder=$LOST
while [ "$folder" != / ]; do
    folder=$(dirname "$folder")
    tried="$tried
$folder"
done
rm -rf "$LOST"
expect_message lost "^No data folder found. Looked for data/ in:$"
[ "$(sed -n '2,$p' "$WORK/lost.log")" = "$tried" ] || fail "lost: folders tried: $(cat "$WORK/lost.log")"
