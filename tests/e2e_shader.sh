#!/bin/sh
# The demo on the shader backend under a virtual X display, where its
# OpenGL ES 3 context comes through GLX: the show starts and draws a lit
# picture between black letterbox bars, Escape ends it with status 0, and
# nothing but timing lines reach standard error. An unknown backend name
# ends the program with status 1 and a message naming the variable.
# Arguments: the program, the source folder, a scratch folder.
. "$(dirname "$0")/support/e2e.sh"

VORN_GL_BACKEND=bogus "$VORN" 2>"$WORK/bogus.log" &
PID=$!
finish $PID 20
[ "$STATUS" = 1 ] && grep -q "^VORN_GL_BACKEND must be fixed or shader, not 'bogus'.$" "$WORK/bogus.log" ||
    fail "unknown backend: status $STATUS: $(cat "$WORK/bogus.log")"
echo "unknown backend: ok"

VORN_GL_BACKEND=shader "$VORN" 2>"$WORK/shader.log" &
PID=$!
accept_dialog "$WORK/shader.log"
wait_for_line "$WORK/shader.log" "precalc in" 60 || fail "the show did not start: $(cat "$WORK/shader.log")"
sleep 4
import -window root "$WORK/shader.png" 2>/dev/null || fail "no screenshot"
# The dialog's default 4:3 on the 640 x 480 screen: picture rows 60 to 419.
lit=$(convert "$WORK/shader.png" -crop 640x360+0+60 +repage -format "%[fx:int(255*maxima)]" info:)
bars=$(convert "$WORK/shader.png" -crop 640x58+0+0 +repage -format "%[fx:int(255*maxima)]" info:)
[ "$lit" -gt 64 ] && [ "$bars" = 0 ] || fail "picture: brightest $lit, bars $bars"
kill -0 $PID 2>/dev/null || fail "the show ended early: $(cat "$WORK/shader.log")"
press Escape
finish $PID 20
[ "$STATUS" = 0 ] || fail "Escape: status $STATUS: $(cat "$WORK/shader.log")"
grep -v " in [0-9.]*s$" "$WORK/shader.log" && fail "unexpected lines on standard error"
echo "shader backend: ok, screenshot in $WORK/shader.png"
