#!/bin/sh
# The whole program under a virtual display, started in a folder of its
# own: it ends with status 0 at the end of a non-looping tune, after its
# start-up timings; a missing tune ends it with status 1 and a message;
# Escape during start-up (as the assets begin to load, or in the black
# pause after them) ends it with status 0 before the show.
# --version and --help answer with status 0; any other argument is a usage
# error: one line, status 2.
# (Escape ending the show is checked in e2e_dialog.sh.)
# Arguments: the program, the source folder, a scratch folder.
. "$(dirname "$0")/support/e2e.sh"

# run_show NAME TUNE: runs the program in a folder holding data/ with the
# real images and the given tune (none when empty), accepting the dialog,
# until it ends; sets STATUS.
run_show() {
    rm -rf "$WORK/$1" && mkdir -p "$WORK/$1/data"
    for f in "$SRC"/data/*; do [ "$(basename "$f")" = tune.mp3 ] || ln -s "$f" "$WORK/$1/data/"; done
    [ -z "$2" ] || cp "$2" "$WORK/$1/data/tune.mp3"
    launch "$WORK/$1.log" env -C "$WORK/$1" "$VORN"
    accept_dialog "$WORK/$1.log"
    finish $PID 30
}

# A silent 2 s tune, made with lame from raw 16-bit mono samples.
head -c $((2 * 44100 * 2)) /dev/zero |
    lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m m - "$WORK/short.mp3" 2>/dev/null
run_show end "$WORK/short.mp3"
[ "$STATUS" = 0 ] || fail "end of tune: status $STATUS: $(cat "$WORK/end.log")"
grep -q "precalc in" "$WORK/end.log" || fail "end of tune: no start-up timing line: $(cat "$WORK/end.log")"
echo "end of tune: ok"

run_show missing ""
[ "$STATUS" = 1 ] || fail "missing tune: status $STATUS"
grep -q "^data/tune.mp3 not found$" "$WORK/missing.log" || fail "missing tune: $(cat "$WORK/missing.log")"
echo "missing tune: ok"

# Escape as soon as the assets begin to load (they take about half a
# second, so it may land in the pause): status 0, no frame of the show.
launch "$WORK/loading.log" "$VORN"
accept_dialog "$WORK/loading.log" "precalc_noise in"
press Escape
finish $PID 20
[ "$STATUS" = 0 ] || fail "escape during start-up: status $STATUS: $(cat "$WORK/loading.log")"
grep -q "precalc_noise in" "$WORK/loading.log" && ! grep -q "glDrawElements" "$WORK/loading.log" ||
    fail "escape during start-up: the show went on: $(cat "$WORK/loading.log")"
echo "escape during start-up: ok"

version=$(sed -n 's/^project(vorn VERSION \([0-9.]*\) .*/\1/p' "$SRC/CMakeLists.txt")
[ -n "$version" ] && [ "$("$VORN" --version)" = "vorn $version" ] || fail "--version: $("$VORN" --version)"
help=$("$VORN" --help) || fail "--help: status $?"
for word in Pause "Page Up" Escape SDL_AUDIODRIVER SDL_VIDEODRIVER DISPLAY VORN_VSYNC; do
    case "$help" in *"$word"*) ;; *) fail "--help does not mention $word" ;; esac
done
for args in --bogus "play now"; do
    "$VORN" $args >"$WORK/args.out" 2>"$WORK/args.err"
    status=$?
    [ $status = 2 ] && [ "$(wc -l <"$WORK/args.err")" = 1 ] && [ ! -s "$WORK/args.out" ] ||
        fail "vorn $args: status $status: $(cat "$WORK/args.err")"
done
echo "command line: ok"
